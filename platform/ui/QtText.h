#pragma once

#include <QString>

#include <string>
#include <string_view>

// UTF-16 text between the program's strings and Qt's, both ways without a copy through another encoding.
namespace platform::ui {

inline QString qtext(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string text16(const QString& text)
{
    return text.toStdU16String();
}

} // namespace platform::ui
