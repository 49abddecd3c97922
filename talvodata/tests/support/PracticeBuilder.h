#pragma once

#include "talvodata/tests/support/AimingBuilder.h"

#include "platform/com/Variant.h"
#include "talvodata/TalvoDocument.h"

#include <gtest/gtest.h>

namespace talvodata::testsupport {

/// Builds a practice in memory: `PracticeBuilder().shooter(u"Ann").matchShots(60, when).build()`.
/// Each shot has its own aiming; enter times step by one second from the given time.
class PracticeBuilder {
public:
    explicit PracticeBuilder(const char* eventShortName = "AR10") : m_event(eventShortName)
    {
        auto created = CTalvoDocument::create();
        EXPECT_TRUE(created.hasValue());
        m_document = std::move(created).value();
        EXPECT_EQ(S_OK, m_document->get_Aimings(m_aimings.put()));
        EXPECT_EQ(S_OK, m_document->put_Event(shippedEvent(eventShortName).get()));
    }

    PracticeBuilder& shooter(std::u16string_view name)
    {
        EXPECT_EQ(S_OK, m_document->put_ShooterName(platform::com::Bstr(name).get()));
        return *this;
    }
    PracticeBuilder& matchShots(int count, DATE firstEnterTime) { return shots(count, firstEnterTime, true); }
    PracticeBuilder& sightingShots(int count, DATE firstEnterTime) { return shots(count, firstEnterTime, false); }
    PracticeBuilder& value(const char* key, const platform::com::Variant& value)
    {
        EXPECT_EQ(S_OK, m_document->put_Value(platform::com::Bstr(key).get(), value.get()));
        return *this;
    }

    platform::com::ComPtr<CTalvoDocument> build() const { return m_document; }

private:
    PracticeBuilder& shots(int count, DATE firstEnterTime, bool match)
    {
        for (int i = 0; i < count; ++i) {
            platform::com::ComPtr<IAiming> aiming = AimingBuilder(m_event)
                                                        .at(100 * i, -50 * i)
                                                        .samples(300, 3, -2)
                                                        .shot()
                                                        .samples(40, 1, 1)
                                                        .conclude()
                                                        .build();
            platform::com::ComPtr<IAimingAttr> attributes;
            EXPECT_EQ(S_OK, aiming->get_Attr(attributes.put()));
            EXPECT_EQ(S_OK, attributes->put_Match(match ? VARIANT_TRUE : VARIANT_FALSE));
            EXPECT_EQ(S_OK, attributes->put_EnterTime(firstEnterTime + i / 86400.0));
            EXPECT_EQ(S_OK, attributes->put_StartTime(firstEnterTime + i / 86400.0 - 1.5 / 86400.0));
            EXPECT_EQ(S_OK, attributes->put_FCoefficient(12));
            EXPECT_EQ(S_OK, m_aimings->Add(aiming.get()));
        }
        return *this;
    }

    const char* m_event;
    platform::com::ComPtr<CTalvoDocument> m_document;
    platform::com::ComPtr<IAimingCollection> m_aimings;
};

} // namespace talvodata::testsupport
