#pragma once
// Recording fakes of the key-hook port and of the run queue's entry points.

#include "ports/KeyHook.h"
#include "schedule/RunQueuePorts.h"

#include <algorithm>
#include <string>
#include <vector>

// Records every port call as text: "SetHandle 7", "SetType 1", "Init",
// "Release"; SetTakenKeys keeps the keys in `taken` and refuses those in
// `heldElsewhere`.
class CRecordingKeyHook : public IKeyHook {
public:
    void SetHandle(intptr_t receiver) override {
        calls.push_back("SetHandle " + std::to_string(receiver));
    }
    void SetType(int type) override { calls.push_back("SetType " + std::to_string(type)); }
    void InitKeybHook(intptr_t) override { calls.push_back("Init"); }
    void ReleaseKeybHook() override { calls.push_back("Release"); }
    std::vector<TakenKey> SetTakenKeys(const std::vector<TakenKey>& keys) override {
        taken = keys;
        ++takeCalls;
        std::vector<TakenKey> refused;
        for (const TakenKey& key : keys)
            if (std::find(heldElsewhere.begin(), heldElsewhere.end(), key) != heldElsewhere.end())
                refused.push_back(key);
        return refused;
    }

    std::vector<std::string> calls;
    std::vector<TakenKey> taken;
    std::vector<TakenKey> heldElsewhere;
    int takeCalls = 0;
};

// Records "Enqueue <id>" and "RunNext", and the hook port's calls up to that
// moment when given one (to see the hook released around a start).
class CRecordingMacroStarter : public IRunQueue {
public:
    int EnqueueMacro(int32_t id) override {
        calls.push_back("Enqueue " + std::to_string(id));
        return 1;
    }
    int RunNextQueued() override {
        calls.push_back("RunNext");
        return 1;
    }

    std::vector<std::string> calls;
};
