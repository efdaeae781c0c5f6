#include "triggers/KeyHook.h"

#include "fakes/FakeKeyHook.h"
#include "fakes/TestSupport.h"
#include "fakes/TriggerLibrary.h"
#include "library/MacroLibrary.h"
#include "triggers/KeyNames.h"

#include <gtest/gtest.h>

namespace {

// Starts land in the port's call log, so the order of hook and queue calls
// can be checked together.
class CSharedLogStarter : public IRunQueue {
public:
    explicit CSharedLogStarter(std::vector<std::string>& log) : calls(log) {}
    int EnqueueMacro(int32_t id) override {
        calls.push_back("Enqueue " + std::to_string(id));
        return 1;
    }
    int RunNextQueued() override {
        calls.push_back("RunNext");
        return 1;
    }
    std::vector<std::string>& calls;
};

class KeyHookTest : public ::testing::Test, protected CTriggerLibrary {
protected:
    void SetUp() override { hook.SetMainWindow(42); }

    int32_t AddMacro(const std::string& keys, TriggerPrefix prefix = TriggerPrefix::None) {
        return Add(keys, keys, prefix);
    }

    void Down(int code) { EXPECT_EQ(hook.OnHookCommand(CKeyHook::kKeyDown, code), 1); }
    void Up(int code) { EXPECT_EQ(hook.OnHookCommand(CKeyHook::kKeyUp, code), 1); }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i)
            hook.TickPrefix();
    }

    // Only the queue calls, in order.
    std::vector<std::string> Started() const {
        std::vector<std::string> out;
        for (const std::string& call : port.calls)
            if (call.rfind("Enqueue", 0) == 0)
                out.push_back(call);
        return out;
    }
    static std::string Enqueue(int32_t id) { return "Enqueue " + std::to_string(id); }

    CRecordingKeyHook port;
    CSharedLogStarter starter{port.calls};
    bool enabled = true;
    CKeyHook hook{port, lib, starter, [this] { return enabled; }};
};

TEST_F(KeyHookTest, InstallNeedsTheMainWindowAndReleasesFirst) {
    CKeyHook bare(port, lib, starter, [] { return true; });
    EXPECT_EQ(bare.Install(), 0);
    EXPECT_TRUE(port.calls.empty());

    EXPECT_EQ(hook.Install(), 1);
    EXPECT_EQ(port.calls, (std::vector<std::string>{"SetHandle 0", "SetType 0", "Release",
                                                    "SetHandle 42", "SetType 1", "Init"}));
    port.calls.clear();
    EXPECT_EQ(hook.Release(), 1);
    EXPECT_EQ(port.calls, (std::vector<std::string>{"SetHandle 0", "SetType 0", "Release"}));
}

TEST_F(KeyHookTest, OnlyTheHookCommandsAreConsumed) {
    EXPECT_EQ(hook.OnHookCommand(1600, 5), 1);
    EXPECT_EQ(hook.OnHookCommand(1301, 5), 0);
    EXPECT_EQ(hook.OnHookCommand(22000, 0), 0);
    EXPECT_EQ(hook.HeldCount(), 0);
}

TEST_F(KeyHookTest, CtrlAltXTriesThreeCombinationsInTurn) {
    const int32_t ctrl = AddMacro("<CTRL>");
    const int32_t ctrlAlt = AddMacro("<ALT><CTRL>");
    const int32_t all = AddMacro("<X><CTRL><ALT>");
    Down(vk::Ctrl);
    Down(vk::Alt);
    Down('X');
    EXPECT_EQ(Started(), (std::vector<std::string>{Enqueue(ctrl), Enqueue(ctrlAlt), Enqueue(all)}));
}

TEST_F(KeyHookTest, AStartReleasesTheHookAroundTheQueue) {
    const int32_t id = AddMacro("<X><CTRL><ALT>");
    Down(vk::Ctrl);
    Down(vk::Alt);
    EXPECT_TRUE(port.calls.empty());
    Down('X');
    EXPECT_EQ(port.calls,
              (std::vector<std::string>{"SetHandle 0", "SetType 0", "Release", Enqueue(id),
                                        "RunNext", "SetHandle 0", "SetType 0", "Release",
                                        "SetHandle 42", "SetType 1", "Init"}));
}

TEST_F(KeyHookTest, AKeyUpForgetsEveryHeldKey) {
    const int32_t ctrlB = AddMacro("<CTRL><B>");
    const int32_t b = AddMacro("<B>");
    Down(vk::Ctrl);
    Down('A');
    Up('A');
    EXPECT_EQ(hook.HeldCount(), 0);
    Down('B'); // Ctrl is still down physically, but no longer counted
    EXPECT_EQ(Started(), (std::vector<std::string>{Enqueue(b)}));
    (void)ctrlB;
}

// Ticks between tapping Ctrl and pressing X: the prefix lives five ticks from
// the moment Ctrl went down.
struct PrefixCase {
    std::string label;
    int ticksWhileHeld;
    int ticksAfterRelease;
    bool prefixed;
};

class StickyPrefix : public KeyHookTest, public ::testing::WithParamInterface<PrefixCase> {};

TEST_P(StickyPrefix, TappedCtrlArmsThePrefixForFiveTicks) {
    const PrefixCase& c = GetParam();
    const int32_t withPrefix = AddMacro("<X>", TriggerPrefix::Ctrl);
    const int32_t plain = AddMacro("<X>", TriggerPrefix::None);
    Down(vk::Ctrl);
    Ticks(c.ticksWhileHeld);
    Up(vk::Ctrl);
    Ticks(c.ticksAfterRelease);
    Down('X');
    EXPECT_EQ(Started(), (std::vector<std::string>{Enqueue(c.prefixed ? withPrefix : plain)}));
    EXPECT_EQ(hook.StickyPrefix(), TriggerPrefix::None); // a match always clears it
}

INSTANTIATE_TEST_SUITE_P(Ticks, StickyPrefix,
                         ::testing::Values(PrefixCase{"AtOnce", 0, 0, true},
                                           PrefixCase{"FourTicksLater", 0, 4, true},
                                           PrefixCase{"FiveTicksLater", 0, 5, false},
                                           PrefixCase{"HeldTwoTicks", 2, 2, true},
                                           PrefixCase{"HeldTwoThenThree", 2, 3, false},
                                           PrefixCase{"HeldTwoSeconds", 8, 0, true},
                                           PrefixCase{"HeldTwoSecondsOneTick", 8, 1, false}),
                         LabelName());

TEST_F(KeyHookTest, HeldCtrlReleasedArmsAPrefixThatEndsAtTheNextTick) {
    Down(vk::Ctrl);
    Ticks(8);
    Up(vk::Ctrl);
    EXPECT_EQ(hook.StickyPrefix(), TriggerPrefix::Ctrl);
    Ticks(1);
    EXPECT_EQ(hook.StickyPrefix(), TriggerPrefix::None);
}

TEST_F(KeyHookTest, ThePrefixIsGoneOnceTheNextKeyIsReleased) {
    Down(vk::Shift);
    Up(vk::Shift);
    EXPECT_EQ(hook.StickyPrefix(), TriggerPrefix::Shift);
    EXPECT_EQ(hook.ShiftCountdown(), 5);
    EXPECT_EQ(hook.CtrlCountdown(), 0);
    Down('Q'); // no trigger
    EXPECT_EQ(hook.StickyPrefix(), TriggerPrefix::Shift);
    Up('Q');
    EXPECT_EQ(hook.StickyPrefix(), TriggerPrefix::None);
}

TEST_F(KeyHookTest, ACtrlChordArmsNoPrefix) {
    Down(vk::Ctrl);
    Down('C');
    Up('C');
    EXPECT_EQ(hook.StickyPrefix(), TriggerPrefix::None);
}

TEST_F(KeyHookTest, SideSpecificModifierCodesArmThePrefixButHaveNoToken) {
    const int32_t shiftF2 = AddMacro("<F2>", TriggerPrefix::Shift);
    Down(vk::RightShift);
    EXPECT_EQ(hook.KeyCombination(), "");
    Up(vk::RightShift);
    Down(vk::F1 + 1);
    EXPECT_EQ(Started(), (std::vector<std::string>{Enqueue(shiftF2)}));
}

TEST_F(KeyHookTest, TheStickyKeyIsLeftOutOfTheCombination) {
    const int32_t id = AddMacro("<A>", TriggerPrefix::Ctrl);
    Down(vk::Ctrl);
    Up(vk::Ctrl);
    Down(vk::Ctrl); // Ctrl again within the prefix: it is the prefix, not a key
    EXPECT_EQ(hook.KeyCombination(), "");
    Down('A');
    EXPECT_EQ(Started(), (std::vector<std::string>{Enqueue(id)}));
}

TEST_F(KeyHookTest, DisabledTriggersClearThePrefixAndRunNothing) {
    AddMacro("<X>", TriggerPrefix::Ctrl);
    enabled = false;
    Down(vk::Ctrl);
    Up(vk::Ctrl);
    Down('X');
    EXPECT_TRUE(port.calls.empty());
    EXPECT_EQ(hook.StickyPrefix(), TriggerPrefix::None);
    EXPECT_EQ(hook.CtrlCountdown(), 0);
}

TEST_F(KeyHookTest, TheEmptyCombinationMatchesNothing) {
    AddMacro("");
    Down(vk::RightCtrl);
    Down(vk::Pause);
    Down(vk::Unmapped);
    EXPECT_TRUE(port.calls.empty());
}

TEST_F(KeyHookTest, CodesOutsideTheTableAreCountedButNotHeld) {
    const int32_t id = AddMacro("<F3>");
    Down(-1);
    Down(70000);
    EXPECT_EQ(hook.HeldCount(), 2);
    Down(vk::F1 + 2);
    EXPECT_EQ(Started(), (std::vector<std::string>{Enqueue(id)}));
}

TEST_F(KeyHookTest, ResetKeysForgetsHeldKeysOnly) {
    Down(vk::Shift);
    Up(vk::Shift);
    Down('Z');
    hook.ResetKeys();
    EXPECT_EQ(hook.HeldCount(), 0);
    EXPECT_EQ(hook.KeyCombination(), "");
    EXPECT_EQ(hook.StickyPrefix(), TriggerPrefix::Shift);
}

} // namespace
