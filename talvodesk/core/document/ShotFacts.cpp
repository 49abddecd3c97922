#include "talvodesk/core/document/ShotFacts.h"

namespace talvodesk {

using platform::com::ComPtr;

ComPtr<IAimingAttr> attributesOf(IAiming* aiming)
{
    ComPtr<IAimingAttr> attributes;
    if (!aiming || FAILED(aiming->get_Attr(attributes.put()))) {
        attributes.reset();
    }
    return attributes;
}

ComPtr<IAimingAttr> attributesOf(IShot* shot)
{
    ComPtr<IAimingAttr> attributes;
    if (!shot || FAILED(shot->get_Attr(attributes.put()))) {
        attributes.reset();
    }
    return attributes;
}

std::optional<LONG> subTargetOf(IAimingAttr* attributes)
{
    LONG subTarget = 0;
    if (!attributes || FAILED(attributes->get_SubTarget(&subTarget))) {
        return std::nullopt;
    }
    return subTarget;
}

std::optional<LONG> subTargetOf(IAiming* aiming)
{
    return subTargetOf(attributesOf(aiming).get());
}

std::optional<LONG> subTargetOf(IShot* shot)
{
    return subTargetOf(attributesOf(shot).get());
}

float resultOf(IShot* shot)
{
    float result = 0;
    return shot && SUCCEEDED(shot->get_Result(&result)) ? result : 0;
}

DATE shotTimeOf(IShot* shot)
{
    DATE time = 0;
    return shot && SUCCEEDED(shot->get_ShotTime(&time)) ? time : 0;
}

bool isMissed(IShot* shot)
{
    VARIANT_BOOL missed = VARIANT_FALSE;
    return shot && SUCCEEDED(shot->get_Missed(&missed)) && missed == VARIANT_TRUE;
}

bool isMatch(IAimingAttr* attributes)
{
    VARIANT_BOOL match = VARIANT_FALSE;
    return attributes && SUCCEEDED(attributes->get_Match(&match)) && match == VARIANT_TRUE;
}

namespace {

template <typename Collection> long countIn(Collection* collection)
{
    LONG count = 0;
    return collection && SUCCEEDED(collection->get_Count(&count)) ? count : 0;
}

} // namespace

long countOf(IShotCollection* shots)
{
    return countIn(shots);
}

long countOf(IAimingCollection* aimings)
{
    return countIn(aimings);
}

} // namespace talvodesk
