#include "program/Program.h"

#include "fakes/FakeKeyHook.h"
#include "fakes/Fakes.h"
#include "fakes/TestFiles.h"
#include "fakes/TestSupport.h"
#include "library/RecoveryFile.h"
#include "triggers/Expansion.h"
#include "triggers/KeyHook.h"
#include "triggers/KeyNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Every change the program reports, as a short text, in order.
class CRecordingObserver : public IProgramObserver {
public:
    void CommitEdits() override { events.push_back("commit"); }
    bool LibraryReplaced() override {
        events.push_back("library");
        return showable;
    }
    void StateChanged() override { ++stateChanges; }
    void StopEnabledChanged(bool enabled) override {
        events.push_back(enabled ? "stop on" : "stop off");
    }
    void OutputCleared() override {}
    void LastRunShown(const std::string&) override {}
    void LastRunChanged(int32_t id) override { events.push_back("last run " + std::to_string(id)); }
    void ProgramOutput(const std::string& text) override { events.push_back("output " + text); }
    void StatusMessage(const std::string& text, const std::string&) override {
        events.push_back("status " + text);
    }
    void HookProblem(const std::string& why) override { events.push_back("hook problem " + why); }
    void KeysHeldElsewhere(const TriggerKeys& trigger) override {
        events.push_back("held " + trigger.name);
    }
    void MacroEnded(int32_t id) override { events.push_back("ended " + std::to_string(id)); }

    std::vector<std::string> events;
    int stateChanges = 0;
    bool showable = true;
};

// Starts nothing; records the names of the macros handed to it.
class CNamingRunner : public IMacroRunner {
public:
    int Run(CMacro macro) override {
        started.push_back(macro.name);
        return 1;
    }
    std::vector<std::string> started;
};

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = fs::temp_directory_path() /
               ("program-test-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        fs::create_directories(home);
        store.exists = true;
        store.values["Set1"] = "3"; // triggers and scheduler on
    }
    void TearDown() override {
        program.reset();
        fs::remove_all(home);
    }

    // A library file in the home folder with one macro per trigger.
    void WriteLibrary(const std::vector<std::pair<std::string, std::string>>& macros) {
        CMacroLibrary library;
        CMacro root;
        root.kind = static_cast<int32_t>(MacroKind::MacroSet);
        root.name = "My Macros";
        const int32_t rootId = library.InsertRecord(root, -1, InsertPosition::Into);
        for (const auto& [name, keys] : macros) {
            CMacro macro;
            macro.name = name;
            macro.triggerKey = keys;
            library.InsertRecord(macro, rootId, InsertPosition::Into);
        }
        library.File().SetPaths(home.string());
        ASSERT_EQ(library.Save(), 1);
    }

    CProgram& Make() {
        ProgramServices services(store, messages);
        services.runner = &runner;
        services.clock = &clock;
        services.typeKeys = [this](const std::string& keys) {
            typed.push_back(keys);
            return std::string();
        };
        services.activeWindow = [this] { return window; };
        services.makeKeyHook = [this](KeyHookReportFn reportFn, std::string*) {
            report = std::move(reportFn);
            auto port = std::make_unique<CRecordingKeyHook>();
            hookPort = port.get();
            return std::unique_ptr<IKeyHook>(std::move(port));
        };
        program = std::make_unique<CProgram>(home.string(), std::move(services), observer);
        return *program;
    }

    void Type(const std::u32string& text) {
        for (char32_t c : text)
            report(0, CKeyHook::kTyped, static_cast<int>(c));
    }
    void Press(std::initializer_list<int> codes) {
        for (int code : codes)
            report(0, CKeyHook::kKeyDown, code);
        for (int code : codes)
            report(0, CKeyHook::kKeyUp, code);
    }
    int32_t IdOf(const std::string& name) {
        int32_t found = 0;
        CMacroLibrary::ForEachPreOrder(program->Library().Root(), [&](CMacroNode& node) {
            if (node.name == name)
                found = node.id;
            return true;
        });
        return found;
    }

    fs::path home;
    CMemorySettingsStore store;
    CRecordingMessageBox messages;
    CFakeClock clock{1'700'000'000};
    CNamingRunner runner;
    CRecordingObserver observer;
    KeyHookReportFn report;
    CRecordingKeyHook* hookPort = nullptr;
    std::vector<std::string> typed; // what expansions typed
    std::optional<ActiveWindow> window = ActiveWindow{"notes - Editor", "editor", "Editor"};
    std::unique_ptr<CProgram> program;
};

// Trigger keys start the macro through the queue: the hook is let go for
// the start and taken again at once, so the next trigger still works; the
// end of the run is handed on to the views.
TEST_F(ProgramTest, TriggerRunsThroughTheQueueAndItsEndReachesTheViews) {
    WriteLibrary({{"Greet", "<G><CTRL><ALT>"}, {"Other", "<O><CTRL><ALT>"}});
    CProgram& p = Make();
    p.Start();
    ASSERT_TRUE(p.HookInstalled());
    hookPort->calls.clear();
    Press({vk::Ctrl, vk::Alt, 'G'});
    EXPECT_EQ(runner.started, std::vector<std::string>{"Greet"});
    EXPECT_TRUE(p.State().running);
    EXPECT_TRUE(p.HookInstalled());
    const auto& calls = hookPort->calls;
    const auto release = std::find(calls.begin(), calls.end(), "Release");
    ASSERT_NE(release, calls.end());
    EXPECT_NE(std::find(release, calls.end(), "Init"), calls.end());
    EXPECT_EQ(p.CurrentStatus().running->name, "Greet");

    observer.events.clear();
    EXPECT_TRUE(p.HandleCommand(static_cast<int>(Command::MacroFinished)));
    EXPECT_FALSE(p.State().running);
    EXPECT_EQ(observer.events,
              (std::vector<std::string>{"stop off", "ended " + std::to_string(IdOf("Greet"))}));
    // Runs may overlap: each end names its own macro.
    Press({vk::Ctrl, vk::Alt, 'G'});
    Press({vk::Ctrl, vk::Alt, 'O'});
    EXPECT_EQ(runner.started, (std::vector<std::string>{"Greet", "Greet", "Other"}));
    p.HandleCommand(static_cast<int>(Command::MacroFinished), IdOf("Greet"));
    EXPECT_EQ(observer.events.back(), "ended " + std::to_string(IdOf("Greet")));
    // The menu's commands are not the program's to take.
    EXPECT_FALSE(p.HandleCommand(static_cast<int>(Command::Options)));
}

// Disable Triggers lets go of the hook and of the taken keys; a trigger
// then runs nothing until they are enabled again.
TEST_F(ProgramTest, DisabledTriggersRunNothing) {
    WriteLibrary({{"Greet", "<G><CTRL><ALT>"}});
    CProgram& p = Make();
    p.Start();
    p.SetTriggersEnabled(false);
    EXPECT_FALSE(p.HookInstalled());
    Press({vk::Ctrl, vk::Alt, 'G'});
    EXPECT_TRUE(runner.started.empty());
    EXPECT_FALSE(p.CurrentStatus().triggersEnabled);
    p.SetTriggersEnabled(true);
    EXPECT_TRUE(p.HookInstalled());
    Press({vk::Ctrl, vk::Alt, 'G'});
    EXPECT_EQ(runner.started, std::vector<std::string>{"Greet"});
}

// The start-up with each state a home folder can be in.
struct StartCase {
    std::string label;
    bool library;  // a good library file
    bool damaged;  // the library file is damaged
    bool backup;   // a good backup beside it
    bool recovery; // a recovery copy newer than the library
    MessageAnswer answer;
    std::vector<std::string> titles; // the questions and messages, in order
    std::vector<std::string> names;  // the macros loaded
};

class ProgramStart : public ProgramTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(ProgramStart, LoadsWhatTheHomeHoldsAndAsksOnlyWhenSomethingIsWrong) {
    const StartCase& c = GetParam();
    if (c.library || c.backup) {
        WriteLibrary({{"Saved", ""}});
        if (c.backup)
            fs::copy_file(home / "Macros.mcf", home / "Macros.bak",
                          fs::copy_options::overwrite_existing);
    }
    if (c.damaged)
        WriteFile(home / "Macros.mcf", "not a macro file");
    if (c.label == "DamagedExtras")
        WriteFile(home / "Macros.mcf.ext", "wingmate-extras 1\nmacro 2\nabbreviation \"cut");
    if (c.recovery) {
        CMacroLibrary edited;
        ASSERT_EQ(edited.LoadFrom((home / "Macros.mcf").string()), 1);
        CMacro macro;
        macro.name = "Unsaved";
        edited.InsertRecord(macro, edited.Root()->id, InsertPosition::Into);
        edited.File().SetPaths(home.string());
        const std::string path = (home / "Macros.mcf").string() + CRecoveryFile::kSuffix;
        edited.File().libraryPath = path;
        ASSERT_EQ(edited.Save(), 1);
        fs::last_write_time(path, fs::last_write_time(home / "Macros.mcf") + std::chrono::hours(1));
    }
    messages.answer = c.answer;
    CProgram& p = Make();
    p.Start();
    std::vector<std::string> titles;
    for (const auto& shown : messages.shown)
        titles.push_back(shown.title);
    EXPECT_EQ(titles, c.titles);
    std::vector<std::string> names;
    CMacroLibrary::ForEachPreOrder(p.Library().Root(), [&](CMacroNode& node) {
        if (!node.IsMacroSet())
            names.push_back(node.name);
        return true;
    });
    EXPECT_EQ(names, c.names);
    EXPECT_TRUE(p.Started());
    EXPECT_TRUE(p.HookInstalled());
    EXPECT_NE(std::find(observer.events.begin(), observer.events.end(), "library"),
              observer.events.end());
}

INSTANTIATE_TEST_SUITE_P(
    Homes, ProgramStart,
    ::testing::Values(
        StartCase{"Empty", false, false, false, false, MessageAnswer::Yes, {}, {}},
        StartCase{"Good", true, false, false, false, MessageAnswer::Yes, {}, {"Saved"}},
        StartCase{"DamagedBackupTaken",
                  false,
                  true,
                  true,
                  false,
                  MessageAnswer::Yes,
                  {"Bad Load", "Restore Macros?"},
                  {"Saved"}},
        StartCase{"DamagedBackupRefused",
                  false,
                  true,
                  true,
                  false,
                  MessageAnswer::No,
                  {"Bad Load", "Restore Macros?"},
                  {}},
        StartCase{
            "DamagedNoBackup", false, true, false, false, MessageAnswer::Yes, {"Bad Load"}, {}},
        StartCase{"RecoveryTaken",
                  true,
                  false,
                  false,
                  true,
                  MessageAnswer::Yes,
                  {"Restore Unsaved Changes?"},
                  {"Saved", "Unsaved"}},
        StartCase{"DamagedExtras",
                  true,
                  false,
                  false,
                  false,
                  MessageAnswer::Yes,
                  {"Bad Load"},
                  {"Saved"}},
        StartCase{"RecoveryRefused",
                  true,
                  false,
                  false,
                  true,
                  MessageAnswer::No,
                  {"Restore Unsaved Changes?"},
                  {"Saved"}}),
    LabelName());

// The end: Exit saves the library and the settings; a failed save asks,
// and No keeps the program running with nothing lost.
TEST_F(ProgramTest, ExitSavesEverythingOrStaysWhenTheUserSaysSo) {
    WriteLibrary({{"Saved", ""}});
    CProgram& p = Make();
    p.Start();
    CMacro added;
    added.name = "Added";
    p.Library().InsertRecord(added, p.Library().Root()->id, InsertPosition::Into);
    EXPECT_TRUE(p.HasUnsavedEdits());
    EXPECT_NE(p.EndWithoutSavingQuestion(false), "");

    // The library file cannot be replaced: a folder stands in its place.
    fs::rename(home / "Macros.mcf", home / "kept.mcf");
    fs::create_directory(home / "Macros.mcf");
    fs::create_directory(home / "Macros.mcf" / "inside");
    messages.answer = MessageAnswer::No;
    observer.events.clear();
    const size_t writes = store.writes.size();
    EXPECT_FALSE(p.SaveEverything(true));
    EXPECT_EQ(store.writes.size(), writes);
    EXPECT_EQ(observer.events.front(), "commit");
    EXPECT_EQ(messages.shown.back().title, "Save Failed");

    fs::remove_all(home / "Macros.mcf");
    EXPECT_TRUE(p.SaveEverything(true));
    EXPECT_EQ(store.writes.size(), writes + 1);
    EXPECT_FALSE(p.HasUnsavedEdits());
    EXPECT_EQ(p.EndWithoutSavingQuestion(false), "");
    CMacroLibrary reread;
    ASSERT_EQ(reread.LoadFrom((home / "Macros.mcf").string()), 1);
    int count = 0;
    for (CMacroNode* child = reread.Root()->firstChild; child; child = child->next)
        ++count;
    EXPECT_EQ(count, 2);

    // Once ended, neither keys nor ticks start anything.
    p.MarkEnded();
    EXPECT_FALSE(p.HookInstalled());
    p.Execute(IdOf("Saved"));
    EXPECT_TRUE(runner.started.empty());
}

// A new macro goes into a set, after a macro, or into the root; a form's
// commit never carries a last-run time of its own.
TEST_F(ProgramTest, EntriesAreAddedAtTheCaretAndCommitsKeepTheLastRun) {
    WriteLibrary({{"First", ""}});
    CProgram& p = Make();
    p.Start();
    const int32_t root = p.Library().Root()->id;
    const int32_t first = IdOf("First");
    CMacro set;
    set.name = "Set";
    set.kind = static_cast<int32_t>(MacroKind::MacroSet);
    const struct {
        int32_t caret;
        int32_t target;
        InsertPosition position;
    } cases[] = {{first, first, InsertPosition::After},
                 {root, root, InsertPosition::Into},
                 {4711, root, InsertPosition::Into}};
    for (const auto& c : cases) {
        const CProgram::Added added = p.AddMacro(set, c.caret);
        ASSERT_NE(added.node, nullptr);
        EXPECT_EQ(added.targetId, c.target);
        EXPECT_EQ(added.position, c.position);
    }
    const int32_t into = p.AddMacro(CMacro(), IdOf("Set")).node->id;
    EXPECT_EQ(p.Library().FindById(into)->parent->name, "Set");

    CMacro form = *p.Library().FindById(first);
    p.Library().FindById(first)->lastRunTime = 1234;
    form.lastRunTime = 0;
    form.name = "Renamed";
    const CMacroNode* committed = p.CommitMacro(form);
    ASSERT_NE(committed, nullptr);
    EXPECT_EQ(committed->name, "Renamed");
    EXPECT_EQ(committed->lastRunTime, 1234);
    form.id = 4711;
    EXPECT_EQ(p.CommitMacro(form), nullptr);
}

// A typed abbreviation and its word end are erased and the replacement
// typed, or the macro started where the abbreviation was; nothing expands
// while triggers are off, from our own typing, or across a window change.
TEST_F(ProgramTest, TypedAbbreviationsExpandOnlyWhenTheyMay) {
    WriteLibrary({{"Sig", ""}, {"Script", ""}});
    CProgram& p = Make();
    p.Start();
    MacroExtras sig;
    sig.abbreviation = ";sig";
    sig.replaceWithText = "Best, Ann";
    ASSERT_EQ(p.Library().SetExtras(IdOf("Sig"), sig), 1);
    MacroExtras script;
    script.abbreviation = "@@";
    script.expandImmediately = true;
    ASSERT_EQ(p.Library().SetExtras(IdOf("Script"), script), 1);

    Type(U"x ;sig ");
    ASSERT_EQ(typed.size(), 1u);
    EXPECT_EQ(typed[0].rfind(EraseKeys(5), 0), 0u) << typed[0];
    EXPECT_NE(typed[0].find("Best, Ann"), std::string::npos);
    EXPECT_TRUE(runner.started.empty());
    // Our own keys coming back do not count.
    Type(U" ;sig ");
    EXPECT_EQ(typed.size(), 1u);

    clock.Advance(1);
    Type(U" @@");
    ASSERT_EQ(typed.size(), 2u);
    EXPECT_EQ(typed[1], EraseKeys(2));
    EXPECT_EQ(runner.started, std::vector<std::string>{"Script"});
    p.HandleCommand(static_cast<int>(Command::MacroFinished), IdOf("Script"));

    // Half typed here, finished in another window: nothing.
    clock.Advance(1);
    Type(U" ;si");
    window->title = "Terminal";
    Type(U"g ");
    // A break (a click, an arrow key) forgets too.
    Type(U" ;s");
    report(0, CKeyHook::kTypingBreak, 0);
    Type(U"ig ");
    p.SetTriggersEnabled(false);
    Type(U" ;sig ");
    EXPECT_EQ(typed.size(), 2u);
}

// The instance socket's requests: status, and runs by name or id.
TEST_F(ProgramTest, RequestsRunMacrosAndReportTheStatus) {
    WriteLibrary({{"Greet", ""}});
    CProgram& p = Make();
    p.Start();
    EXPECT_EQ(p.HandleRequest("fly away"), "refused\tunknown request");
    EXPECT_EQ(p.HandleRequest("run Greet").rfind("queued", 0), 0u) << p.HandleRequest("status");
    EXPECT_EQ(runner.started, std::vector<std::string>{"Greet"});
    const std::string status = p.HandleRequest("status");
    EXPECT_NE(status.find("Greet"), std::string::npos) << status;
    p.Stop();
    p.HandleCommand(static_cast<int>(Command::MacroFinished));
    EXPECT_FALSE(p.CurrentStatus().running.has_value());
}

} // namespace
