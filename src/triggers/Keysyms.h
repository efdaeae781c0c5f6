#pragma once
// Keysyms (the key symbols X11 and xkbcommon share) and virtual-key codes:
// which keysym plays a named key or a character, whatever the desktop.

#include <cstdint>

// The virtual-key code of a key whose unshifted keysym is `keysym`;
// vk::Unmapped when it has none. Modifiers give the generic 16, 17, 18.
int CodeForKeysym(uint32_t keysym);

// The keysym that plays virtual-key code `code`; 0 when none.
uint32_t KeysymForCode(int code);

// The keysym of a Unicode character; 0 for control characters.
uint32_t KeysymForCharacter(char32_t character);
