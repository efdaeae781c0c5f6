#pragma once
// Port: the class and title of a window the user points at, for a window
// filter. The X11 adapter grabs the pointer and waits for a click; tests
// answer with a fake.

#include <string>

struct PickedWindow {
    std::string title;
    std::string instanceName; // WM_CLASS's first part ("xterm")
    std::string className;    // its second part ("XTerm"), or the application id
};

class IWindowPicker {
public:
    virtual ~IWindowPicker() = default;
    // Waits for the next window clicked. false when no window was picked:
    // `error` says why, or is empty when the user cancelled.
    virtual bool PickNextClicked(PickedWindow& picked, std::string& error) = 0;
};
