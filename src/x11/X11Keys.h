#pragma once
// Keysyms and virtual-key codes: what the hook reports for a key, and which
// keysym plays a named key or a character.

#include <X11/X.h>

// The virtual-key code of a key whose unshifted keysym is `keysym`;
// vk::Unmapped when it has none. Modifiers give the generic 16, 17, 18.
int CodeForKeysym(KeySym keysym);

// The keysym that plays virtual-key code `code`; NoSymbol when none.
KeySym KeysymForCode(int code);

// The keysym of a Unicode character; NoSymbol for control characters.
KeySym KeysymForCharacter(char32_t character);
