#include "record/ScriptTranslator.h"

#include "engine/Engine.h"
#include "fakes/FakeDesktop.h"
#include "fakes/TestSupport.h"
#include "triggers/KeyNames.h"
#include "triggers/TypeKeysParser.h"

#include <gtest/gtest.h>

namespace {

using Kind = RecordedEvent::Kind;

RecordedEvent Key(Kind kind, int64_t t, int code, std::string text = {}) {
    RecordedEvent event;
    event.kind = kind;
    event.timeMs = t;
    event.keyCode = code;
    event.text = std::move(text);
    return event;
}
RecordedEvent Down(int64_t t, int code, std::string text = {}) {
    return Key(Kind::KeyDown, t, code, std::move(text));
}
RecordedEvent Up(int64_t t, int code) {
    return Key(Kind::KeyUp, t, code);
}
RecordedEvent Mouse(Kind kind, int64_t t, int x, int y, int button = 1) {
    RecordedEvent event;
    event.kind = kind;
    event.timeMs = t;
    event.x = x;
    event.y = y;
    event.button = button;
    return event;
}
RecordedEvent Window(int64_t t, std::string title, bool own = false) {
    RecordedEvent event;
    event.kind = Kind::WindowChange;
    event.timeMs = t;
    event.title = std::move(title);
    event.ownWindow = own;
    return event;
}
// A window the desktop tells apart from others by its id, with its class.
RecordedEvent WindowId(int64_t t, std::string title, uint64_t id, std::string wmClass = {}) {
    RecordedEvent event = Window(t, std::move(title));
    event.window = id;
    event.wmClass = std::move(wmClass);
    return event;
}
// A button event in a window whose contents begin at originX, originY.
RecordedEvent In(RecordedEvent event, int originX, int originY) {
    event.inWindow = true;
    event.originX = originX;
    event.originY = originY;
    return event;
}
RecordedEvent Own(RecordedEvent event) {
    event.ownWindow = true;
    return event;
}
// A key that began or went on with a dead-key or Compose sequence.
std::vector<RecordedEvent> ComposingTap(int64_t t, int code) {
    RecordedEvent down = Down(t, code);
    down.composing = true;
    return {down, Up(t + 1, code)};
}
// A key typed: down at t, up at t + 1.
std::vector<RecordedEvent> Tap(int64_t t, int code, std::string text = {}) {
    return {Down(t, code, std::move(text)), Up(t + 1, code)};
}

struct Case {
    std::string label;
    TranslatorSettings settings;
    std::vector<std::vector<RecordedEvent>> events;
    std::vector<std::string> lines;
    bool stops = false;
};

TranslatorSettings Defaults() {
    TranslatorSettings settings;
    settings.stopModifier = vk::Ctrl;
    settings.stopKey = 'Z';
    return settings;
}
TranslatorSettings WindowWait(int32_t ms) {
    TranslatorSettings settings = Defaults();
    settings.windowWaitMs = ms;
    return settings;
}
TranslatorSettings With(int delay, bool idle, int idleSeconds, bool truncate = true) {
    TranslatorSettings settings = Defaults();
    settings.defaultDelay = delay;
    settings.sleepWhenIdle = idle;
    settings.idleSeconds = idleSeconds;
    settings.truncateTitles = truncate;
    return settings;
}

const Case kCases[] = {
    {"TypingIsOneRunWithShiftedCharacters",
     Defaults(),
     {{Down(0, vk::Shift), Down(1, 'H', "H"), Up(2, 'H'), Up(3, vk::Shift)},
      Tap(10, 'I', "i"),
      Tap(20, '1', "1"),
      {Down(30, vk::Shift), Down(31, '1', "!"), Up(32, '1'), Up(33, vk::Shift)}},
     {R"(TypeKeys("Hi1!");)"}},
    {"QuotesBackslashesAndAngleBracketsStayValid",
     Defaults(),
     {Tap(0, 222, "\""), Tap(5, 220, "\\"), Tap(10, 188, "<"), Tap(15, 'B', "b"),
      Tap(20, 190, ">")},
     {R"(TypeKeys("\"\\<<>b>");)"}},
    {"NamedKeysAreTokens",
     Defaults(),
     {Tap(0, 'A', "a"), Tap(1, vk::Enter, "\r"), Tap(2, vk::Tab, "\t"), Tap(3, vk::Backspace, "\b"),
      Tap(4, vk::Left), Tap(5, vk::F1 + 4), Tap(6, vk::Delete, "\x7f"), Tap(7, vk::Esc, "\x1b")},
     {R"(TypeKeys("a<ENTER><TAB><BKSP><LEFT><F5><DEL><ESC>");)"}},
    {"ChordsAndShiftWithNamedKeys",
     Defaults(),
     {{Down(0, vk::LeftCtrl), Down(1, 'C', "\x03"), Up(2, 'C'), Up(3, vk::LeftCtrl)},
      {Down(4, vk::Ctrl), Down(5, vk::Alt), Down(6, vk::Delete), Up(7, vk::Delete), Up(8, vk::Alt),
       Up(9, vk::Ctrl)},
      {Down(10, vk::Ctrl), Down(11, vk::Shift), Down(12, 'T', "T"), Up(13, 'T'), Up(14, vk::Shift),
       Up(15, vk::Ctrl)},
      {Down(16, vk::Shift), Down(17, vk::Tab, "\t"), Up(18, vk::Tab), Up(19, vk::Shift)},
      {Down(20, vk::Alt), Down(21, vk::F1 + 3), Up(22, vk::F1 + 3), Up(23, vk::Alt)},
      {Down(24, vk::Ctrl), Down(25, 188, ","), Up(26, 188), Up(27, vk::Ctrl)}},
     {R"(TypeKeys("<CTRL>c<CTRL><ALT><DEL><CTRL><SHIFT>t<SHIFT><TAB><ALT><F4><CTRL><,>");)"}},
    {"LayoutCharactersAndAltGrAreText",
     Defaults(),
     {Tap(0, 222, "ä"),
      Tap(1, 186, "ö"),
      Tap(2, 219, "ß"),
      {Down(3, vk::Unmapped), Down(4, 'Q', "@"), Up(5, 'Q'), Up(6, vk::Unmapped)},
      {Down(7, vk::Unmapped), Down(8, 'E', "€"), Up(9, 'E'), Up(10, vk::Unmapped)}},
     {R"(TypeKeys("äöß@€");)"}},
    {"KeysInsideAComposeSequenceWriteNothing",
     Defaults(),
     {ComposingTap(0, vk::Unmapped), ComposingTap(2, vk::Space), Tap(4, 222, "'"),
      ComposingTap(6, 220), Tap(8, 'E', "\xC3\xAA")},
     {"TypeKeys(\"'\xC3\xAA\");"}},
    {"LoneModifiersAndLockKeysAreNotWritten",
     Defaults(),
     {Tap(0, vk::Ctrl), Tap(1, vk::Caps), Tap(2, vk::Alt), Tap(3, 'A', "A"), Tap(4, vk::Shift)},
     {R"(TypeKeys("A");)"}},
    {"ClickAndDrag",
     Defaults(),
     {{Mouse(Kind::Motion, 0, 5, 5), Mouse(Kind::ButtonDown, 1, 10, 20),
       Mouse(Kind::ButtonUp, 2, 11, 21)},
      {Mouse(Kind::ButtonDown, 3, 30, 40, 3), Mouse(Kind::ButtonUp, 4, 30, 40, 3)},
      {Mouse(Kind::ButtonDown, 5, 50, 60), Mouse(Kind::Motion, 6, 70, 60),
       Mouse(Kind::ButtonUp, 7, 90, 65)}},
     {"MouseClick(10, 20);", "MouseClick(30, 40, 3);", "MouseMove(50, 60);", "MouseDown();",
      "MouseMove(90, 65);", "MouseUp();"}},
    {"TypingIsWrittenBeforeAClick",
     Defaults(),
     {Tap(0, 'X', "x"),
      {Mouse(Kind::ButtonDown, 5, 1, 2), Mouse(Kind::ButtonUp, 6, 1, 2)},
      Tap(7, 'Y', "y")},
     {R"(TypeKeys("x");)", "MouseClick(1, 2);", R"(TypeKeys("y");)"}},
    {"DefaultDelayBetweenActions",
     With(250, false, 0),
     {Tap(0, 'A', "a"),
      Tap(5, 'B', "b"),
      {Mouse(Kind::ButtonDown, 9, 1, 1), Mouse(Kind::ButtonUp, 10, 1, 1)}},
     {R"(TypeKeys("ab");)", "Sleep(250);", "MouseClick(1, 1);"}},
    {"IdlePauseSplitsTypingWithItsRealLength",
     With(100, true, 5),
     {Tap(0, 'A', "a"),
      Tap(4000, 'B', "b"),
      Tap(12001, 'C', "c"),
      {Mouse(Kind::ButtonDown, 12100, 1, 1), Mouse(Kind::ButtonUp, 12101, 1, 1)}},
     {R"(TypeKeys("ab");)", "Sleep(8001);", R"(TypeKeys("c");)", "Sleep(100);",
      "MouseClick(1, 1);"}},
    {"WindowChangesWithTruncation",
     Defaults(),
     {{Window(0, "notes.txt - Text Editor")},
      Tap(1, 'A', "a"),
      {Window(2, "Other \"Quoted\" \xE2\x80\x94 Tool")},
      Tap(3, 'B', "b"),
      {Window(4, "Inbox - Mail - Client"), Window(5, "Whole")},
      Tap(6, 'C', "c")},
     {R"(WinWait("Text Editor", 5000);)", R"(WinActivate("Text Editor");)", R"(TypeKeys("a");)",
      R"(WinWait("Tool", 5000);)", R"(WinActivate("Tool");)", R"(TypeKeys("b");)",
      R"(WinWait("Whole", 5000);)", R"(WinActivate("Whole");)", R"(TypeKeys("c");)"}},
    {"TitleChangeInTheTruncatedPartKeepsTheRun",
     Defaults(),
     {{Window(0, "notes - Editor")},
      Tap(1, 'A', "a"),
      {Window(2, "*notes - Editor")},
      Tap(3, 'B', "b")},
     {R"(WinWait("Editor", 5000);)", R"(WinActivate("Editor");)", R"(TypeKeys("ab");)"}},
    {"UntitledWindowWritesNoWindowLinesAndKeepsTheRun",
     Defaults(),
     {{Window(0, "Editor")}, Tap(1, 'A', "a"), {Window(2, "")}, Tap(3, 'B', "b"), Tap(5, 'C', "c")},
     {R"(WinWait("Editor", 5000);)", R"(WinActivate("Editor");)", R"(TypeKeys("a");)",
      R"(TypeKeys("bc");)"}},
    {"WindowChangesWithFullTitles",
     With(0, false, 0, false),
     {{Window(0, "a - b")}, Tap(1, 'A', "a"), {Window(2, "a - b")}, Tap(3, 'B', "b")},
     {R"(WinWait("a - b", 5000);)", R"(WinActivate("a - b");)", R"(TypeKeys("ab");)"}},
    {"SameWindowKeepsItsLinesWhenItsFullTitleChanges",
     With(0, false, 0, false),
     {{WindowId(0, "m.txt - Mousepad", 7)},
      Tap(1, 'A', "a"),
      {WindowId(2, "*m.txt - Mousepad", 7)},
      Tap(3, 'B', "b"),
      {WindowId(4, "Terminal", 9)},
      Tap(5, 'C', "c"),
      {WindowId(6, "*m.txt - Mousepad", 7)},
      Tap(7, 'D', "d")},
     {R"(WinWait("m.txt - Mousepad", 5000);)", R"(WinActivate("m.txt - Mousepad");)",
      R"(TypeKeys("ab");)", R"(WinWait("Terminal", 5000);)", R"(WinActivate("Terminal");)",
      R"(TypeKeys("c");)", R"(WinWait("*m.txt - Mousepad", 5000);)",
      R"(WinActivate("*m.txt - Mousepad");)", R"(TypeKeys("d");)"}},
    {"ClassBesideTheTitleAndTheUsersWait",
     WindowWait(30000),
     {{WindowId(0, "notes - Mousepad", 7, "Mousepad")},
      Tap(1, 'A', "a"),
      {WindowId(2, "Terminal", 9)},
      Tap(3, 'B', "b")},
     {R"(WinWait("Mousepad", 30000, "Mousepad");)",
      R"(WinActivate("Mousepad", 30000, "Mousepad");)", R"(TypeKeys("a");)",
      R"(WinWait("Terminal", 30000);)", R"(WinActivate("Terminal", 30000);)", R"(TypeKeys("b");)"}},
    {"PositionsCountFromTheWindowTheyWereIn",
     Defaults(),
     {{WindowId(0, "Terminal", 9)},
      {In(Mouse(Kind::ButtonDown, 1, 130, 90), 100, 50), Mouse(Kind::ButtonUp, 2, 130, 90)},
      {In(Mouse(Kind::ButtonDown, 3, 110, 60, 3), 100, 50), Mouse(Kind::ButtonUp, 4, 110, 60, 3)},
      {In(Mouse(Kind::ButtonDown, 5, 120, 70), 100, 50), Mouse(Kind::ButtonUp, 6, 220, 75)},
      // Over no known window: the screen's position.
      {Mouse(Kind::ButtonDown, 7, 5, 6), Mouse(Kind::ButtonUp, 8, 5, 6)},
      // In an untitled window no line activates: the screen's position.
      {WindowId(9, "", 11), In(Mouse(Kind::ButtonDown, 10, 40, 40), 30, 30),
       Mouse(Kind::ButtonUp, 11, 40, 40)}},
     {R"(WinWait("Terminal", 5000);)", R"(WinActivate("Terminal");)",
      R"(MouseClick(30, 40, 1, "window");)", R"(MouseClick(10, 10, 3, "window");)",
      R"(MouseMove(20, 20, "window");)", "MouseDown();", R"(MouseMove(120, 25, "window");)",
      "MouseUp();", "MouseClick(5, 6);", "MouseClick(40, 40);"}},
    {"WheelNotchesAreOneLinePerRunWhereThePointerIs",
     Defaults(),
     {{WindowId(0, "Terminal", 9)},
      {In(Mouse(Kind::ButtonDown, 1, 150, 80, 4), 100, 50), Mouse(Kind::ButtonUp, 1, 150, 80, 4),
       In(Mouse(Kind::ButtonDown, 2, 151, 80, 4), 100, 50),
       In(Mouse(Kind::ButtonDown, 3, 151, 81, 4), 100, 50)},
      {In(Mouse(Kind::ButtonDown, 4, 151, 81, 5), 100, 50),
       In(Mouse(Kind::ButtonDown, 5, 151, 81, 5), 100, 50)},
      {In(Mouse(Kind::ButtonDown, 6, 300, 200, 5), 100, 50)},
      Tap(7, 'A', "a"),
      {Mouse(Kind::ButtonDown, 8, 7, 8, 4)}},
     {R"(WinWait("Terminal", 5000);)", R"(WinActivate("Terminal");)",
      R"(MouseMove(50, 30, "window");)", "MouseWheel(3);", R"(MouseMove(51, 31, "window");)",
      "MouseWheel(-2);", R"(MouseMove(200, 150, "window");)", "MouseWheel(-1);",
      R"(TypeKeys("a");)", "MouseMove(7, 8);", "MouseWheel(1);"}},
    {"OwnWindowsAreNotRecorded",
     Defaults(),
     {{Window(0, "Editor")},
      Tap(1, 'A', "a"),
      {Window(2, "Record Script", true), Own(Down(3, 'Q', "q")), Own(Up(4, 'Q')),
       Own(Mouse(Kind::ButtonDown, 5, 9, 9)), Own(Mouse(Kind::ButtonUp, 6, 9, 9))},
      Tap(7, 'B', "b")},
     {R"(WinWait("Editor", 5000);)", R"(WinActivate("Editor");)", R"(TypeKeys("ab");)"}},
    {"StopCombinationIsNeverWritten",
     Defaults(),
     {Tap(0, 'A', "a"), {Down(1, vk::LeftCtrl), Down(2, 'Z', "\x1a")}, Tap(3, 'B', "b")},
     {R"(TypeKeys("a");)"},
     true},
    {"StopKeyWithoutItsModifierIsTyped",
     Defaults(),
     {Tap(0, 'Z', "z"), {Down(1, vk::Alt), Down(2, 'Z', "z"), Up(3, 'Z'), Up(4, vk::Alt)}},
     {R"(TypeKeys("z<ALT>z");)"}},
    {"NothingIsLeftHeld",
     Defaults(),
     {{Mouse(Kind::ButtonDown, 0, 1, 1), Mouse(Kind::ButtonDown, 1, 1, 1, 3),
       Mouse(Kind::Motion, 2, 40, 50)},
      {Down(3, vk::Shift), Down(4, vk::Ctrl), Down(5, 'Z')}},
     {"MouseMove(1, 1);", "MouseDown();", "MouseMove(40, 50);", "MouseUp();",
      "MouseClick(1, 1, 3);"},
     true},
};

class ScriptTranslatorTable : public ::testing::TestWithParam<Case> {};

std::vector<std::string> Translate(const Case& c, bool& stopped) {
    CScriptTranslator translator(c.settings);
    std::vector<std::string> lines;
    stopped = false;
    for (const auto& group : c.events)
        for (const RecordedEvent& event : group)
            if (translator.Feed(event, lines) == CScriptTranslator::Outcome::Stop)
                stopped = true;
    translator.Finish(lines);
    return lines;
}

TEST_P(ScriptTranslatorTable, WritesTheExpectedLines) {
    bool stopped = false;
    EXPECT_EQ(Translate(GetParam(), stopped), GetParam().lines);
    EXPECT_EQ(stopped, GetParam().stops);
}

// Every line runs: it compiles, its keys parse, and the desktop gets the
// actions (ones with the same text as was typed).
TEST_P(ScriptTranslatorTable, EveryLineRunsInTheEngine) {
    bool stopped = false;
    std::string source;
    for (const std::string& line : Translate(GetParam(), stopped))
        source += line + "\n";
    ssi_stream stream;
    CScript script(&stream, &stream);
    CRecordingDesktop desktop;
    desktop.windows = {"Text Editor",
                       "Other \"Quoted\" \xE2\x80\x94 Tool",
                       "Whole",
                       "a - b",
                       "Editor",
                       "*m.txt - Mousepad",
                       "notes - Mousepad",
                       "Terminal"};
    desktop.windowClasses = {{"notes - Mousepad", "mousepad"}};
    CEngineLimits limits;
    limits.systemAccess = false; // Sleep returns at once
    script.GetEngine()->SetLimits(limits);
    script.GetEngine()->SetDesktop(&desktop);
    ASSERT_TRUE(script.LoadSource("recorded.tsc", source)) << source;
    script.Run();
    EXPECT_EQ(script.Outcome(), ScriptOutcome::Finished) << script.LastMessage() << "\n" << source;
    for (const std::string& call : desktop.calls) {
        if (call.rfind("TypeKeys ", 0) == 0) {
            EXPECT_TRUE(ParseTypeKeys(call.substr(9)).Ok()) << call;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ScriptTranslatorTable, ::testing::ValuesIn(kCases), LabelName());

// Typed text replays as the same characters.
TEST(ScriptTranslator, TypedTextParsesBackToTheSameCharacters) {
    const std::string typed = "a<b>\"\\ äß€@ <ENTER>";
    CScriptTranslator translator(Defaults());
    std::vector<std::string> lines;
    int64_t t = 0;
    for (size_t i = 0; i < typed.size();) {
        size_t length = 1;
        const auto lead = static_cast<unsigned char>(typed[i]);
        length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        translator.Feed(Down(t++, 65, typed.substr(i, length)), lines);
        i += length;
    }
    translator.Finish(lines);
    ASSERT_EQ(lines.size(), 1u);
    ssi_stream stream;
    CScript script(&stream, &stream);
    CRecordingDesktop desktop;
    script.GetEngine()->SetDesktop(&desktop);
    ASSERT_TRUE(script.LoadSource("r.tsc", lines[0]));
    script.Run();
    ASSERT_EQ(desktop.calls.size(), 1u);
    const TypeKeysPlan plan = ParseTypeKeys(desktop.calls[0].substr(9));
    ASSERT_TRUE(plan.Ok());
    std::u32string produced;
    for (const KeyAction& action : plan.actions)
        produced += action.character;
    EXPECT_EQ(produced, U"a<b>\"\\ äß€@ <ENTER>");
}

// A long run of typing is cut into lines the dialog can read back whole,
// never inside a token or a character, with nothing lost.
TEST(ScriptTranslator, LongTypingIsCutIntoShortLines) {
    CScriptTranslator translator(With(500, false, 0));
    std::vector<std::string> lines;
    std::string typed;
    for (int i = 0; i < 20000; ++i) {
        const std::string text = i % 3 == 0 ? "\xE2\x82\xAC" : i % 3 == 1 ? "<" : "\"";
        typed += text == "<" ? "<<>" : text;
        translator.Feed(Down(i, 65, text), lines);
        translator.Feed(Down(i, vk::Enter, "\r"), lines);
        typed += "<ENTER>";
    }
    translator.Finish(lines);
    ASSERT_GT(lines.size(), 10u);
    std::string joined;
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), 8192u);
        ASSERT_EQ(line.rfind("TypeKeys(\"", 0), 0u) << line; // no Sleep between the parts
        ssi_stream stream;
        CScript script(&stream, &stream);
        CRecordingDesktop desktop;
        script.GetEngine()->SetDesktop(&desktop);
        ASSERT_TRUE(script.LoadSource("r.tsc", line));
        script.Run();
        ASSERT_EQ(desktop.calls.size(), 1u);
        ASSERT_TRUE(ParseTypeKeys(desktop.calls[0].substr(9)).Ok());
        joined += desktop.calls[0].substr(9);
    }
    EXPECT_EQ(joined, typed);
}

TEST(ScriptTranslator, TitlesAndLiterals) {
    EXPECT_EQ(RecordedTitle("a - b - c", true), "c");
    EXPECT_EQ(RecordedTitle("trailing - ", true), "trailing - ");
    EXPECT_EQ(RecordedTitle("no separator-here", true), "no separator-here");
    EXPECT_EQ(ScriptStringLiteral("t\x01\xFF\n"), "\"t\\x01\\xFF\\n\"");
    // A huge title is written as its beginning, cut between characters.
    const std::string huge = "a" + std::string(3000, '\xE4') + " - App";
    std::string utf8Huge = "a";
    for (int i = 0; i < 3000; ++i)
        utf8Huge += "\xC3\xA4";
    EXPECT_EQ(RecordedTitle(utf8Huge + " - App", true), utf8Huge.substr(0, 1023));
    EXPECT_EQ(RecordedTitle(huge, false).size(), 1024u);
}

} // namespace
