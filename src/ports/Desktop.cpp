#include "ports/Desktop.h"

#include <algorithm>
#include <cctype>

namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

bool WindowMatch::Matches(std::string_view windowTitle,
                          std::initializer_list<std::string_view> classNames) const {
    if (windowTitle.find(title) == std::string_view::npos)
        return false;
    if (windowClass.empty())
        return true;
    return std::any_of(classNames.begin(), classNames.end(), [this](std::string_view name) {
        return !name.empty() && EqualIgnoringCase(name, windowClass);
    });
}

std::string WindowMatch::Describe() const {
    std::string text = "'" + title + "'";
    if (!windowClass.empty())
        text += " of class '" + windowClass + "'";
    return text;
}

std::string WindowMatch::NotFound() const {
    const std::string which =
        windowClass.empty() ? std::string() : " of class '" + windowClass + "'";
    return "no window" + which + " has '" + title + "' in its title";
}
