#pragma once
// Keysyms and virtual-key codes: what the hook reports for a key, and which
// keysym plays a named key or a character.

#include "engine/Utf8.h"
#include "triggers/Keysyms.h"

#include <X11/X.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <string>
#include <vector>

// The virtual-key code of `keycode` under `xkb` with layout group `group`
// active and NumLock on or off, as the key hook and the trigger box report
// it: letter keys by the letter of the active layout, digit-row keys by
// their digit, keypad keys by NumLock, keys without a code on the active
// layout by another layout's key in the same place.
int CodeForKeycode(XkbDescPtr xkb, unsigned keycode, int group, bool numLock);

// The UTF-8 text of `keysym`; empty for keys that produce no character.
std::string KeysymText(KeySym keysym);

// The keys that type `character` (UTF-8, a letter in either case) at any
// level of layout group `group`; empty when the layout has none.
std::vector<unsigned> KeycodesTyping(XkbDescPtr xkb, int group, const std::string& character);
