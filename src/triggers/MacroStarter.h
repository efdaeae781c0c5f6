#pragma once
// What the hook wrapper needs of the run queue: queue a macro by id and start
// the head of the queue. The main window wires it to its run queue.

#include <cstdint>

class IMacroStarter {
public:
    virtual ~IMacroStarter() = default;
    virtual void EnqueueMacro(int32_t id) = 0;
    virtual void RunNextQueued() = 0;
};
