#pragma once
// X selections as text: the atoms both sides use, reading a selection's
// text (ConvertSelection, INCR for large ones) and the Latin-1 of STRING.

#include "ports/Desktop.h"

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

struct X11SelectionAtoms {
    explicit X11SelectionAtoms(Display* display);

    Atom clipboard, targets, timestamp, multiple, utf8, text, incr, plainUtf8, plain, property;
};

// How long a peer may take for each step of a transfer.
constexpr std::chrono::milliseconds kSelectionAnswerTime{2000};
// The largest text a read takes (the engine's string limit).
constexpr size_t kMaxSelectionText = size_t{256} << 20;

// "the clipboard", "the primary selection": how messages name `selection`.
std::string SelectionLabel(const X11SelectionAtoms& atoms, Atom selection);

// Latin-1 (STRING) bytes as UTF-8, and UTF-8 as Latin-1 with '?' for
// characters it lacks.
std::string Latin1ToUtf8(std::string_view latin1);
std::string Utf8ToLatin1(std::string_view utf8);

// The text `selection` holds, read through `requestor` (a window of this
// connection selecting PropertyChangeMask, used by one thread at a time):
// "" when nothing owns it or the owner offers no text type. Fails when the
// owner does not answer within kSelectionAnswerTime at any step, or when
// `stopRequested` turns true.
DesktopResult X11ReadSelectionText(Display* display, Window requestor,
                                   const X11SelectionAtoms& atoms, Atom selection,
                                   std::string& text, const std::function<bool()>& stopRequested);
