#pragma once
// Fake of the window picker: answers with `window`, fails with `failWith`,
// or is cancelled; counts the picks asked for.

#include "ports/WindowPicker.h"

#include <string>

class CFakeWindowPicker : public IWindowPicker {
public:
    bool PickNextClicked(PickedWindow& picked, std::string& error) override {
        ++picks;
        if (cancel || !failWith.empty()) {
            error = failWith;
            return false;
        }
        picked = window;
        return true;
    }

    PickedWindow window;
    std::string failWith;
    bool cancel = false;
    int picks = 0;
};
