#include "platform/serial/internal/TermiosSettings.h"

#include <array>
#include <string>

namespace platform::serial {
namespace {

struct SpeedCode {
    std::uint32_t baudRate;
    speed_t code;
};

constexpr std::array kSpeeds{
    SpeedCode{50, B50},           SpeedCode{75, B75},           SpeedCode{110, B110},
    SpeedCode{134, B134},         SpeedCode{150, B150},         SpeedCode{200, B200},
    SpeedCode{300, B300},         SpeedCode{600, B600},         SpeedCode{1200, B1200},
    SpeedCode{1800, B1800},       SpeedCode{2400, B2400},       SpeedCode{4800, B4800},
    SpeedCode{9600, B9600},       SpeedCode{19200, B19200},     SpeedCode{38400, B38400},
    SpeedCode{57600, B57600},     SpeedCode{115200, B115200},   SpeedCode{230400, B230400},
    SpeedCode{460800, B460800},   SpeedCode{500000, B500000},   SpeedCode{576000, B576000},
    SpeedCode{921600, B921600},   SpeedCode{1000000, B1000000}, SpeedCode{1152000, B1152000},
    SpeedCode{1500000, B1500000}, SpeedCode{2000000, B2000000}, SpeedCode{2500000, B2500000},
    SpeedCode{3000000, B3000000}, SpeedCode{3500000, B3500000}, SpeedCode{4000000, B4000000},
};

const SpeedCode* findBaudRate(std::uint32_t baudRate)
{
    for (const SpeedCode& speed : kSpeeds) {
        if (speed.baudRate == baudRate) {
            return &speed;
        }
    }
    return nullptr;
}

const SpeedCode* findCode(speed_t code)
{
    for (const SpeedCode& speed : kSpeeds) {
        if (speed.code == code) {
            return &speed;
        }
    }
    return nullptr;
}

tcflag_t sizeFlag(int dataBits)
{
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

int dataBitsOf(tcflag_t flags)
{
    switch (flags & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

// Mark and space parity are CMSPAR with PARODD choosing the mark.
tcflag_t parityFlags(Parity parity)
{
    switch (parity) {
    case Parity::None:
        return 0;
    case Parity::Odd:
        return PARENB | PARODD;
    case Parity::Even:
        return PARENB;
    case Parity::Mark:
        return PARENB | CMSPAR | PARODD;
    case Parity::Space:
        return PARENB | CMSPAR;
    }
    return 0;
}

Parity parityOf(tcflag_t flags)
{
    if (!(flags & PARENB)) {
        return Parity::None;
    }
    if (flags & CMSPAR) {
        return (flags & PARODD) ? Parity::Mark : Parity::Space;
    }
    return (flags & PARODD) ? Parity::Odd : Parity::Even;
}

} // namespace

Status checkSettings(const SerialSettings& settings)
{
    if (!findBaudRate(settings.baudRate)) {
        return Error{E_INVALIDARG, "unsupported speed " + std::to_string(settings.baudRate) + " baud"};
    }
    if (settings.dataBits < 5 || settings.dataBits > 8) {
        return Error{E_INVALIDARG, "unsupported data bits " + std::to_string(settings.dataBits)};
    }
    return {};
}

Status settingsToTermios(const SerialSettings& settings, termios& attributes)
{
    if (Status checked = checkSettings(settings); !checked) {
        return checked;
    }
    const speed_t code = findBaudRate(settings.baudRate)->code;
    cfsetispeed(&attributes, code);
    cfsetospeed(&attributes, code);
    attributes.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    attributes.c_cflag |= sizeFlag(settings.dataBits) | parityFlags(settings.parity);
    if (settings.stopBits == StopBits::Two) {
        attributes.c_cflag |= CSTOPB;
    }
    return {};
}

Result<SerialSettings> settingsFromTermios(const termios& attributes)
{
    const SpeedCode* speed = findCode(cfgetospeed(&attributes));
    if (!speed) {
        return Error{kNotSupported, "speed code " + std::to_string(cfgetospeed(&attributes)) + " has no baud rate"};
    }
    SerialSettings settings;
    settings.baudRate = speed->baudRate;
    settings.dataBits = dataBitsOf(attributes.c_cflag);
    settings.parity = parityOf(attributes.c_cflag);
    settings.stopBits = (attributes.c_cflag & CSTOPB) ? StopBits::Two : StopBits::One;
    return settings;
}

void makeRaw(termios& attributes)
{
    attributes.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    attributes.c_oflag &= ~OPOST;
    attributes.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    attributes.c_cflag &= ~CRTSCTS;
    attributes.c_cflag |= CLOCAL | CREAD | HUPCL;
    attributes.c_cc[VMIN] = 1;
    attributes.c_cc[VTIME] = 0;
}

} // namespace platform::serial
