#pragma once
// The Manager page's Pick Window on X11: a connection of its own for the
// pointer grab, the window clicked read as a window filter needs it. Blocks
// the calling thread until the click. (No X11 headers here: the program's
// main includes it beside libraries whose names X11's macros break.)

#include "ports/WindowPicker.h"

class CX11WindowPicker : public IWindowPicker {
public:
    bool PickNextClicked(PickedWindow& picked, std::string& error) override;
};
