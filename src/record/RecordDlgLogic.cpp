#include "record/RecordDlgLogic.h"

#include "triggers/KeyNames.h"

#include <cctype>

namespace {
struct PunctuationKey {
    char plain;
    char shifted;
    uint16_t code;
};
// US layout punctuation keys; digits carry their shifted symbols.
constexpr PunctuationKey kPunctuation[] = {
    {'1', '!', '1'},  {'2', '@', '2'}, {'3', '#', '3'}, {'4', '$', '4'},  {'5', '%', '5'},
    {'6', '^', '6'},  {'7', '&', '7'}, {'8', '*', '8'}, {'9', '(', '9'},  {'0', ')', '0'},
    {';', ':', 186},  {'=', '+', 187}, {',', '<', 188}, {'-', '_', 189},  {'.', '>', 190},
    {'/', '?', 191},  {'`', '~', 192}, {'[', '{', 219}, {'\\', '|', 220}, {']', '}', 221},
    {'\'', '"', 222}, {' ', 0, 32},
};
constexpr uint16_t kShiftState = 0x100;
} // namespace

uint16_t StopKeyForText(std::string_view box) {
    if (box.empty())
        return 0;
    const char character = box.front();
    if (std::isalpha(static_cast<unsigned char>(character)))
        return static_cast<uint16_t>(std::toupper(static_cast<unsigned char>(character)));
    for (const PunctuationKey& key : kPunctuation) {
        if (character == key.plain)
            return key.code;
        if (key.shifted && character == key.shifted)
            return key.code | kShiftState;
    }
    return 0;
}

std::string StopKeyText(uint16_t modifier, uint16_t stopKey) {
    return KeyName(modifier, true) + "+" + KeyName(stopKey & 0xFF, true);
}

int32_t ParseIdleSeconds(std::string_view box) {
    constexpr int32_t kLimit = 24 * 60 * 60;
    int32_t seconds = 0;
    for (char character : box) {
        if (!std::isdigit(static_cast<unsigned char>(character)))
            return 0;
        seconds = seconds * 10 + (character - '0');
        if (seconds > kLimit)
            seconds = kLimit;
    }
    return seconds;
}

std::string ScriptFromViewText(std::string_view viewText, std::string_view lineEnd) {
    std::string script;
    if (viewText.empty())
        return script;
    script.reserve(viewText.size() + viewText.size() / 16);
    size_t start = 0;
    while (true) {
        const size_t end = viewText.find('\n', start);
        script.append(viewText.substr(start, end == std::string_view::npos ? end : end - start));
        script.append(lineEnd);
        if (end == std::string_view::npos || end + 1 == viewText.size())
            break;
        start = end + 1;
    }
    return script;
}

bool IsBlankScript(std::string_view text) {
    for (char character : text)
        if (!std::isspace(static_cast<unsigned char>(character)))
            return false;
    return true;
}
