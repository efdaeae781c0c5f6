#pragma once
// Fake of the clipboard port: each selection is a string (an owner with an
// image only reads as ""); every call is logged ("GetText clipboard",
// "SetText hi"); reads can fail or wait for text that comes later.

#include "ports/Clipboard.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

class CFakeClipboard : public IClipboard {
public:
    DesktopResult GetText(ClipboardSelection which, std::string& text,
                          const std::function<bool()>& stopRequested) override {
        const bool primaryRead = which == ClipboardSelection::Primary;
        calls.push_back(primaryRead ? "GetText primary" : "GetText clipboard");
        if (!failWith.empty())
            return DesktopResult::Fail(failWith);
        if (!primaryRead && readsUntilText > 0 && --readsUntilText == 0)
            clipboard = laterText;
        if (blockUntilStopped)
            while (!stopRequested())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        text = primaryRead ? primary : clipboard;
        return DesktopResult::Ok();
    }
    DesktopResult SetText(const std::string& text) override {
        calls.push_back("SetText " + text);
        if (!failWith.empty())
            return DesktopResult::Fail(failWith);
        clipboard = text;
        return DesktopResult::Ok();
    }

    std::vector<std::string> calls;
    std::string clipboard;
    std::string primary;
    std::string failWith;   // when set, every call fails with it
    int readsUntilText = 0; // the clipboard takes laterText at this read
    std::string laterText;
    bool blockUntilStopped = false; // a read that waits for a Stop
};
