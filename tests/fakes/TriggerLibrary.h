#pragma once
// A macro library for trigger tests: one macro set at the root, macros with
// triggers added into it.

#include "library/MacroLibrary.h"

#include <string>

class CTriggerLibrary {
public:
    CTriggerLibrary() {
        CMacro root;
        root.name = "My Macros";
        root.kind = 2;
        rootId = lib.InsertRecord(root, -1, InsertPosition::Into);
    }

    // A macro named `name` on `keys` with `prefix`; its id.
    int32_t Add(const std::string& name, const std::string& keys,
                TriggerPrefix prefix = TriggerPrefix::None) {
        CMacro macro;
        macro.name = name;
        macro.triggerKey = keys;
        macro.triggerPrefix = static_cast<int32_t>(prefix);
        return lib.InsertRecord(macro, rootId, InsertPosition::Into);
    }

    CMacroLibrary lib;
    int32_t rootId = 0;
};
