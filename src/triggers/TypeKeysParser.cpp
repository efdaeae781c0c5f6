#include "triggers/TypeKeysParser.h"

#include "triggers/KeyNames.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

bool IsModifier(int code) {
    return code == vk::Ctrl || code == vk::Shift || code == vk::Alt || code == vk::LeftWin ||
           code == vk::RightWin;
}

// Decodes one UTF-8 character at `pos`; returns its length, 0 when invalid.
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& out) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        out = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (pos + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(pos + i) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    out = value;
    return length;
}

class CPlanBuilder {
public:
    explicit CPlanBuilder(TypeKeysPlan& result) : plan(result) {}

    void Modifier(int code) {
        if (std::find(held.begin(), held.end(), code) != held.end())
            return;
        held.push_back(code);
        plan.actions.push_back(KeyAction::Press(code));
    }

    void Key(int code) {
        plan.actions.push_back(KeyAction::TapKey(code));
        ReleaseHeld();
    }

    void Character(char32_t character) {
        if (!held.empty() && character < 0x80 && std::isalpha(static_cast<int>(character)))
            Key(std::toupper(static_cast<int>(character)));
        else if (character == '\n' || character == '\r')
            Key(vk::Enter);
        else if (character == '\t')
            Key(vk::Tab);
        else {
            plan.actions.push_back(KeyAction::TapCharacter(character));
            ReleaseHeld();
        }
    }

    void ReleaseHeld() {
        for (auto it = held.rbegin(); it != held.rend(); ++it)
            plan.actions.push_back(KeyAction::Release(*it));
        held.clear();
    }

private:
    TypeKeysPlan& plan;
    std::vector<int> held;
};

std::string Hex(const char* format, unsigned value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

} // namespace

TypeKeysPlan ParseTypeKeys(std::string_view text) {
    TypeKeysPlan plan;
    CPlanBuilder builder(plan);
    auto fail = [&](std::string why) {
        plan.actions.clear();
        plan.error = std::move(why);
        return plan;
    };
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t character = 0;
        size_t length = DecodeUtf8(text, pos, character);
        bool fromToken = false;
        if (!length)
            return fail("invalid UTF-8 at byte " + std::to_string(pos));
        if (character == '<') {
            // "<x>": one character, which may itself be "<" or ">".
            char32_t inner = 0;
            const size_t innerLength = pos + 1 < text.size() ? DecodeUtf8(text, pos + 1, inner) : 0;
            const size_t close = text.find('>', pos + 1);
            const int code = close == std::string_view::npos
                                 ? 0
                                 : KeyCodeForName(text.substr(pos + 1, close - pos - 1));
            if (innerLength && pos + 1 + innerLength < text.size() &&
                text[pos + 1 + innerLength] == '>') {
                character = inner;
                length = innerLength + 2;
                fromToken = true;
            } else if (code) {
                if (IsModifier(code))
                    builder.Modifier(code);
                else
                    builder.Key(code);
                pos = close + 1;
                continue;
            }
        }
        pos += length;
        const bool lineOrTab = character == '\t' || character == '\r' || character == '\n';
        if ((character < 0x20 && !lineOrTab) || character == 0x7F)
            return fail("cannot type the control character " +
                        Hex("0x%02X", static_cast<unsigned>(character)));
        // "\r\n" is one line break.
        if (character == '\r' && !fromToken && pos < text.size() && text[pos] == '\n')
            ++pos;
        builder.Character(character);
    }
    builder.ReleaseHeld();
    return plan;
}

std::string DescribeKeyAction(const KeyAction& action) {
    std::string what;
    if (action.code) {
        what = KeyName(action.code, true);
        if (action.code == vk::Enter)
            what = "ENTER";
        if (what.empty())
            what = "#" + std::to_string(action.code);
    } else if (action.character >= 0x20 && action.character < 0x7F) {
        what = std::string("'") + static_cast<char>(action.character) + "'";
    } else {
        what = Hex("U+%04X", static_cast<unsigned>(action.character));
    }
    switch (action.type) {
    case KeyAction::Type::Press:
        return "+" + what;
    case KeyAction::Type::Release:
        return "-" + what;
    case KeyAction::Type::Tap:
        break;
    }
    return what;
}
