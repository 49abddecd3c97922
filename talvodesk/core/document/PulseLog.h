#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace talvodesk {

// The logs kept in named values: "_pulse_fi" and "_pulse_li" (VT_I4) bound the indexes of the entries; the last
// index is written last, so an entry whose writing failed half-way is never counted.

namespace pulselog {

inline platform::com::Bstr key(const char* prefix, long index)
{
    return platform::com::Bstr(std::string(prefix) + std::to_string(index));
}

inline platform::com::Variant int16Value(std::int16_t value)
{
    VARIANT raw;
    raw.vt = VT_I2;
    raw.iVal = value;
    return platform::com::Variant::adopt(raw);
}

template <typename Object> bool read(Object* object, const char* name, platform::com::Variant& value)
{
    return SUCCEEDED(object->get_Value(platform::com::Bstr(name).get(), value.put()));
}

template <typename Object> bool write(Object* object, const platform::com::Bstr& name, const platform::com::Variant& v)
{
    return SUCCEEDED(object->put_Value(name.get(), v.get()));
}

/// The first and last index when both are VT_I4.
template <typename Object> bool bounds(Object* object, long& first, long& last)
{
    platform::com::Variant fi;
    platform::com::Variant li;
    if (!read(object, "_pulse_fi", fi) || !read(object, "_pulse_li", li) || fi.type() != VT_I4 || li.type() != VT_I4) {
        return false;
    }
    first = fi.get().lVal;
    last = li.get().lVal;
    return true;
}

/// The two values of entry i (counted from 0) of a log; false outside the log or when a read fails.
template <typename Object>
bool entry(Object* object, long i, const char* first, const char* second, platform::com::Variant& a,
           platform::com::Variant& b)
{
    long low = 0;
    long high = 0;
    return object && bounds(object, low, high) && i >= 0 && i < high - low + 1 &&
           SUCCEEDED(object->get_Value(key(first, low + i).get(), a.put())) &&
           SUCCEEDED(object->get_Value(key(second, low + i).get(), b.put()));
}

/// The number of entries the log holds: from the first index on while the entries are there, never past the last.
/// The bounds come from a file and may claim billions of entries; counting what is held keeps every loop over the
/// log as long as the log (a sound log has no gap, its last index is written after its entry).
template <typename Object> long count(Object* object, const char* first)
{
    long low = 0;
    long high = 0;
    if (!object || !bounds(object, low, high) || high < low) {
        return 0;
    }
    long held = 0;
    for (platform::com::Variant value; held <= high - low; ++held) {
        if (FAILED(object->get_Value(key(first, low + held).get(), value.put())) || value.type() == VT_EMPTY) {
            break;
        }
    }
    return held;
}

/// The index the next entry goes to; writes "_pulse_fi" 0 when the log is new. False when "_pulse_li" cannot be
/// read (or "_pulse_fi" not written).
template <typename Object> bool nextIndex(Object* object, long& index)
{
    platform::com::Variant li;
    if (!read(object, "_pulse_li", li)) {
        return false;
    }
    if (li.type() == VT_EMPTY) {
        index = 0;
        return write(object, platform::com::Bstr("_pulse_fi"), platform::com::Variant::fromInt32(0));
    }
    if (FAILED(li.changeType(VT_I4))) {
        // An unreadable last index starts the log again from 0.
        index = 0;
        return write(object, platform::com::Bstr("_pulse_fi"), platform::com::Variant::fromInt32(0));
    }
    if (li.get().lVal == std::numeric_limits<LONG>::max()) {
        // No index is left after it: the log starts again from 0.
        index = 0;
        return write(object, platform::com::Bstr("_pulse_fi"), platform::com::Variant::fromInt32(0));
    }
    index = static_cast<long>(li.get().lVal) + 1;
    return true;
}

} // namespace pulselog

/// The number of beats a heart-beat log holds (see pulselog::count).
template <typename Object> long GetPulseSampleCount(Object* object)
{
    return pulselog::count(object, "_pulse_min");
}

/// Appends one beat (earliest, latest) to a heart-beat log; false when latest < earliest or a write fails.
template <typename Object> bool AppendHeartBeat(Object* object, DATE earliest, DATE latest)
{
    long index = 0;
    if (!object || latest < earliest || !pulselog::nextIndex(object, index)) {
        return false;
    }
    using platform::com::Variant;
    return pulselog::write(object, pulselog::key("_pulse_min", index), Variant::fromDate(earliest)) &&
           pulselog::write(object, pulselog::key("_pulse_max", index), Variant::fromDate(latest)) &&
           pulselog::write(object, platform::com::Bstr("_pulse_li"), Variant::fromInt32(index));
}

/// Beat i (counted from 0) of a heart-beat log; false, outputs untouched, outside the log, for another type or for
/// a time that is not finite.
template <typename Object> bool GetPulseMinMax(Object* object, long i, DATE& earliest, DATE& latest)
{
    platform::com::Variant minimum;
    platform::com::Variant maximum;
    if (!pulselog::entry(object, i, "_pulse_min", "_pulse_max", minimum, maximum) || minimum.type() != VT_DATE ||
        maximum.type() != VT_DATE || !std::isfinite(minimum.get().date) || !std::isfinite(maximum.get().date)) {
        return false;
    }
    earliest = minimum.get().date;
    latest = maximum.get().date;
    return true;
}

} // namespace talvodesk
