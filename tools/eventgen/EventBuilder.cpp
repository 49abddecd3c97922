#include "tools/eventgen/EventBuilder.h"

#include "interfaces/talvodata/Guids.h"
#include "platform/com/ClassTable.h"
#include "platform/text/Number.h"

#include <climits>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

namespace eventgen {

using platform::Error;
using platform::Result;
using platform::Status;
using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

Error errorAt(const DefinitionFile& file, int line, const std::string& message)
{
    return Error{E_INVALIDARG, file.path.filename().string() + ":" + std::to_string(line) + ": " + message};
}

std::optional<float> parseFloat(const std::string& text)
{
    const auto value = platform::text::parseReal(text);
    return value ? std::optional<float>(static_cast<float>(*value)) : std::nullopt;
}

std::optional<LONG> parseLong(const std::string& text)
{
    const auto value = platform::text::parseInteger(text);
    if (!value || *value < INT_MIN || *value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<LONG>(*value);
}

std::optional<OLE_COLOR> parseColor(const std::string& text)
{
    if (text.size() != 8 || text.compare(0, 2, "0x") != 0) {
        return std::nullopt;
    }
    OLE_COLOR color = 0;
    for (char c : text.substr(2)) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        color = color * 16 + static_cast<OLE_COLOR>(digit);
    }
    return color;
}

std::optional<VARIANT_BOOL> parseFlag(const std::string& text)
{
    if (text == "true") {
        return VARIANT_TRUE;
    }
    if (text == "false") {
        return VARIANT_FALSE;
    }
    return std::nullopt;
}

/// "type:text" as a named value.
std::optional<Variant> parseNamedValue(const std::string& text)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    const std::string type = text.substr(0, colon);
    const std::string value = text.substr(colon + 1);
    if (type == "string") {
        return Variant::fromString(Bstr(value));
    }
    if (type == "int") {
        const auto number = parseLong(value);
        return number ? std::optional(Variant::fromInt32(*number)) : std::nullopt;
    }
    if (type == "float") {
        const auto number = parseFloat(value);
        return number ? std::optional(Variant::fromFloat(*number)) : std::nullopt;
    }
    if (type == "bool") {
        const auto flag = parseFlag(value);
        return flag ? std::optional(Variant::fromBool(*flag == VARIANT_TRUE)) : std::nullopt;
    }
    return std::nullopt;
}

/// Applies one `key = value` through the setter that a table names for the key.
template <typename Object> class Setters {
public:
    template <typename T> using Put = HRESULT (Object::*)(T);

    Setters& floats(std::initializer_list<std::pair<const char*, Put<float>>> setters)
    {
        for (const auto& [key, put] : setters) {
            m_apply[key] = [put = put](Object& object, const std::string& text) {
                const auto value = parseFloat(text);
                return value ? (object.*put)(*value) : E_INVALIDARG;
            };
        }
        return *this;
    }
    Setters& longs(std::initializer_list<std::pair<const char*, Put<LONG>>> setters)
    {
        for (const auto& [key, put] : setters) {
            m_apply[key] = [put = put](Object& object, const std::string& text) {
                const auto value = parseLong(text);
                return value ? (object.*put)(*value) : E_INVALIDARG;
            };
        }
        return *this;
    }
    Setters& colors(std::initializer_list<std::pair<const char*, Put<OLE_COLOR>>> setters)
    {
        for (const auto& [key, put] : setters) {
            m_apply[key] = [put = put](Object& object, const std::string& text) {
                const auto value = parseColor(text);
                return value ? (object.*put)(*value) : E_INVALIDARG;
            };
        }
        return *this;
    }
    Setters& flags(std::initializer_list<std::pair<const char*, Put<VARIANT_BOOL>>> setters)
    {
        for (const auto& [key, put] : setters) {
            m_apply[key] = [put = put](Object& object, const std::string& text) {
                const auto value = parseFlag(text);
                return value ? (object.*put)(*value) : E_INVALIDARG;
            };
        }
        return *this;
    }
    Setters& custom(const char* key, std::function<HRESULT(Object&, const std::string&)> apply)
    {
        m_apply[key] = std::move(apply);
        return *this;
    }

    /// Every entry of a section; an unknown key or a refused value is an error.
    Status apply(const DefinitionFile& file, const Section& section, Object& object) const
    {
        for (const Entry& entry : section.entries) {
            const auto it = m_apply.find(entry.key);
            if (it == m_apply.end()) {
                return errorAt(file, entry.line, "unknown key \"" + entry.key + "\"");
            }
            if (FAILED(it->second(object, entry.value))) {
                return errorAt(file, entry.line, "bad value \"" + entry.value + "\" for " + entry.key);
            }
        }
        return {};
    }

private:
    std::map<std::string, std::function<HRESULT(Object&, const std::string&)>> m_apply;
};

HRESULT putNamedValue(IEventParams& event, const std::string& key, const std::string& text)
{
    const auto value = parseNamedValue(text);
    return value ? event.put_Value(Bstr(key).get(), value->get()) : E_INVALIDARG;
}

const Setters<ITargetElement>& elementSetters()
{
    static const auto setters =
        Setters<ITargetElement>()
            .floats({{"left", &ITargetElement::put_Left},
                     {"top", &ITargetElement::put_Top},
                     {"width", &ITargetElement::put_Width},
                     {"height", &ITargetElement::put_Height},
                     {"result", &ITargetElement::put_Result},
                     {"border_width", &ITargetElement::put_BorderWidth}})
            .longs({{"area", &ITargetElement::put_AreaIndex}})
            .colors(
                {{"body_color", &ITargetElement::put_BodyColor}, {"border_color", &ITargetElement::put_BorderColor}})
            .flags({{"fill", &ITargetElement::put_Fill},
                    {"visible", &ITargetElement::put_Visible},
                    {"clip", &ITargetElement::put_Clip},
                    {"draw_before_rings", &ITargetElement::put_DrawBeforeRings},
                    {"calc_after_rings", &ITargetElement::put_CalcAfterRings},
                    {"ignore_result", &ITargetElement::put_IgnoreResult}})
            .custom("type",
                    [](ITargetElement& element, const std::string& text) {
                        static const std::map<std::string, enumTargetElementType> types = {
                            {"polyline", elementPolyline},   {"ellipse", elementEllipse}, {"picture", elementPicture},
                            {"rectangle", elementRectangle}, {"polygon", elementPolygon}, {"text", elementText}};
                        const auto it = types.find(text);
                        return it == types.end() ? E_INVALIDARG : element.put_Type(it->second);
                    })
            .custom("point",
                    [](ITargetElement& element, const std::string& text) {
                        std::istringstream words(text);
                        std::string x;
                        std::string y;
                        std::string extra;
                        words >> x >> y >> extra;
                        const auto px = parseFloat(x);
                        const auto py = parseFloat(y);
                        return px && py && extra.empty() ? element.AddPoint(*px, *py) : E_INVALIDARG;
                    })
            .custom("value", [](ITargetElement& element, const std::string& text) {
                const auto space = text.find(' ');
                if (space == std::string::npos) {
                    return E_INVALIDARG;
                }
                const auto value = parseNamedValue(text.substr(space + 1));
                return value ? element.put_Value(Bstr(text.substr(0, space)).get(), value->get()) : E_INVALIDARG;
            });
    return setters;
}

// Ring diameters come as the 10 ring, the step per ring outward and the lowest ring present.
struct RingSpec {
    std::optional<float> ten;
    float step = 0.0F;
    LONG lowest = 1;
};

Status applyRings(const DefinitionFile& file, const Section& section, ITargetParams& face)
{
    RingSpec rings;
    Section others{section.name, section.line, {}};
    for (const Entry& entry : section.entries) {
        if (entry.key == "ring_10" || entry.key == "ring_step") {
            const auto value = parseFloat(entry.value);
            if (!value) {
                return errorAt(file, entry.line, "bad value \"" + entry.value + "\" for " + entry.key);
            }
            if (entry.key == "ring_10") {
                rings.ten = *value;
            } else {
                rings.step = *value;
            }
        } else if (entry.key == "lowest_ring") {
            const auto value = parseLong(entry.value);
            if (!value || *value < 1 || *value > 10) {
                return errorAt(file, entry.line, "lowest_ring must be 1 to 10");
            }
            rings.lowest = *value;
        }
    }
    if (!rings.ten) {
        return {};
    }
    for (LONG n = rings.lowest; n <= 10; ++n) {
        // In double, so that 10.4 + 9 x 16 lands on the float nearest 154.4.
        const double diameter = double(*rings.ten) + double(rings.step) * double(10 - n);
        if (FAILED(face.put_Ring(n, static_cast<float>(diameter)))) {
            return errorAt(file, section.line, "ring " + std::to_string(n) + " refused");
        }
    }
    return {};
}

const Setters<ITargetParams>& faceSetters()
{
    static const auto ignored = [](ITargetParams&, const std::string&) { return S_OK; }; // Taken by applyRings.
    static const auto setters =
        Setters<ITargetParams>()
            .floats({{"form_width", &ITargetParams::put_FormWidth},
                     {"form_height", &ITargetParams::put_FormHeight},
                     {"black", &ITargetParams::put_Black},
                     {"inner_ten", &ITargetParams::put_InnerTen},
                     {"ring_thickness", &ITargetParams::put_RingThickness},
                     {"trace_thickness", &ITargetParams::put_TraceThickness},
                     {"text_height", &ITargetParams::put_TextHeight}})
            .longs({{"last_numbered_ring", &ITargetParams::put_LastNumberedRing},
                    {"text_orientation", &ITargetParams::put_TextOrientation}})
            .colors({{"background_color", &ITargetParams::put_BackgroundColor},
                     {"black_color", &ITargetParams::put_BlackColor},
                     {"ring_color", &ITargetParams::put_RingColor},
                     {"inner_ring_color", &ITargetParams::put_InnerRingColor},
                     {"breach_color", &ITargetParams::put_BreachColor},
                     {"selected_breach_color", &ITargetParams::put_SelectedBreachColor}})
            .custom("fill_center",
                    [](ITargetParams& face, const std::string& text) {
                        static const std::map<std::string, enumTargetFillCenter> fills = {
                            {"none", NoFill}, {"center", FillCenter}, {"inner_ten", FillInnerTen}};
                        const auto it = fills.find(text);
                        return it == fills.end() ? E_INVALIDARG : face.put_FillCenter(it->second);
                    })
            .custom("ring_10", ignored)
            .custom("ring_step", ignored)
            .custom("lowest_ring", ignored);
    return setters;
}

Status buildFace(const std::filesystem::path& path, ITargetParams& face)
{
    std::string error;
    const auto file = readDefinitionFile(path, error);
    if (!file) {
        return Error{E_INVALIDARG, error};
    }
    if (file->sections.empty() || file->sections.front().name != "face") {
        return errorAt(*file, 1, "a face file begins with [face]");
    }
    for (const Section& section : file->sections) {
        if (section.name == "face") {
            if (&section != &file->sections.front()) {
                return errorAt(*file, section.line, "one [face] per file");
            }
            if (auto status = faceSetters().apply(*file, section, face); !status) {
                return status;
            }
            if (auto status = applyRings(*file, section, face); !status) {
                return status;
            }
        } else if (section.name == "element") {
            ComPtr<ITargetElement> element;
            if (FAILED(face.AddElement(elementRectangle, 0, 0, 0, 0, element.put()))) {
                return errorAt(*file, section.line, "element refused");
            }
            if (auto status = elementSetters().apply(*file, section, *element); !status) {
                return status;
            }
        } else {
            return errorAt(*file, section.line, "unknown section [" + section.name + "]");
        }
    }
    return {};
}

Status applyEvent(const DefinitionFile& file, const Section& section, const std::filesystem::path& facesFolder,
                  IEventParams& event)
{
    LONG faces = 0;
    const auto setters =
        Setters<IEventParams>()
            .floats({{"caliber", &IEventParams::put_Caliber},
                     {"display_caliber", &IEventParams::put_DisplayCaliber},
                     {"distance", &IEventParams::put_Distance}})
            .longs({{"min_shots_per_aiming", &IEventParams::put_MinShotsPerAiming},
                    {"max_shots_per_aiming", &IEventParams::put_MaxShotsPerAiming},
                    {"max_shots_per_serie", &IEventParams::put_MaxShotsPerSerie}})
            .custom("name", [](IEventParams& e, const std::string& text) { return e.put_Name(Bstr(text).get()); })
            .custom("short_name",
                    [](IEventParams& e, const std::string& text) { return e.put_ShortName(Bstr(text).get()); })
            .custom("face", [&](IEventParams& e, const std::string& text) {
                ComPtr<ITargetParams> face;
                RETURN_IF_FAILED(e.get_Target(++faces, face.put()));
                const auto built = buildFace(facesFolder / (text + ".face"), *face);
                return built ? S_OK : platform::reportFailure(built.error()); // Logs where in the face file.
            });
    return setters.apply(file, section, event);
}

} // namespace

Result<ComPtr<IEventParams>> buildEvent(const DefinitionFile& file, const std::filesystem::path& facesFolder)
{
    ComPtr<IEventParams> event;
    if (const HRESULT hr = CoCreateInstance(talvodata::CLSID_EventParams, nullptr, CLSCTX_INPROC_SERVER,
                                            IEventParams::kIid, event.putVoid());
        FAILED(hr)) {
        return Error{hr, "the event class is not registered"};
    }
    for (const Section& section : file.sections) {
        if (section.name == "event") {
            if (auto status = applyEvent(file, section, facesFolder, *event); !status) {
                return status.error();
            }
        } else if (section.name == "values") {
            for (const Entry& entry : section.entries) {
                if (FAILED(putNamedValue(*event, entry.key, entry.value))) {
                    return errorAt(file, entry.line, "bad named value \"" + entry.value + "\"");
                }
            }
        } else {
            return errorAt(file, section.line, "unknown section [" + section.name + "]");
        }
    }
    Bstr shortName;
    if (FAILED(event->get_ShortName(shortName.put())) || shortName.length() == 0) {
        return errorAt(file, 1, "the event has no short_name");
    }
    return event;
}

} // namespace eventgen
