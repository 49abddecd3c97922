#include "talvolink/serial/PnpParser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using talvolink::ParsePnpRecord;
using talvolink::PnpRecord;

namespace {

// The identification with its checksum digits and end mark appended.
std::string withChecksum(const std::string& body, char endMark = ')')
{
    unsigned sum = ')';
    for (char c : body.substr(body.find('('))) {
        sum += static_cast<unsigned char>(c);
    }
    char digits[3] = {};
    std::snprintf(digits, sizeof digits, "%02X", sum & 0xFF);
    return body + digits + endMark;
}

bool parse(const std::string& answer, PnpRecord& record)
{
    return ParsePnpRecord({reinterpret_cast<const std::uint8_t*>(answer.data()), answer.size()}, record);
}

std::string text(const auto& field)
{
    return std::string(field.data());
}

TEST(PnpParserTest, ReadsEveryField)
{
    PnpRecord record;
    ASSERT_TRUE(parse(withChecksum("(01TLV300\\00012345\\SENSOR\\TLV300\\TALVO PAVANE"), record));
    EXPECT_EQ("01", std::string(record.revision.data(), 2));
    EXPECT_EQ("TLV", text(record.manufacturer));
    EXPECT_EQ(300, record.modelCode);
    EXPECT_EQ("00012345", text(record.serialNumber));
    EXPECT_EQ("SENSOR", text(record.deviceClass));
    EXPECT_EQ("TLV300", text(record.compatibleId));
    EXPECT_EQ("TALVO PAVANE", text(record.modelName));
}

TEST(PnpParserTest, FindsTheAnswerBehindNoiseAndEndsAtATab)
{
    struct Case {
        const char* name;
        std::string answer;
        bool parses;
    };
    const std::string body = "(01TLV307\\1\\C\\I\\BIATHLON";
    const Case cases[] = {
        {"begin mark at byte 16", std::string(16, 'x') + withChecksum(body), true},
        {"begin mark at byte 17", std::string(17, 'x') + withChecksum(body), false},
        {"tab as end mark", withChecksum(body, '\t'), true},
        {"no end mark", withChecksum(body).substr(0, withChecksum(body).size() - 1), false},
        {"no begin mark", withChecksum(body).substr(1), false},
        {"empty", "", false},
        {"only the marks", "()", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PnpRecord record;
        EXPECT_EQ(c.parses, parse(c.answer, record));
        if (c.parses) {
            EXPECT_EQ(307, record.modelCode);
            EXPECT_EQ("BIATHLON", text(record.modelName));
        }
    }
}

TEST(PnpParserTest, RejectsAWrongOrLowerCaseChecksumAndKeepsTheRecord)
{
    // A name whose checksum has a letter among its digits.
    std::string good;
    for (char extra = 'A'; good.empty() || good.substr(good.size() - 3, 2).find_first_of("ABCDEF") == std::string::npos;
         ++extra) {
        good = withChecksum(std::string("(01TLV300\\12\\C\\I\\PAVANE") + extra);
    }
    std::string lower = good;
    for (std::size_t i = lower.size() - 3; i < lower.size() - 1; ++i) {
        if (lower[i] >= 'A' && lower[i] <= 'F') {
            lower[i] = static_cast<char>(lower[i] - 'A' + 'a');
        }
    }
    std::string wrong = good;
    wrong[wrong.size() - 2] = wrong[wrong.size() - 2] == '0' ? '1' : '0';

    PnpRecord record{};
    record.modelCode = 77;
    EXPECT_FALSE(parse(wrong, record));
    EXPECT_FALSE(parse(lower, record));
    EXPECT_EQ(77, record.modelCode);
    EXPECT_TRUE(parse(good, record));
    EXPECT_EQ(300, record.modelCode);
}

TEST(PnpParserTest, CutsLongFieldsAndKeepsThemTerminated)
{
    PnpRecord record;
    const std::string name(50, 'N');
    ASSERT_TRUE(parse(withChecksum("(01TLV306\\123456789\\CLASS\\COMPAT\\" + name), record));
    EXPECT_EQ(306, record.modelCode);
    // Nine characters fill the field: the record keeps eight and its zero.
    EXPECT_EQ("12345678", text(record.serialNumber));
    EXPECT_EQ(std::string(41, 'N'), text(record.modelName));

    // A serial number longer than nine runs into the next field, which starts right behind the cut.
    ASSERT_TRUE(parse(withChecksum("(01TLV302\\1234567890AB\\CLASS\\COMPAT\\NAME"), record));
    EXPECT_EQ("12345678", text(record.serialNumber));
    EXPECT_EQ("0AB", text(record.deviceClass));
    EXPECT_EQ("CLASS", text(record.compatibleId));
    EXPECT_EQ("COMPAT", text(record.modelName));
}

TEST(PnpParserTest, AnIdentificationWithoutFieldsKeepsOnlyItsHead)
{
    PnpRecord record;
    ASSERT_TRUE(parse(withChecksum("(01XYZ303"), record));
    EXPECT_EQ("XYZ", text(record.manufacturer));
    EXPECT_EQ(303, record.modelCode);
    EXPECT_EQ("", text(record.serialNumber));
    EXPECT_EQ("", text(record.modelName));
}

} // namespace
