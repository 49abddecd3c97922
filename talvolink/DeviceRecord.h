#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace talvolink {

#pragma pack(push, 1)

/// One sample as a reader thread decodes it and the control's thread drains it. Producers zero it before filling
/// it. Fixed layout (little-endian, byte offsets asserted below): the USB and image-sensor models keep their own
/// fields in `modelData`. The fields are unaligned: copy them, never bind a reference or pointer to one.
struct DeviceRecord {
    std::uint64_t timeStamp = 0; ///< Milliseconds where the source has one; 0 for serial sensors.
    std::uint8_t sequence = 0;   ///< Counted modulo the model's SequenceModulus.
    std::int16_t level = 0;      ///< Signal level.
    std::int32_t x = 0;          ///< Sensor units (the Biathlon model: tenths of a millimetre).
    std::int32_t y = 0;
    std::int16_t piezo = 0;
    std::int16_t pulse = 0;   ///< Pulse-sensor value (model 306).
    std::int16_t trigger = 0; ///< Trigger value (model 306).
    std::uint8_t aimValid = 0;
    std::array<std::uint8_t, 3> unused{};
    double scale = 0.0; ///< Biathlon.
    double angle = 0.0; ///< Biathlon, radians.
    std::array<std::uint8_t, 478> modelData{};
};

/// The 84-byte plug-and-play identification of a serial sensor; text fields are zero-terminated.
struct PnpRecord {
    std::array<char, 2> revision{};
    std::array<char, 4> manufacturer{}; ///< Three characters and a terminating zero.
    std::array<char, 2> unused1{};
    std::int32_t modelCode = 0; ///< 300, 302, 303, 306, 307 for serial sensors; 500 USB; 600 image sensor.
    std::array<char, 9> serialNumber{};
    std::array<char, 9> deviceClass{};
    std::array<char, 9> compatibleId{};
    std::array<char, 42> modelName{};
    std::array<char, 3> unused2{};

    /// Names a model the device link made itself (a USB path); a long name is cut to keep the terminating zero.
    void setModel(std::int32_t code, std::string_view name)
    {
        modelCode = code;
        modelName = {};
        name.copy(modelName.data(), modelName.size() - 1);
    }
};

#pragma pack(pop)

static_assert(sizeof(DeviceRecord) == 523);
static_assert(offsetof(DeviceRecord, sequence) == 8);
static_assert(offsetof(DeviceRecord, level) == 9);
static_assert(offsetof(DeviceRecord, x) == 11);
static_assert(offsetof(DeviceRecord, y) == 15);
static_assert(offsetof(DeviceRecord, piezo) == 19);
static_assert(offsetof(DeviceRecord, pulse) == 21);
static_assert(offsetof(DeviceRecord, trigger) == 23);
static_assert(offsetof(DeviceRecord, aimValid) == 25);
static_assert(offsetof(DeviceRecord, scale) == 29);
static_assert(offsetof(DeviceRecord, angle) == 37);
static_assert(offsetof(DeviceRecord, modelData) == 45);

static_assert(sizeof(PnpRecord) == 84);
static_assert(offsetof(PnpRecord, manufacturer) == 2);
static_assert(offsetof(PnpRecord, modelCode) == 8);
static_assert(offsetof(PnpRecord, serialNumber) == 12);
static_assert(offsetof(PnpRecord, deviceClass) == 21);
static_assert(offsetof(PnpRecord, compatibleId) == 30);
static_assert(offsetof(PnpRecord, modelName) == 39);

/// What the control knows of the connected device: the plug-and-play record, then three USB serial numbers of eight
/// bytes each in 9-byte slots (slot 1 the device's own, 2 and 3 further devices).
struct DeviceInformation {
    PnpRecord record;
    std::array<std::array<std::uint8_t, 9>, 3> serialSlots{};
};

} // namespace talvolink
