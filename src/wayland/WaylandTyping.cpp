// Typing through a virtual keyboard that carries a keymap of our own: each
// character is on a key of that map, so it arrives exactly, whatever layout
// the user has; named keys and the letters of chords are on US keys.
#include "wayland/WaylandDesktop.h"

#include "triggers/Keysyms.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// Milliseconds of a steady clock, the time stamp of key events.
uint32_t NowMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// How long applications get to take up a keyboard that just appeared.
constexpr int kNewKeyboardSettleMs = 100;

void Pause(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string KeysymLabel(uint32_t keysym) {
    char buffer[64];
    if (xkb_keysym_get_name(keysym, buffer, sizeof buffer) < 0)
        std::snprintf(buffer, sizeof buffer, "0x%x", keysym);
    return buffer;
}

} // namespace

DesktopResult CWaylandDesktop::EnsureKeyboard() {
    if (keyboard)
        return DesktopResult::Ok();
    if (const std::string problem = TypingProblem(); !problem.empty())
        return DesktopResult::Fail(problem);
    if (!context)
        context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return DesktopResult::Fail("cannot make a keymap (xkbcommon failed)");
    keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(globals.keyboards, globals.seat);
    if (DesktopResult loaded = LoadKeymap({}); !loaded.ok)
        return loaded;
    // The compositor may drop the first key of a keyboard it has just
    // met while it makes it the seat's active one: a harmless tap of Shift
    // goes first.
    SendKey(CVirtualKeymap::kShift, true, 0);
    SendKey(CVirtualKeymap::kShift, false, 0);
    // On a seat that had no keyboard before, applications ask for one only
    // now; keys sent before they have it reach nobody.
    if (!Roundtrip())
        return DesktopResult::Fail(ConnectionProblem());
    Pause(kNewKeyboardSettleMs);
    if (!Roundtrip())
        return DesktopResult::Fail(ConnectionProblem());
    return DesktopResult::Ok();
}

DesktopResult CWaylandDesktop::LoadKeymap(const std::vector<uint32_t>& extra) {
    CVirtualKeymap next(extra);
    xkb_keymap* compiled = xkb_keymap_new_from_string(
        context, next.Text().c_str(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!compiled)
        return DesktopResult::Fail("cannot make a keymap (xkbcommon rejected it)");
    char* text = xkb_keymap_get_as_string(compiled, XKB_KEYMAP_FORMAT_TEXT_V1);
    const size_t size = text ? std::strlen(text) + 1 : 0;
    const int fd = text ? memfd_create("wingmate-keymap", MFD_CLOEXEC) : -1;
    bool written = fd >= 0;
    for (size_t at = 0; written && at < size;) {
        const ssize_t done = write(fd, text + at, size - at);
        written = done > 0;
        at += written ? static_cast<size_t>(done) : 0;
    }
    std::free(text);
    if (!written) {
        if (fd >= 0)
            close(fd);
        xkb_keymap_unref(compiled);
        return DesktopResult::Fail("cannot hand the keymap to the compositor");
    }
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                   static_cast<uint32_t>(size));
    close(fd);
    if (state)
        xkb_state_unref(state);
    if (keymap)
        xkb_keymap_unref(keymap);
    keymap = compiled;
    state = xkb_state_new(keymap);
    layout = std::move(next);
    // Keys held across the change stay held on the new map (the modifiers
    // keep their keycodes); tell the compositor so.
    for (uint32_t keycode : keysDown)
        xkb_state_update_key(state, keycode, XKB_KEY_DOWN);
    zwp_virtual_keyboard_v1_modifiers(keyboard,
                                      xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED),
                                      xkb_state_serialize_mods(state, XKB_STATE_MODS_LATCHED),
                                      xkb_state_serialize_mods(state, XKB_STATE_MODS_LOCKED), 0);
    return DesktopResult::Ok();
}

void CWaylandDesktop::SendKey(uint32_t keycode, bool down, int pauseMs) {
    zwp_virtual_keyboard_v1_key(keyboard, NowMs(), keycode - 8,
                                down ? WL_KEYBOARD_KEY_STATE_PRESSED
                                     : WL_KEYBOARD_KEY_STATE_RELEASED);
    if (down)
        keysDown.insert(keycode);
    else
        keysDown.erase(keycode);
    const xkb_state_component changed =
        xkb_state_update_key(state, keycode, down ? XKB_KEY_DOWN : XKB_KEY_UP);
    if (changed & XKB_STATE_MODS_EFFECTIVE)
        zwp_virtual_keyboard_v1_modifiers(
            keyboard, xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED),
            xkb_state_serialize_mods(state, XKB_STATE_MODS_LATCHED),
            xkb_state_serialize_mods(state, XKB_STATE_MODS_LOCKED), 0);
    Flush();
    Pause(pauseMs);
}

void CWaylandDesktop::ReleaseKeys() {
    while (keyboard && !keysDown.empty())
        SendKey(*keysDown.rbegin(), false, 0);
}

DesktopResult CWaylandDesktop::StrokeFor(uint32_t keysym, const std::vector<KeyAction>& actions,
                                         size_t at, VirtualStroke& stroke) {
    if (layout.Find(keysym, stroke))
        return DesktopResult::Ok();
    // A new map with this keysym and those that follow it.
    if (DesktopResult loaded = LoadKeymap(CVirtualKeymap::Upcoming(actions, at)); !loaded.ok)
        return loaded;
    if (!layout.Find(keysym, stroke))
        return DesktopResult::Fail("no key can type " + KeysymLabel(keysym));
    return DesktopResult::Ok();
}

DesktopResult CWaylandDesktop::Perform(const KeyAction& action,
                                       const std::vector<KeyAction>& actions, size_t at) {
    const uint32_t keysym = CVirtualKeymap::KeysymOf(action);
    if (!keysym)
        return DesktopResult::Fail("no key plays " + DescribeKeyAction(action));
    VirtualStroke stroke;
    if (DesktopResult found = StrokeFor(keysym, actions, at, stroke); !found.ok)
        return found;
    if (action.code) {
        // A named key is pressed as itself, never with its Shift level.
        if (action.type == KeyAction::Type::Tap) {
            SendKey(stroke.keycode, true, pacing.holdMs);
            SendKey(stroke.keycode, false, pacing.delayMs);
        } else {
            SendKey(stroke.keycode, action.type == KeyAction::Type::Press, pacing.delayMs);
        }
        return DesktopResult::Ok();
    }
    const bool shift = stroke.shift && !keysDown.count(CVirtualKeymap::kShift);
    if (shift)
        SendKey(CVirtualKeymap::kShift, true, pacing.delayMs);
    SendKey(stroke.keycode, true, pacing.holdMs);
    SendKey(stroke.keycode, false, pacing.delayMs);
    if (shift)
        SendKey(CVirtualKeymap::kShift, false, pacing.delayMs);
    return DesktopResult::Ok();
}

DesktopResult CWaylandDesktop::TypeKeys(const std::string& keys, const KeyPacing& keyPacing,
                                        const std::function<bool()>& stopRequested) {
    const TypeKeysPlan plan = ParseTypeKeys(keys);
    if (!plan.Ok())
        return DesktopResult::Fail(plan.error);
    std::lock_guard lock(mutex);
    DesktopResult result = EnsureKeyboard();
    // The map goes again each time: the compositor may have put the user's
    // layout on the keyboard meanwhile (a change of its input settings).
    if (result.ok)
        result = LoadKeymap(CVirtualKeymap::Upcoming(plan.actions, 0));
    pacing = keyPacing;
    for (size_t at = 0; result.ok && at < plan.actions.size(); ++at) {
        if (stopRequested && stopRequested())
            break;
        result = Perform(plan.actions[at], plan.actions, at);
    }
    // Held modifiers of an unfinished chord, a stop or a failure: nothing
    // playback pressed stays down.
    ReleaseKeys();
    // Returns once the compositor has taken every key.
    if (keyboard && !Roundtrip())
        return DesktopResult::Fail(ConnectionProblem());
    return result;
}
