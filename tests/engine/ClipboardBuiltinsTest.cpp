// Clipboard builtins against the fake clipboard: what scripts read and set,
// ClipWait's waiting, and the errors a script can catch.
#include "EngineTestUtil.h"

#include "fakes/FakeClipboard.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

ScriptRun RunWith(CFakeClipboard* clipboard, const std::string& source) {
    return RunScript(source,
                     [clipboard](CScript& script) { script.GetEngine()->SetClipboard(clipboard); });
}

TEST(ClipboardBuiltins, ScriptsReadAndSetTheSelections) {
    struct Case {
        const char* name;
        std::string clipboard, primary, source, out;
    };
    const Case cases[] = {
        {"set then get", "", "", "ClipSet(\"héllo\"); Print(ClipGet());", "héllo\n"},
        {"a number is set as its text", "", "", "ClipSet(42); Print(ClipGet());", "42\n"},
        {"empty (or an image only) reads as empty", "", "", "Print(Len(ClipGet()));", "0\n"},
        {"the primary selection is its own", "clip", "sel",
         "Print(ClipGet(), \"|\", ClipGetPrimary());", "clip|sel\n"},
        {"text at hand: ClipWait returns at once", "x", "", "Print(ClipWait(0), ClipWait());",
         "truetrue\n"},
        {"empty: ClipWait(0) looks once", "", "", "Print(ClipWait(0));", "false\n"},
        {"empty: ClipWait(ms) times out", "", "", "Print(ClipWait(60));", "false\n"},
        {"ClipSet of an empty text empties it", "x", "", "ClipSet(\"\"); Print(ClipWait(0));",
         "false\n"},
    };
    for (const Case& c : cases) {
        CFakeClipboard clipboard;
        clipboard.clipboard = c.clipboard;
        clipboard.primary = c.primary;
        ScriptRun run = RunWith(&clipboard, c.source);
        EXPECT_EQ(run.err, "") << c.name;
        EXPECT_EQ(run.out, c.out) << c.name;
    }
}

TEST(ClipboardBuiltins, ClipWaitReturnsOnceTextArrives) {
    CFakeClipboard clipboard;
    clipboard.readsUntilText = 3;
    clipboard.laterText = "copied";
    ScriptRun run = RunWith(&clipboard, "Print(ClipWait(5000), ClipGet());");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "truecopied\n");
    EXPECT_EQ(clipboard.calls.size(), 4u); // three waits, one ClipGet
}

TEST(ClipboardBuiltins, ErrorsNameTheFunctionAndLoseNothing) {
    CFakeClipboard clipboard;
    clipboard.clipboard = "kept";
    ScriptRun run = RunWith(&clipboard, R"(
        try { ClipSet("bad " + Chr(255)); } catch (string e) { Print(e); }
        try { ClipWait(-1); } catch (string e) { Print(e); }
        Print(ClipGet());
    )");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "ClipSet: the text is not valid UTF-8 (at byte 4)\n"
                       "ClipWait: the time -1 is negative\n"
                       "kept\n");
    EXPECT_EQ(clipboard.calls, (std::vector<std::string>{"GetText clipboard"}));

    clipboard.failWith = "the clipboard's owner did not answer within 2 seconds";
    run = RunWith(&clipboard, R"(
        try { ClipGet(); } catch (string e) { Print(e); }
        try { ClipWait(10); } catch (string e) { Print(e); }
        try { ClipGetPrimary(); } catch (string e) { Print(e); }
        ClipSet("x");
    )");
    EXPECT_EQ(run.out, "ClipGet: the clipboard's owner did not answer within 2 seconds\n"
                       "ClipWait: the clipboard's owner did not answer within 2 seconds\n"
                       "ClipGetPrimary: the clipboard's owner did not answer within 2 seconds\n");
    EXPECT_NE(run.err.find("ClipSet: the clipboard's owner did not answer"), std::string::npos);
}

// Both a wait between reads and a read that waits end at a Stop.
TEST(ClipboardBuiltins, StopEndsClipWaitPromptly) {
    for (bool blockingRead : {false, true}) {
        CFakeClipboard clipboard;
        clipboard.blockUntilStopped = blockingRead;
        CCaptureStream stream;
        CScript script(&stream, &stream);
        script.GetEngine()->SetClipboard(&clipboard);
        ASSERT_TRUE(script.LoadSource("w.tsc", "ClipWait();\nPrint(\"after\");"));
        std::thread worker([&] { script.Run(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        const auto asked = std::chrono::steady_clock::now();
        script.GetEngine()->GetInterpreter()->SetStopFlag();
        worker.join();
        EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(200));
        EXPECT_EQ(script.Outcome(), ScriptOutcome::Stopped) << blockingRead;
        EXPECT_EQ(stream.out, "");
    }
}

} // namespace
