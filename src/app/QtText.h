#pragma once
#include <QString>
#include <string>
#include <string_view>

#include "text/Cp1251.h"

// The widget boundary: stored CP1251 bytes to QString and back. A character CP1251 cannot hold
// becomes '?'.
namespace veltor {

inline QString toQ(std::string_view cp1251)
{
    return QString::fromStdString(cp1251ToUtf8(cp1251));
}

inline std::string fromQ(const QString &text)
{
    return utf8ToCp1251(text.toStdString());
}

} // namespace veltor
