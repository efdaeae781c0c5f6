#pragma once
// The key hook where there is none (no X display, no RECORD extension): every
// operation is accepted and nothing is ever reported.

#include "ports/KeyHook.h"

class CNullKeyHook : public IKeyHook {
public:
    void SetHandle(intptr_t) override {}
    void SetType(int) override {}
    void InitKeybHook(intptr_t) override {}
    void ReleaseKeybHook() override {}
    std::vector<TakenKey> SetTakenKeys(const std::vector<TakenKey>&) override { return {}; }
};
