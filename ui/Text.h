#pragma once

#include <QString>

#include <string>

namespace corvane {

inline std::u16string toU16(const QString& text) {
    return text.toStdU16String();
}
inline QString fromU16(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

} // namespace corvane
