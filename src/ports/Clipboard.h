#pragma once
// Port: the desktop's clipboard and primary selection as text. The X11
// adapter implements it; without a display the engine has none and the
// clipboard builtins raise a clear error.

#include "ports/Desktop.h"

#include <functional>
#include <string>

enum class ClipboardSelection { Clipboard, Primary };

class IClipboard {
public:
    virtual ~IClipboard() = default;

    // The text `which` holds, as UTF-8: "" when nothing owns it or its owner
    // offers no text (an image only). Fails when the owner does not answer
    // in time. `stopRequested` is polled while waiting, so a Stop ends the
    // read at once (failing).
    virtual DesktopResult GetText(ClipboardSelection which, std::string& text,
                                  const std::function<bool()>& stopRequested) = 0;
    // Makes the clipboard hold `text` (valid UTF-8) and returns once it
    // does; the text is served until another program takes the clipboard.
    virtual DesktopResult SetText(const std::string& text) = 0;
};
