#pragma once
// Texts from the core are UTF-8 std::strings; the windows show QStrings.

#include <QString>

#include <string>

inline QString Text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}
