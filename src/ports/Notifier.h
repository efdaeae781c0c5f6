#pragma once
// A passing desktop notification (the tray icon's message). Clicking it is
// the implementation's to wire: the program shows the Output page.

#include <string>

class IDesktopNotifier {
public:
    virtual ~IDesktopNotifier() = default;
    virtual void Notify(const std::string& title, const std::string& text) = 0;
};
