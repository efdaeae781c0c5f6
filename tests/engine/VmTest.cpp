// Behaviour of the VM that scripts cannot check themselves: stopping,
// threads, limits and allocation.
#include "EngineTestUtil.h"
#include "engine/StrArena.h"
#include "engine/Value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using Clock = std::chrono::steady_clock;

// Runs `source` on a worker, asks it to stop after 50 ms and returns how
// long the script took to notice.
double StopLatencyMs(const std::string& source) {
    CCaptureStream stream;
    CScript script(&stream, &stream);
    EXPECT_TRUE(script.LoadSource("stop.tsc", source.c_str()));
    std::atomic<bool> done{false};
    Clock::time_point finished;
    std::thread worker([&] {
        script.Run(1, nullptr);
        finished = Clock::now();
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(done.load());
    Clock::time_point asked = Clock::now();
    script.GetEngine()->GetInterpreter()->SetStopFlag();
    worker.join();
    EXPECT_EQ(script.Outcome(), ScriptOutcome::Stopped);
    EXPECT_NE(stream.err.find("stop.tsc:"), std::string::npos) << stream.err;
    EXPECT_NE(stream.err.find("script stopped"), std::string::npos) << stream.err;
    return std::chrono::duration<double, std::milli>(finished - asked).count();
}

TEST(Vm, StopEndsATightLoopPromptly) {
    EXPECT_LT(StopLatencyMs("int i = 0; while (true) { i += 1; }"), 100.0);
}

TEST(Vm, StopEndsARecursionPromptly) {
    EXPECT_LT(StopLatencyMs("function int f(int n) { if (n > 20) return 0; return f(n + 1) + "
                            "f(n + 1); }\nwhile (true) f(0);"),
              100.0);
}

TEST(Vm, StopEndsASleepPromptly) {
    EXPECT_LT(StopLatencyMs("Sleep(60000);"), 100.0);
}

TEST(Vm, StopEndsASystemCommandPromptly) {
    EXPECT_LT(StopLatencyMs("System(\"sleep 30\");"), 200.0);
}

TEST(Vm, StopCannotBeCaught) {
    CCaptureStream stream;
    CScript script(&stream, &stream);
    ASSERT_TRUE(script.LoadSource("s.tsc", "try { Sleep(60000); } catch (string e) { "
                                           "Print(\"caught\"); }\nPrint(\"after\");"));
    script.GetEngine()->GetInterpreter()->SetStopFlag();
    EXPECT_EQ(script.Run(), 1);
    EXPECT_EQ(stream.out, "");
    // The flag is cleared once the run has ended, so the script can run again.
    EXPECT_FALSE(script.GetEngine()->GetInterpreter()->StopRequested());
}

TEST(Vm, TwoScriptsRunSideBySide) {
    const char* source = "int sum = 0;\nfor (int i = 0; i < 200000; i++) sum += i % 3;\n"
                         "list l = [];\nfor (int i = 0; i < 1000; i++) Append(l, Str(i));\n"
                         "Print(sum, \" \", Count(l), \" \", args[0]);";
    std::string outs[2];
    std::thread threads[2];
    for (int k = 0; k < 2; ++k)
        threads[k] = std::thread([&, k] {
            CCaptureStream stream;
            CScript script(&stream, &stream);
            script.LoadSource("t.tsc", source);
            script.EvaluateArguments(std::to_string(k).c_str());
            script.Run();
            outs[k] = stream.out;
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(outs[0], "199999 1000 0\n");
    EXPECT_EQ(outs[1], "199999 1000 1\n");
}

TEST(Vm, StepLimitEndsEndlessLoops) {
    ScriptRun run = RunScript("while (true) { }", [](CScript& script) {
        CEngineLimits limits;
        limits.maxSteps = 10000;
        script.GetEngine()->SetLimits(limits);
    });
    EXPECT_EQ(run.outcome, ScriptOutcome::Stopped);
    EXPECT_EQ(run.err, "test.tsc:1: step limit reached\n");
}

TEST(Vm, ListAndStringLimitsRaiseCatchableErrors) {
    ScriptRun run = RunScript("list l = [];\ntry { while (true) Append(l, 1); } catch (string e) "
                              "{ Print(e); }\nstring s = \"ab\";\ntry { while (true) s += s; } "
                              "catch (string e) { Print(e); }",
                              [](CScript& script) {
                                  CEngineLimits limits;
                                  limits.maxListItems = 1000;
                                  limits.maxStringBytes = 4096;
                                  script.GetEngine()->SetLimits(limits);
                              });
    EXPECT_EQ(run.out, "Append: list too long (more than 1000 elements)\n"
                       "string too long (more than 4096 bytes)\n");
}

TEST(Vm, CallDepthLimitIsConfigurable) {
    ScriptRun run =
        RunScript("function int f(int n) { return f(n + 1); }\nf(0);", [](CScript& script) {
            CEngineLimits limits;
            limits.maxCallDepth = 50;
            script.GetEngine()->SetLimits(limits);
        });
    EXPECT_EQ(run.err,
              "test.tsc:1: runtime error: runaway recursion (more than 50 nested calls)\n");
}

// Allocations of one run of the loop with `iterations` iterations.
long AllocationsFor(int iterations) {
    CCaptureStream stream;
    CScript script(&stream, &stream);
    std::string source = "int sum = 0; float f = 0;\nfor (int i = 0; i < " +
                         std::to_string(iterations) +
                         "; i++) { sum += i % 7; f = f + 0.5; if (sum == -1) break; }\n";
    EXPECT_TRUE(script.LoadSource("a.tsc", source.c_str()));
    long before = allocations.load();
    script.Run();
    return allocations.load() - before;
}

TEST(Vm, TightLoopAllocatesNothingPerIteration) {
    EXPECT_EQ(AllocationsFor(10), AllocationsFor(100000));
}

TEST(Vm, CyclicAndDeeplyNestedListsAreFreed) {
    ScriptRun run = RunScript("list a = [];\nAppend(a, a);\nPrint(Count(a));\nPrint(a);\n"
                              "list deep = [];\nfor (int i = 0; i < 200000; i++) deep = [deep];\n"
                              "Print(\"ok\");");
    EXPECT_EQ(run.out.substr(0, 2), "1\n");
    EXPECT_NE(run.out.find("[...]"), std::string::npos);
    EXPECT_NE(run.out.find("ok\n"), std::string::npos);
}

// The cycle collector frees exactly the lists nothing outside the heap
// reaches: self-cycles, mutual cycles, and what only they hold.
TEST(ListHeapCycles, FreesOnlyUnreachableCycles) {
    using tessera::ListHeap;
    using tessera::Value;
    ListHeap heap;
    auto list = [&heap] { return Value::List(heap.NewList()); };
    auto append = [](const Value& to, const Value& item) { to.AsList()->items.push_back(item); };
    Value held = list();   // held from outside, holds a self-cycle
    Value inner = list();  // dropped below but reached from `held`
    Value shared = list(); // held from outside and from a dropped cycle
    append(held, inner);
    append(inner, inner);
    {
        Value self = list();
        append(self, self);
        append(self, Value::Str("text"));
        append(self, shared);
        Value a = list(), b = list();
        append(a, b);
        append(b, a);
    }
    inner = Value();
    EXPECT_EQ(heap.LiveCount(), 6u);
    EXPECT_EQ(heap.CollectCycles(), 3u);
    EXPECT_EQ(heap.LiveCount(), 3u);
    EXPECT_EQ(shared.AsList()->refs, 1u);
    EXPECT_EQ(held.AsList()->items[0].AsList()->items.size(), 1u);
    EXPECT_EQ(heap.CollectCycles(), 0u);
}

// A script that makes and drops cycles keeps a bounded heap, without any
// explicit collection.
TEST(ListHeapCycles, CollectsAsTheHeapGrows) {
    using tessera::ListHeap;
    using tessera::Value;
    ListHeap heap;
    size_t most = 0;
    for (int k = 0; k < 1000000; ++k) {
        Value self = Value::List(heap.NewList());
        self.AsList()->items.push_back(self);
        most = std::max(most, heap.LiveCount());
    }
    EXPECT_LE(most, size_t{1} << 17);
}

// Dropped strings give their slots back, in any order, so making the same
// number again takes no new chunk; strings made on another thread or with no
// arena current go back where they came from.
TEST(StrArena, ReusesSlotsAndReturnsEachStringToItsOwnArena) {
    using tessera::StrArena;
    using tessera::Value;
    if (!StrArena::Enabled())
        GTEST_SKIP() << "strings come from the ordinary heap in this build";
    StrArena arena;
    StrArena other;
    std::vector<Value> kept;
    {
        StrArena::Use use(&arena);
        for (int k = 0; k < 200000; ++k)
            kept.push_back(Value::Str("text " + std::to_string(k)));
    }
    size_t chunks = arena.ChunkCount();
    EXPECT_GE(chunks, 3u);
    Value plain = Value::Str("from the heap");
    EXPECT_FALSE(plain.StrObject()->fromArena);
    Value fromThread;
    std::thread([&] {
        StrArena::Use use(&other);
        for (size_t k = 1; k < kept.size(); k += 2)
            kept[k] = Value(); // every other one, freed while another arena is current
        fromThread = Value::Str("made on another thread");
    }).join();
    for (size_t k = 0; k < kept.size(); k += 2)
        kept[k] = Value();
    {
        StrArena::Use use(&arena);
        for (size_t k = 0; k < kept.size(); ++k)
            if (kept[k].type != tessera::ValueType::Str)
                kept[k] = Value::Str(std::to_string(k));
    }
    EXPECT_EQ(arena.ChunkCount(), chunks);
    EXPECT_EQ(other.ChunkCount(), 1u);
    EXPECT_EQ(kept[199999].AsStr(), "199999");
    EXPECT_EQ(fromThread.AsStr(), "made on another thread");
    EXPECT_TRUE(fromThread.StrObject()->fromArena);
}

// A string that outlives its engine's arena keeps its text, and freeing it
// later is safe (its chunk goes when its last string does).
TEST(StrArena, StringOutlivesItsArena) {
    using tessera::StrArena;
    using tessera::Value;
    if (!StrArena::Enabled())
        GTEST_SKIP() << "strings come from the ordinary heap in this build";
    Value survivor;
    Value second;
    {
        auto arena = std::make_unique<StrArena>();
        StrArena::Use use(arena.get());
        survivor = Value::Str(std::string(100, 'x'));
        second = Value::Str("short");
        arena.reset();
    }
    EXPECT_EQ(survivor.AsStr(), std::string(100, 'x'));
    survivor = Value();
    EXPECT_EQ(second.AsStr(), "short");
}

TEST(Vm, RuntimeErrorInIncludedFunctionNamesThatFile) {
    char dir[] = "/tmp/tessera-vm-XXXXXX";
    ASSERT_TRUE(mkdtemp(dir));
    std::string lib = std::string(dir) + "/lib.tsc";
    FILE* f = std::fopen(lib.c_str(), "w");
    std::fputs("function int boom(int x) {\n    return x / 0;\n}\n", f);
    std::fclose(f);
    CCaptureStream stream;
    CScript script(&stream, &stream);
    std::string main = std::string(dir) + "/main.tsc";
    ASSERT_TRUE(script.LoadSource(main.c_str(), "include \"lib.tsc\";\nboom(1);"));
    script.Run();
    EXPECT_EQ(stream.err, lib + ":2: runtime error: division by zero\n");
    std::remove(lib.c_str());
    rmdir(dir);
}

} // namespace
