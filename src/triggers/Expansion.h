#pragma once
// What is typed when an abbreviation expands: Backspaces over what the user
// typed, then the macro's replacement text with its placeholders filled in,
// the word end again, and the caret moved back to the "$|$" mark. All as
// TypeKeys text, so the desktop types it under any keyboard layout.

#include "triggers/AbbreviationMatcher.h"

#include <cstdint>
#include <string>
#include <string_view>

// `count` Backspaces.
std::string EraseKeys(size_t count);

// TypeKeys text that types `text` exactly as it stands ("<" and the
// control characters TypeKeys cannot type taken care of: a tab and a line
// break are typed, any other control character is left out).
std::string LiteralKeys(std::string_view text);

// The replacement text filled in: "{clipboard}" with `clipboard`,
// "{date:FORMAT}" with the local time `now` formatted by strftime, in the
// typed case (the placeholders' text keeps its own case). `caretBack`
// receives how many characters follow the "$|$" mark (the first one; the
// others are typed), 0 without one. Unknown "{...}" stays as it is.
std::string FillReplacement(std::string_view text, TypedCase typedCase, std::string_view clipboard,
                            int64_t now, size_t& caretBack);

// The whole expansion of `hit` into `replacement`: erase, fill, type, the
// word end, and the caret moves.
std::string ExpansionKeys(const AbbreviationHit& hit, std::string_view replacement,
                          std::string_view clipboard, int64_t now);
