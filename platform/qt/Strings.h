#pragma once

#include <QString>
#include <string>

namespace qtui {

inline QString ToQt(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

inline std::u16string FromQt(const QString& text) {
    return text.toStdU16String();
}

}  // namespace qtui
