#pragma once

#include "talvolink/usb/NativeEvent.h"
#include "talvolink/usb/SerialNumber.h"
#include "talvolink/usb/UsbDevice.h"

#include "talvolink/ChebyshevFilter.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

namespace talvolink {

/// The finished sample of one optical record. Byte offsets (doubles unless noted): 0 mid-point x, 8 and 16 the
/// spots' x differences, 24 mid-point y, 32 and 40 the spots' y differences, 48 both sums, 56 and 64 the spots'
/// sums, 72 X, 80 Y, 88 the eight quadrant intensities, 152 the shot value, 160 the shot time (float), 168 the
/// angle used, 176 the filtered measured angle, 184 the factor, 192 valid (byte), 193 the shot flag (byte).
using OpticalSample = std::array<std::uint8_t, 200>;

namespace optical {
inline constexpr std::size_t kMidX = 0;
inline constexpr std::size_t kSpotDx = 8;
inline constexpr std::size_t kMidY = 24;
inline constexpr std::size_t kSpotDy = 32;
inline constexpr std::size_t kSumBoth = 48;
inline constexpr std::size_t kSpotSum = 56;
inline constexpr std::size_t kX = 72;
inline constexpr std::size_t kY = 80;
inline constexpr std::size_t kQuadrants = 88;
inline constexpr std::size_t kShotValue = 152;
inline constexpr std::size_t kShotTime = 160;
inline constexpr std::size_t kAngleUsed = 168;
inline constexpr std::size_t kAngleMeasured = 176;
inline constexpr std::size_t kFactor = 184;
inline constexpr std::size_t kValid = 192;
inline constexpr std::size_t kShotFlag = 193;

/// Records of newer firmware: [0..3 sequence][4..7 first counter][8..11 second counter][12..13 shot value]
/// [14..45 eight floats: the quadrant intensities][46 shot flag], little-endian.
inline constexpr std::size_t kShortRecord = 47;
/// Records of older firmware: [0..63 sixteen 32-bit channels, a pair per quadrant][64..88 shot bits][89..92 counter].
inline constexpr std::size_t kLongRecord = 93;
/// Older firmware with packets sends a long record as a 63-byte and a 30-byte packet.
inline constexpr std::size_t kFirstHalf = 63;
inline constexpr std::size_t kSecondHalf = 30;
} // namespace optical

/// The optical sensor on the weapon: sees two light spots with four quadrants each and turns every record into a
/// sample block, announced one record later through eventSignal.
/// Thread rule: as UsbDevice; the decoding state belongs to the reader thread, the model's settings are read under
/// the request lock.
class UsbOpticalSensor final : public UsbDevice {
public:
    static constexpr double kReferenceSpacing = 182.0;
    static constexpr double kDefaultCalibrationScale = 500.0 / 13.0;
    static constexpr int kDefaultSensorKind = 2;

    explicit UsbOpticalSensor(platform::usb::UsbTransport& transport);
    ~UsbOpticalSensor() override { Close(); }

    NativeEvent<const OpticalSample&> eventSignal;

    const UsbSerialNumber& serialNumber() const { return m_serialNumber; }
    std::uint16_t majorVersion() const { return m_major; }
    std::uint16_t minorVersion() const { return m_minor; }

    // Set by the model.
    void setSensorKind(int kind);
    void setCalibrationScale(double scale);
    /// The spacing of the target's emitters the scale is measured against (kReferenceSpacing until set).
    void setNominalDistance(double distance);
    double nominalDistance() const;
    /// Kept for the sensor's decoding; the model passes them on as they change.
    void setPiezoSensitivity(long sensitivity);
    long piezoSensitivity() const;
    void setParity(int parity);
    int parity() const;
    /// Request 0x85 with the value, sent only when it differs from the one sent last.
    bool SendShotReference(std::uint16_t value);

    bool Initialize() override;
    void OnReadError(platform::usb::UsbError error, bool& stop) override;
    void OnData(std::span<const std::uint8_t> bytes) override;
    void OnPacket(std::span<const std::uint8_t> bytes) override;

private:
    struct Quadrants {
        std::array<double, 8> q{};
    };
    struct ShotTiming {
        double value = 0.0;
        double shotTime = 0.0;
        bool valid = false;
        bool intoPrevious = false;
        std::uint8_t flag = 0;
    };

    void decodeShort(std::span<const std::uint8_t> record);
    void decodeLong(std::span<const std::uint8_t> record);
    void decode(const Quadrants& quadrants, const ShotTiming& shot);

    ChebyshevFilter m_scaleFilter;
    ChebyshevFilter m_angleFilter;
    UsbSerialNumber m_serialNumber{};
    std::uint16_t m_major = 1;
    std::uint16_t m_minor = 1;

    // Model settings, under the request lock.
    int m_sensorKind = kDefaultSensorKind;
    double m_calibrationScale = kDefaultCalibrationScale;
    double m_nominalDistance = kReferenceSpacing;
    long m_piezoSensitivity = 40;
    int m_parity = 0;
    std::atomic<std::uint16_t> m_lastShotReference{0};

    // Reader-thread state.
    double m_scale = 1.0;
    bool m_previousValid = false;
    bool m_haveKept = false;
    OpticalSample m_kept{};
    std::optional<std::array<std::uint8_t, optical::kFirstHalf>> m_firstHalf;
};

} // namespace talvolink
