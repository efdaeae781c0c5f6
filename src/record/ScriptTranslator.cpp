#include "record/ScriptTranslator.h"

#include "triggers/KeyNames.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace {

// Modifiers in the order chords are written.
struct Modifier {
    uint32_t bit;
    const char* token;
};
constexpr std::array<Modifier, 5> kModifiers{{
    {1, "<CTRL>"},
    {2, "<ALT>"},
    {4, "<SHIFT>"},
    {8, "<LWIN>"},
    {16, "<RWIN>"},
}};
constexpr uint32_t kShiftBit = 4;
constexpr uint32_t kChordBits = 1 | 2 | 8 | 16;

// The modifier bit of a virtual-key code (left and right variants included);
// 0 for other keys.
uint32_t ModifierBit(int code) {
    if (vk::IsCtrl(code))
        return 1;
    if (code == vk::Alt || code == vk::LeftAlt || code == vk::RightAlt)
        return 2;
    if (vk::IsShift(code))
        return 4;
    if (code == vk::LeftWin)
        return 8;
    if (code == vk::RightWin)
        return 16;
    return 0;
}

// Lock keys change what the following keys produce, and that is already in
// the recorded characters; replaying the toggle would undo it.
bool IsLockKey(int code) {
    return code == vk::Caps || code == vk::NumLock || code == vk::ScrollLock;
}

// A run of typing longer than this goes on in another TypeKeys line, so that
// lines stay short enough for editors and for the dialog, which reads lines
// of up to 8192 bytes.
constexpr size_t kMaxTypingBytes = 4000;

// A pointer that moved no more than this between press and release clicked.
constexpr int kClickSlop = 2;

// X11's buttons for a notch of the wheel.
constexpr int kWheelUp = 4;
constexpr int kWheelDown = 5;

// Text a key produced that TypeKeys can type as a character: a printable
// character (control characters come from named keys, written as tokens).
bool IsTypeable(const std::string& text) {
    if (text.empty())
        return false;
    const auto first = static_cast<unsigned char>(text[0]);
    return first >= 0x20 && first != 0x7F;
}

// `text` as TypeKeys types it: "<" written "<<>" so that it never starts a
// token.
std::string TypeKeysText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '<')
            out += "<<>";
        else
            out += c;
    }
    return out;
}

// The key part of a chord: letters and digits as themselves (a letter is its
// key whatever the layout), named keys as tokens, other keys as "<x>" of the
// US character on them, else the character the key produced.
std::string ChordKey(const RecordedEvent& event) {
    const int code = event.keyCode;
    if (code >= 'A' && code <= 'Z')
        return std::string(1, static_cast<char>(code - 'A' + 'a'));
    if (code >= '0' && code <= '9')
        return std::string(1, static_cast<char>(code));
    if (code == vk::Enter)
        return "<ENTER>";
    std::string name = KeyName(code, true);
    if (!name.empty())
        return "<" + name + ">";
    if (IsTypeable(event.text))
        return "<" + event.text + ">";
    return {};
}

// The token of a key that produced no typeable character; empty when the
// language has no name for it.
std::string NamedKeyToken(int code) {
    if (code == vk::Enter)
        return "<ENTER>";
    std::string name = KeyName(code, true);
    if (name.size() < 2)
        return {}; // single characters only come from the key's text
    return "<" + name + ">";
}

bool ValidUtf8At(std::string_view text, size_t pos, size_t& length) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        length = 1;
        return true;
    }
    length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (!length || lead == 0xC0 || lead == 0xC1 || lead > 0xF4 || pos + length > text.size())
        return false;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80)
            return false;
    return true;
}

std::string Call(const char* name, const std::string& arguments) {
    return std::string(name) + "(" + arguments + ");";
}

std::string Numbers(std::initializer_list<int64_t> values) {
    std::string out;
    for (int64_t value : values) {
        if (!out.empty())
            out += ", ";
        out += std::to_string(value);
    }
    return out;
}

// "" for the left button (the default), else the number.
std::string ButtonArgument(int button) {
    return button == 1 ? std::string() : std::to_string(button);
}

} // namespace

std::string ScriptStringLiteral(std::string_view text) {
    std::string out = "\"";
    for (size_t pos = 0; pos < text.size();) {
        const char c = text[pos];
        const auto byte = static_cast<unsigned char>(c);
        size_t length = 1;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte == 0x7F || !ValidUtf8At(text, pos, length)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
            length = 1;
        } else {
            out.append(text.substr(pos, length));
        }
        pos += length;
    }
    return out + "\"";
}

// Titles longer than this are written as their beginning, which WinWait
// and WinActivate still match, so that a line stays readable whole.
constexpr size_t kMaxTitleBytes = 1024;

std::string RecordedTitle(std::string_view title, bool truncate) {
    if (title.size() > kMaxTitleBytes) {
        size_t cut = kMaxTitleBytes;
        while (cut > 0 && (static_cast<unsigned char>(title[cut]) & 0xC0) == 0x80)
            --cut; // not inside a character
        return RecordedTitle(title.substr(0, cut), truncate);
    }
    if (!truncate)
        return std::string(title);
    static constexpr std::string_view kSeparators[] = {" - ", " \xE2\x80\x94 "};
    size_t best = std::string_view::npos;
    size_t bestEnd = 0;
    for (std::string_view separator : kSeparators) {
        const size_t at = title.rfind(separator);
        if (at != std::string_view::npos && (best == std::string_view::npos || at > best)) {
            best = at;
            bestEnd = at + separator.size();
        }
    }
    if (best == std::string_view::npos || bestEnd >= title.size())
        return std::string(title);
    return std::string(title.substr(bestEnd));
}

CScriptTranslator::CScriptTranslator(const TranslatorSettings& initial) : settings(initial) {}

CScriptTranslator::Outcome CScriptTranslator::Feed(const RecordedEvent& event,
                                                   std::vector<std::string>& lines) {
    if (stopped)
        return Outcome::Stop;
    switch (event.kind) {
    case RecordedEvent::Kind::KeyDown: {
        const int stopKey = settings.stopKey & 0xFF;
        const uint32_t stopBit = ModifierBit(settings.stopModifier);
        const bool isStopKey = event.stop == RecordedEvent::Stop::ByCode
                                   ? stopKey && (event.keyCode & 0xFF) == stopKey
                                   : event.stop == RecordedEvent::Stop::Yes;
        if (isStopKey && (!stopBit || heldModifiers & stopBit)) {
            stopped = true;
            return Outcome::Stop;
        }
        if (const uint32_t bit = ModifierBit(event.keyCode)) {
            heldModifiers |= bit;
            return Outcome::Continue;
        }
        // A dead key types nothing yet: the key that completes it carries
        // the character.
        if (!event.ownWindow && !event.composing)
            KeyDown(event, lines);
        break;
    }
    case RecordedEvent::Kind::KeyUp:
        heldModifiers &= ~ModifierBit(event.keyCode);
        break;
    case RecordedEvent::Kind::ButtonDown:
        pointerX = event.x;
        pointerY = event.y;
        if (!event.ownWindow && event.button >= 1 && event.button <= 3)
            ButtonDown(event, lines);
        else if (!event.ownWindow && (event.button == kWheelUp || event.button == kWheelDown))
            Wheel(event, lines);
        break;
    case RecordedEvent::Kind::ButtonUp:
        pointerX = event.x;
        pointerY = event.y;
        if (event.button >= 1 && event.button <= 3)
            ButtonUp(event, lines);
        break;
    case RecordedEvent::Kind::Motion:
        pointerX = event.x;
        pointerY = event.y;
        break;
    case RecordedEvent::Kind::WindowChange:
        if (event.ownWindow)
            break;
        {
            // Typing so far went to the window that was active. The same
            // window with a new title (an editor marking its document
            // modified, a counter) is the same window to the script: it keeps
            // the title it was named by.
            WindowSeen seen{event.window, RecordedTitle(event.title, settings.truncateTitles),
                            event.wmClass};
            if (!seen.SameAs(active)) {
                FlushTyping(lines);
                FlushWheel(lines);
                active = std::move(seen);
            }
            break;
        }
    }
    return Outcome::Continue;
}

bool CScriptTranslator::ChordModifierHeld() const {
    return heldModifiers & kChordBits;
}

void CScriptTranslator::KeyDown(const RecordedEvent& event, std::vector<std::string>& lines) {
    if (IsLockKey(event.keyCode))
        return;
    std::string keys;
    if (ChordModifierHeld()) {
        const std::string key = ChordKey(event);
        if (key.empty())
            return;
        for (const Modifier& modifier : kModifiers)
            if (heldModifiers & modifier.bit)
                keys += modifier.token;
        keys += key;
    } else if (IsTypeable(event.text)) {
        keys = TypeKeysText(event.text);
    } else {
        keys = NamedKeyToken(event.keyCode);
        if (keys.empty())
            return;
        if (heldModifiers & kShiftBit)
            keys = "<SHIFT>" + keys;
    }
    const bool idleSplit = settings.sleepWhenIdle && settings.idleSeconds > 0 &&
                           event.timeMs - lastActionMs > int64_t{settings.idleSeconds} * 1000;
    if (!typing.empty() && idleSplit)
        FlushTyping(lines);
    FlushWheel(lines);
    if (typing.empty()) {
        BeginAction(event.timeMs, lines);
    } else if (typing.size() + keys.size() > kMaxTypingBytes) {
        FlushTyping(lines); // the run goes on in the next line
    }
    typing += keys;
    lastActionMs = event.timeMs;
}

void CScriptTranslator::BeginAction(int64_t timeMs, std::vector<std::string>& lines) {
    if (anyAction) {
        const int64_t pause = timeMs - lastActionMs;
        if (settings.sleepWhenIdle && settings.idleSeconds > 0 &&
            pause > int64_t{settings.idleSeconds} * 1000)
            lines.push_back(Call("Sleep", std::to_string(pause)));
        else if (settings.defaultDelay > 0)
            lines.push_back(Call("Sleep", std::to_string(settings.defaultDelay)));
    }
    if (!active.title.empty() && !WindowWritten()) {
        // WinActivate waits as long as WinWait; its class comes after its
        // time, which is written then.
        const std::string title = ScriptStringLiteral(active.title);
        const std::string wait = std::to_string(settings.windowWaitMs);
        std::string activateArguments = title;
        std::string classArgument;
        if (!active.className.empty()) {
            classArgument = ", " + ScriptStringLiteral(active.className);
            activateArguments += ", " + wait + classArgument;
        } else if (settings.windowWaitMs != kDefaultWindowWaitMs) {
            activateArguments += ", " + wait;
        }
        lines.push_back(Call("WinWait", title + ", " + wait + classArgument));
        lines.push_back(Call("WinActivate", activateArguments));
        written = active;
    }
    anyAction = true;
}

bool CScriptTranslator::InWindow(const Press& press) const {
    return press.inWindow && WindowWritten();
}

std::string CScriptTranslator::Position(const Press& press, int x, int y,
                                        const std::string& between) const {
    if (!InWindow(press))
        return Numbers({x, y}) + between;
    return Numbers({x - press.originX, y - press.originY}) + between + ", \"window\"";
}

// A run of notches in one direction at one place is one MouseWheel, after a
// MouseMove there: the wheel turns whatever is under the pointer.
void CScriptTranslator::Wheel(const RecordedEvent& event, std::vector<std::string>& lines) {
    FlushTyping(lines);
    const int step = event.button == kWheelUp ? 1 : -1;
    const bool moved =
        std::abs(event.x - wheel.x) > kClickSlop || std::abs(event.y - wheel.y) > kClickSlop;
    if (wheelSteps != 0 && (moved || (wheelSteps > 0) != (step > 0)))
        FlushWheel(lines);
    if (wheelSteps == 0) {
        BeginAction(event.timeMs, lines);
        wheel = {0,     event.x,        event.y,       event.timeMs,
                 false, event.inWindow, event.originX, event.originY};
    }
    wheelSteps += step;
    lastActionMs = event.timeMs;
}

void CScriptTranslator::FlushWheel(std::vector<std::string>& lines) {
    if (wheelSteps == 0)
        return;
    lines.push_back(Call("MouseMove", Position(wheel, wheel.x, wheel.y)));
    lines.push_back(Call("MouseWheel", std::to_string(wheelSteps)));
    wheelSteps = 0;
}

void CScriptTranslator::FlushTyping(std::vector<std::string>& lines) {
    if (typing.empty())
        return;
    lines.push_back(PendingLine());
    typing.clear();
}

std::string CScriptTranslator::PendingLine() const {
    return typing.empty() ? std::string() : Call("TypeKeys", ScriptStringLiteral(typing));
}

void CScriptTranslator::ButtonDown(const RecordedEvent& event, std::vector<std::string>& lines) {
    FlushTyping(lines);
    FlushWheel(lines);
    // Another button is still down: it becomes a held button of a drag.
    for (Press& press : presses) {
        if (!press.downWritten) {
            BeginAction(press.timeMs, lines);
            lines.push_back(Call("MouseMove", Position(press, press.x, press.y)));
            lines.push_back(Call("MouseDown", ButtonArgument(press.button)));
            press.downWritten = true;
        }
    }
    std::erase_if(presses, [&](const Press& press) { return press.button == event.button; });
    presses.push_back({event.button, event.x, event.y, event.timeMs, false, event.inWindow,
                       event.originX, event.originY});
}

void CScriptTranslator::ButtonUp(const RecordedEvent& event, std::vector<std::string>& lines) {
    const auto it = std::find_if(presses.begin(), presses.end(),
                                 [&](const Press& press) { return press.button == event.button; });
    if (it == presses.end())
        return; // pressed before recording began, or on our own window
    const Press press = *it;
    presses.erase(it);
    const bool moved =
        std::abs(event.x - press.x) > kClickSlop || std::abs(event.y - press.y) > kClickSlop;
    // Both ends of a drag count from the window it began in.
    if (press.downWritten) {
        if (moved)
            lines.push_back(Call("MouseMove", Position(press, event.x, event.y)));
        lines.push_back(Call("MouseUp", ButtonArgument(press.button)));
    } else if (!moved) {
        BeginAction(press.timeMs, lines);
        // The button is written when it is not the left one, and before the
        // window mode, which follows it.
        const bool button = press.button != 1 || InWindow(press);
        lines.push_back(Call(
            "MouseClick", Position(press, press.x, press.y,
                                   button ? ", " + std::to_string(press.button) : std::string())));
    } else {
        BeginAction(press.timeMs, lines);
        lines.push_back(Call("MouseMove", Position(press, press.x, press.y)));
        lines.push_back(Call("MouseDown", ButtonArgument(press.button)));
        lines.push_back(Call("MouseMove", Position(press, event.x, event.y)));
        lines.push_back(Call("MouseUp", ButtonArgument(press.button)));
    }
    lastActionMs = event.timeMs;
}

void CScriptTranslator::Finish(std::vector<std::string>& lines) {
    FlushTyping(lines);
    FlushWheel(lines);
    // A button still down ends as a click where it went down, or, when the
    // script already holds it, is let go where the pointer is now.
    const std::vector<Press> stillDown = presses;
    for (const Press& press : stillDown) {
        RecordedEvent release;
        release.kind = RecordedEvent::Kind::ButtonUp;
        release.button = press.button;
        release.x = press.downWritten ? pointerX : press.x;
        release.y = press.downWritten ? pointerY : press.y;
        release.timeMs = lastActionMs;
        ButtonUp(release, lines);
    }
    heldModifiers = 0;
}
