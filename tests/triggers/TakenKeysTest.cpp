#include "triggers/TakenKeys.h"

#include "fakes/FakeKeyHook.h"
#include "fakes/TriggerLibrary.h"
#include "library/MacroLibrary.h"
#include "triggers/KeyHook.h"
#include "triggers/KeyNames.h"

#include <gtest/gtest.h>

namespace {

constexpr int kCtrl = TakenKey::Ctrl, kAlt = TakenKey::Alt, kShift = TakenKey::Shift,
              kWin = TakenKey::Win;

TEST(TakenKeysTest, KeysOfATriggerText) {
    struct Row {
        const char* trigger;
        std::vector<TakenKey> keys;
    };
    const Row rows[] = {
        {"<CTRL><ALT><K>", {{kCtrl | kAlt, 'K'}}},
        // Token order does not matter; Win is a modifier too.
        {"<K><LWIN><SHIFT>", {{kShift | kWin, 'K'}}},
        {"<F5>", {{0, vk::F1 + 4}}},
        // A digit is typed on the digit row and on the keypad.
        {"<CTRL><1>", {{kCtrl, '1'}, {kCtrl, vk::Numpad0 + 1}}},
        // Nothing single to take: modifiers alone, two keys, a repeated
        // token, an unknown name, broken text.
        {"<CTRL><ALT>", {}},
        {"<A><B>", {}},
        {"<CTRL><CTRL><K>", {}},
        {"<CTRL><NOSUCH>", {}},
        {"<CTRL><K", {}},
        {"CTRL<K>", {}},
        {"", {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(KeysOfTrigger(row.trigger), row.keys) << row.trigger;
}

class TakenKeysHookTest : public ::testing::Test, protected CTriggerLibrary {
protected:
    void SetUp() override { hook.SetMainWindow(42); }
    int32_t AddMacro(const std::string& name, const std::string& keys,
                     TriggerPrefix prefix = TriggerPrefix::None) {
        return Add(name, keys, prefix);
    }

    CRecordingKeyHook port;
    CRecordingMacroStarter starter;
    CKeyHook hook{port, lib, starter, [] { return true; }};
};

// The sticky prefix's keys are taken only while it is armed; the others all
// the time while taking is on; changes in the library follow at the next tick.
TEST_F(TakenKeysHookTest, TakenKeysFollowTakingThePrefixAndTheLibrary) {
    AddMacro("kill", "<CTRL><ALT><K>");
    AddMacro("x after ctrl", "<X>", TriggerPrefix::Ctrl);
    AddMacro("y after shift", "<Y>", TriggerPrefix::Shift);
    const std::vector<TakenKey> always{{kCtrl | kAlt, 'K'}};
    EXPECT_EQ(port.takeCalls, 0); // nothing is taken before taking is on

    hook.SetTaking(true);
    EXPECT_EQ(port.taken, always);

    hook.OnHookCommand(CKeyHook::kKeyDown, vk::Ctrl);
    hook.OnHookCommand(CKeyHook::kKeyUp, vk::Ctrl); // arms the Ctrl prefix
    EXPECT_EQ(port.taken, (std::vector<TakenKey>{{0, 'X'}, {kCtrl | kAlt, 'K'}}));
    hook.OnHookCommand(CKeyHook::kKeyDown, 'X'); // fires, the prefix is gone
    EXPECT_EQ(starter.calls.size(), 2u);
    EXPECT_EQ(port.taken, always);

    hook.OnHookCommand(CKeyHook::kKeyUp, 'X');
    hook.OnHookCommand(CKeyHook::kKeyDown, vk::Shift);
    hook.OnHookCommand(CKeyHook::kKeyUp, vk::Shift);
    EXPECT_EQ(port.taken, (std::vector<TakenKey>{{0, 'Y'}, {kCtrl | kAlt, 'K'}}));
    for (int i = 0; i < CKeyHook::kPrefixTicks; ++i)
        hook.TickPrefix(); // the prefix runs out
    EXPECT_EQ(port.taken, always);

    AddMacro("save", "<CTRL><S>");
    hook.TickPrefix();
    EXPECT_EQ(port.taken, (std::vector<TakenKey>{{kCtrl, 'S'}, {kCtrl | kAlt, 'K'}}));

    const int calls = port.takeCalls;
    hook.TickPrefix(); // nothing changed: the port is not asked again
    EXPECT_EQ(port.takeCalls, calls);

    hook.SetTaking(false);
    EXPECT_TRUE(port.taken.empty());
}

// Keys another program holds are told once, by macro, and the macro still
// fires through the hook.
TEST_F(TakenKeysHookTest, KeysHeldElsewhereAreReportedOnceAndStillFire) {
    const int32_t kill = AddMacro("kill", "<CTRL><ALT><K>");
    const int32_t save = AddMacro("save", "<CTRL><S>");
    port.heldElsewhere = {{kCtrl, 'S'}};
    std::vector<std::string> told;
    hook.SetHeldElsewhereReport([&](const TriggerKeys& t) { told.push_back(t.name); });

    hook.SetTaking(true);
    hook.SetTaking(false);
    hook.SetTaking(true);
    EXPECT_EQ(told, std::vector<std::string>{"save"});
    EXPECT_TRUE(hook.HeldElsewhere(save));
    EXPECT_FALSE(hook.HeldElsewhere(kill));

    hook.OnHookCommand(CKeyHook::kKeyDown, vk::Ctrl);
    hook.OnHookCommand(CKeyHook::kKeyDown, 'S');
    EXPECT_EQ(starter.calls,
              (std::vector<std::string>{"Enqueue " + std::to_string(save), "RunNext"}));

    port.heldElsewhere.clear(); // the other program let go
    hook.SetTaking(false);
    hook.SetTaking(true);
    EXPECT_FALSE(hook.HeldElsewhere(save));
}

} // namespace

// A trigger limited to the terminal takes its keys only while the terminal
// has the focus, and the same keys start the other macro elsewhere.
TEST_F(TakenKeysHookTest, FilteredTriggerTakesItsKeysOnlyInItsWindows) {
    const int32_t a = AddMacro("A", "<CTRL><ALT><T>");
    AddMacro("B", "<CTRL><ALT><N>");
    MacroExtras onlyXterm;
    onlyXterm.filter = {"xterm"};
    lib.SetExtras(a, onlyXterm);
    std::optional<ActiveWindow> focused = ActiveWindow{"notes", "mousepad", "Mousepad"};
    int asked = 0;
    hook.SetActiveWindowSource([&] {
        ++asked;
        return focused;
    });
    hook.SetTaking(true);
    const std::vector<TakenKey> onlyB{{kCtrl | kAlt, 'N'}};
    EXPECT_EQ(port.taken, onlyB);
    focused = ActiveWindow{"~", "xterm", "XTerm"};
    hook.TickPrefix();
    EXPECT_EQ(port.taken, (std::vector<TakenKey>{{kCtrl | kAlt, 'N'}, {kCtrl | kAlt, 'T'}}));
    auto pressCtrlAltT = [&] {
        hook.OnHookCommand(CKeyHook::kKeyDown, vk::Ctrl);
        hook.OnHookCommand(CKeyHook::kKeyDown, vk::Alt);
        hook.OnHookCommand(CKeyHook::kKeyDown, 'T');
        hook.OnHookCommand(CKeyHook::kKeyUp, 'T');
    };
    pressCtrlAltT();
    EXPECT_EQ(starter.calls, (std::vector<std::string>{"Enqueue " + std::to_string(a), "RunNext"}));
    focused.reset();
    pressCtrlAltT();
    EXPECT_EQ(starter.calls.size(), 2u); // no window known: A does not start
    hook.TickPrefix();
    EXPECT_EQ(port.taken, onlyB);
    // Without filtered triggers the window is never asked for.
    lib.SetExtras(a, MacroExtras{});
    hook.TickPrefix();
    const int before = asked;
    hook.TickPrefix();
    EXPECT_EQ(asked, before);
}
