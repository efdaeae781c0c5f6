#pragma once
// The virtual machine: runs a compiled Program in one dispatch loop. Script
// calls do not recurse on the C stack; frames live in a vector, registers in
// one growing value stack.

#include "engine/Builtins.h"
#include "engine/Bytecode.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace tessera {

struct VmLimits {
    size_t maxString = size_t{256} << 20; // bytes in one string
    size_t maxList = size_t{32} << 20;    // elements in one list
    size_t maxCallDepth = 100000;         // nested script function calls
    uint64_t maxSteps = 0;                // backward jumps and calls; 0 = no limit
};

// What the VM asks of the engine that runs it.
class VmHost {
public:
    virtual ~VmHost() = default;
    // Calls an external (registered) function; false when no such function
    // exists. Failures throw ScriptError with the cause.
    virtual bool CallExternal(const std::string& name, Value* args, int argc, Value& result) = 0;
    virtual bool HasExternal(const std::string& name) const = 0;
    // `dll` and `unload`; failures throw ScriptError.
    virtual void LoadLibrary(const std::string& path) = 0;
    virtual void UnloadLibrary(const std::string& path) = 0;
};

enum class RunOutcome { Finished, Exited, Failed, Stopped };

struct RunResult {
    RunOutcome outcome = RunOutcome::Finished;
    int64_t exitStatus = 0;
    std::string message; // "FILE:LINE: runtime error: TEXT" after a failure
};

class Vm {
public:
    Vm(const Program& program, VmHost& host, BuiltinContext& context, const VmLimits& limits);
    Vm(const Vm&) = delete;
    Vm& operator=(const Vm&) = delete;

    // Runs the top-level code with `args` as the global list `args`.
    RunResult Run(const Value& args);

private:
    struct Frame {
        const Proto* proto;
        const Instr* pc;
        size_t base;
    };
    // The call stack. Its storage never shrinks during a run, and a call or
    // return is a store and a counter step, inlined into the dispatch loop.
    class FrameStack {
    public:
        void push_back(const Frame& frame) {
            if (count == store.size())
                Grow();
            store[count++] = frame;
        }
        void pop_back() { --count; }
        Frame& back() { return store[count - 1]; }
        const Frame& back() const { return store[count - 1]; }
        size_t size() const { return count; }
        bool empty() const { return count == 0; }
        void resize(size_t n) { count = n; } // only ever shrinks
        void clear() { count = 0; }
        void reserve(size_t n) {
            if (store.size() < n)
                store.resize(n);
        }

    private:
        void Grow() { store.resize(store.empty() ? 64 : store.size() * 2); }
        std::vector<Frame> store;
        size_t count = 0;
    };
    struct Handler {
        size_t frame;
        const Instr* target;
        uint16_t reg;
    };

    void Execute();
    bool Recover(const std::string& message);
    std::string Location() const;
    std::string Where() const;
    int32_t Poll();
    void CheckExternals();
    void GrowStack(size_t needed);
    void Arithmetic(Instr in, Value& dst, const Value& b, const Value& c, const Instr* pc);
    void ArithmeticImmediate(Op op, Value& dst, const Value& b, const Instr* pc);
    static bool CompareImmediate(Op op, const Value& b, int32_t imm);
    void ForStepSlow(Value& counter, int64_t step);

    const Program& program;
    VmHost& host;
    BuiltinContext& ctx;
    VmLimits limits;
    std::vector<Value> stack;
    FrameStack frames;
    std::vector<Handler> handlers;
    int32_t pollBudget = 0;
    uint64_t steps = 0;
};

} // namespace tessera
