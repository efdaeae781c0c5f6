#include "record/RecordDlgLogic.h"

#include "ports/UiText.h"
#include "triggers/KeyNames.h"

#include <cctype>

namespace {
constexpr uint16_t kShiftState = 0x100;
} // namespace

uint16_t StopKeyForText(std::string_view box) {
    if (box.empty())
        return 0;
    const char character = box.front();
    if (std::isalpha(static_cast<unsigned char>(character)))
        return static_cast<uint16_t>(std::toupper(static_cast<unsigned char>(character)));
    bool shifted = false;
    const int code = UsKeyForCharacter(character, shifted);
    return static_cast<uint16_t>(shifted ? code | kShiftState : code);
}

std::string StopCharacter(std::string_view box) {
    if (box.empty())
        return {};
    const auto lead = static_cast<unsigned char>(box.front());
    const size_t length = lead < 0x80             ? 1
                          : (lead & 0xE0) == 0xC0 ? 2
                          : (lead & 0xF0) == 0xE0 ? 3
                          : (lead & 0xF8) == 0xF0 ? 4
                                                  : 0;
    if (length == 0 || box.size() < length || (length == 1 && lead < 0x20))
        return {};
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(box[i]) & 0xC0) != 0x80)
            return {};
    return std::string(box.substr(0, length));
}

std::string StopCharacterRefusal(std::string_view character) {
    return UiFormat(UI_TEXT("Wingmate", "No key types \"%1\" on the keyboard layout in use. "
                                        "Choose another key to stop the recording."),
                    {std::string(character)});
}

std::string StopKeyText(uint16_t modifier, std::string_view character) {
    std::string key(character);
    if (key == " ")
        key = KeyName(vk::Space, true);
    else if (key.size() == 1)
        key[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
    return KeyName(modifier, true) + "+" + key;
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
