#include "ports/UiText.h"

#include <atomic>
#include <vector>

namespace {
std::atomic<UiTranslator> installed{nullptr};
} // namespace

void SetUiTranslator(UiTranslator translator) {
    installed.store(translator);
}

std::string UiText(const char* text) {
    const UiTranslator translator = installed.load();
    return translator && *text ? translator(text) : std::string(text);
}

std::string FillText(const std::string& text, std::initializer_list<std::string> args) {
    const std::vector<std::string> values(args);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9' && size_t(next - '1') < values.size()) {
            out += values[size_t(next - '1')];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string UiFormat(const char* pattern, std::initializer_list<std::string> args) {
    return FillText(UiText(pattern), args);
}
