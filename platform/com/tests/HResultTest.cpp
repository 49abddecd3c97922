#include "platform/testing/Matchers.h"

namespace {

TEST(HResultTest, PrintsByNameOrHexadecimalValue)
{
    const struct {
        HRESULT hr;
        const char* printed;
    } cases[] = {
        {S_OK, "S_OK"},
        {S_FALSE, "S_FALSE"},
        {E_POINTER, "E_POINTER"},
        {STG_E_DOCFILECORRUPT, "STG_E_DOCFILECORRUPT"},
        {makeHresult(0x80001234), "0x80001234"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.printed, testing::PrintToString(c.hr));
    }
}

} // namespace
