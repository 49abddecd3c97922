#include "platform/com/StringOrder.h"

#include "platform/text/Collation.h"

HRESULT VarBstrCmp(BSTR left, BSTR right, LCID /*locale*/, ULONG /*flags*/)
{
    const int order = platform::text::compareLocale(platform::com::viewOf(left), platform::com::viewOf(right));
    return order < 0 ? VARCMP_LT : order > 0 ? VARCMP_GT : VARCMP_EQ;
}
