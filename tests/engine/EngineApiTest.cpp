// The public interface: String, File, CStatus, CScript, CEngine with
// registered functions and the library loader, Factory_ClearData.
#include "EngineTestUtil.h"

#include "engine/ExternalLibraries.h"
#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>

#include <unistd.h>

namespace {

struct ParseCase {
    std::string label;
    std::string text;
    int position;
    std::string before;
    std::string after;
};

class StringParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(StringParse, SplitsAtTheFirstDelimiter) {
    const ParseCase& c = GetParam();
    String text(c.text.c_str());
    String before("stale");
    EXPECT_EQ(text.Parse(before, "ARGS="), c.position);
    EXPECT_EQ(before.Std(), c.before);
    EXPECT_EQ(text.Std(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StringParse,
    ::testing::Values(ParseCase{"with_args", "/s/a.tsc ARGS=1,2", 9, "/s/a.tsc ", "1,2"},
                      ParseCase{"without_args", "/s/a.tsc", -1, "/s/a.tsc", ""},
                      ParseCase{"two_markers", "a ARGS=b ARGS=c", 2, "a ", "b ARGS=c"},
                      ParseCase{"marker_first", "ARGS=x", 0, "", "x"}),
    LabelName());

TEST(String, Operations) {
    String s("  padded \t\n");
    EXPECT_EQ(s.Trim().Std(), "padded");
    String path("/a/b.c/d.tsc");
    EXPECT_EQ(path.ReverseFind('.'), 8);
    EXPECT_EQ(path.ReverseFind('x'), -1);
    EXPECT_EQ(path.SubString(0, path.ReverseFind('.')).Std(), "/a/b.c/d");
    EXPECT_EQ(path.SubString(3).Std(), "b.c/d.tsc");
    EXPECT_EQ(path.SubString(99).Std(), "");
    String joined("a");
    joined += "b";
    joined += String("c");
    EXPECT_STREQ(joined.Str(), "abc");
    EXPECT_EQ(joined.Find("c"), 2);
}

TEST(File, WritesAndReadsLines) {
    char name[] = "/tmp/tessera-file-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    File out;
    EXPECT_TRUE(out.Open(name, "w"));
    EXPECT_TRUE(out.WriteLine("first"));
    EXPECT_TRUE(out.WriteLine(""));
    EXPECT_TRUE(out.Write("third\r\nno end"));
    out.Close();
    File in;
    ASSERT_TRUE(in.Open(name, "r"));
    String line;
    EXPECT_EQ(in.ReadLine(line), 5);
    EXPECT_EQ(line.Std(), "first");
    EXPECT_EQ(in.ReadLine(line), 0);
    EXPECT_EQ(in.ReadLine(line), 5);
    EXPECT_EQ(line.Std(), "third");
    EXPECT_EQ(in.ReadLine(line), 6);
    EXPECT_LT(in.ReadLine(line), 0);
    std::remove(name);
    CStatus missing = in.Open("/nonexistent/dir/file", "r");
    EXPECT_EQ(static_cast<char>(missing), 0);
    EXPECT_NE(std::string(missing.Message()).find("No such file"), std::string::npos);
    EXPECT_FALSE(in.Open(name, "x"));
    EXPECT_LT(in.ReadLine(line), 0);
    EXPECT_FALSE(in.WriteLine("closed"));
}

TEST(Stream, BaseClassFunnelsEverythingIntoWrite) {
    CCaptureStream stream;
    stream.Format("%d-%s", 7, "x");
    stream.LogDisp("line");
    stream.WriteText("t");
    EXPECT_EQ(stream.out, "7-xline\nt");
    ssi_stream plain;
    char buffer[4] = "abc";
    EXPECT_EQ(plain.ReadInput(buffer, 4), -1);
    EXPECT_STREQ(buffer, "");
}

TEST(Script, LoadFailureWritesTheMessageToTheStream) {
    CCaptureStream stream;
    CScript script(&stream, &stream);
    EXPECT_EQ(script.Load("/nonexistent/x.tsc"), 0);
    EXPECT_EQ(stream.err,
              "/nonexistent/x.tsc: error: cannot open script: No such file or directory\n");
    EXPECT_EQ(script.Run(), 1);
    EXPECT_EQ(script.Outcome(), ScriptOutcome::Failed);
}

TEST(Script, PathWithTrailingBlanksStillLoads) {
    char name[] = "/tmp/tessera-blank-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "Print(1);", 9), 9);
    close(fd);
    CCaptureStream stream;
    CScript script(&stream, &stream);
    EXPECT_NE(script.Load((std::string(name) + "  ").c_str()), 0) << stream.err;
    script.Run();
    EXPECT_EQ(stream.out, "1\n");
    std::remove(name);
}

TEST(Script, InputWritesThePromptAndReadsTheStream) {
    CCaptureStream stream;
    stream.inputs = {"Ada", std::string(70000, 'x')};
    CScript script(&stream, &stream);
    ASSERT_TRUE(script.LoadSource("i.tsc", "string n = Input(\"Name? \");\nPrint(\"hi \", n);\n"
                                           "Print(Len(Input()), \"|\", Input(\"more\"), \"|\");"));
    script.Run();
    // The prompt of the last Input is written while Print gathers its arguments.
    EXPECT_EQ(stream.out, "Name? hi Ada\nmore0||\n");
}

TEST(Script, EvaluateArgumentsReplacesArgs) {
    CCaptureStream stream;
    CScript script(&stream, &stream);
    ASSERT_TRUE(script.LoadSource("a.tsc", "Print(args);"));
    EXPECT_EQ(script.EvaluateArguments("1,\"two\",3.5"), 1);
    EXPECT_EQ(script.EvaluateArguments("1,two"), 0);
    EXPECT_NE(stream.err.find("bad argument text '1,two'"), std::string::npos);
    script.Run();
    EXPECT_EQ(stream.out, "[1, \"two\", 3.5]\n");
}

void Twice(ITesseraCall* call, void*) {
    call->ReturnInt(call->ArgInt(0) * 2);
}
void Concat(ITesseraCall* call, void* user) {
    std::string text = static_cast<const char*>(user);
    for (int k = 0; k < call->ArgCount(); ++k)
        text += call->ArgString(k);
    call->ReturnString(text.c_str());
}
void Refuse(ITesseraCall* call, void*) {
    call->Fail("refused");
}
void Shout(ITesseraCall* call, void*) {
    call->Write("from plugin", true);
    call->ReturnFloat(call->ArgFloat(0) + 0.5);
}

TEST(Engine, RegisteredFunctionsAreCallable) {
    ScriptRun run = RunScript(
        "Print(Twice(21), \" \", Concat(1, \"a\", [2]), \" \", Shout(1));\n"
        "try { Refuse(); } catch (string e) { Print(e); }\n"
        "try { Twice(\"x\"); } catch (string e) { Print(e); }\n"
        "try { Twice(); } catch (string e) { Print(e); }\n",
        [](CScript& script) {
            CEngine* engine = script.GetEngine();
            engine->SetPackageName("libtest.so");
            EXPECT_TRUE(engine->RegisterFunction("Twice", Twice, nullptr, 0, 1));
            EXPECT_TRUE(engine->RegisterFunction("Concat", Concat, const_cast<char*>(">")));
            EXPECT_TRUE(engine->RegisterFunction("Refuse", Refuse));
            EXPECT_TRUE(engine->RegisterFunction("Shout", Shout));
            EXPECT_FALSE(engine->RegisterFunction("Print", Twice));
            EXPECT_FALSE(engine->RegisterFunction("bad name", Twice));
            EXPECT_FALSE(engine->RegisterFunction("Nothing", nullptr));
        });
    EXPECT_EQ(run.out, "from plugin\n42 >1a[2] 1.5\nRefuse: refused\n"
                       "Twice: argument 1 must be a number\nTwice: argument 1 is missing\n");
}

TEST(Engine, FunctionNamesListBuiltinsThenRegistered) {
    CCaptureStream stream;
    CScript script(&stream, &stream);
    CEngine* engine = script.GetEngine();
    engine->RegisterFunction("Zeta", Twice);
    engine->RegisterFunction("Alpha", Twice);
    std::string names = engine->FunctionNames(",").Std();
    EXPECT_EQ(names.rfind("Print,Write,Input,", 0), 0u) << names;
    EXPECT_NE(names.find(",TypeKeys,"), std::string::npos);
    EXPECT_EQ(names.substr(names.size() - 11), ",Zeta,Alpha");
    EXPECT_EQ(engine->ApiVersion(), TESSERA_PLUGIN_API_VERSION);
    Factory_ClearData();
    EXPECT_EQ(engine->FunctionNames(",").Std().find("Zeta"), std::string::npos);
}

TEST(Engine, UnknownExternalIsReportedBeforeTheRunStarts) {
    ScriptRun run = RunScript("Print(\"first\");\nMissing(1);");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "test.tsc:2: runtime error: unknown function 'Missing'\n");
}

// A loader that "loads" libraries by registering one function each.
class CFakeLoader : public IExternalLibraryLoader {
public:
    bool Load(const std::string& path, CEngine* engine, std::string& error) override {
        events.push_back("load " + path);
        if (path == "broken.so") {
            error = "file not found";
            return false;
        }
        engine->RegisterFunction("Twice", Twice);
        return true;
    }
    void Unload(const std::string& path, CEngine*) override { events.push_back("unload " + path); }
    std::vector<std::string> events;
};

TEST(Engine, DllAndUnloadGoThroughTheLoader) {
    CFakeLoader loader;
    ScriptRun run =
        RunScript("dll \"libtwice.so\";\nPrint(Twice(4));\nunload \"libtwice.so\";\n"
                  "try { Print(Twice(4)); } catch (string e) { Print(e); }\n"
                  "try { dll \"broken.so\"; } catch (string e) { Print(e); }\n"
                  "dll \"libtwice.so\";\n",
                  [&](CScript& script) { script.GetEngine()->SetLibraryLoader(&loader); });
    EXPECT_EQ(run.out,
              "8\nunknown function 'Twice'\ndll: cannot load 'broken.so': file not found\n");
    // A library the script left loaded is unloaded when the run ends.
    EXPECT_EQ(loader.events,
              (std::vector<std::string>{"load libtwice.so", "unload libtwice.so", "load broken.so",
                                        "load libtwice.so", "unload libtwice.so"}));
}

TEST(Engine, RuntimeErrorMessageGoesToTheStream) {
    ScriptRun run = RunScript("Print(\"a\");\n\nlist l = [];\nPrint(l[0]);\nPrint(\"b\");");
    EXPECT_EQ(run.out, "a\n");
    EXPECT_EQ(run.err, "test.tsc:4: runtime error: index 0 out of range (list has 0 elements)\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.outcome, ScriptOutcome::Failed);
}

TEST(Engine, CompileErrorIsReportedOnceAndNothingRuns) {
    CCaptureStream stream;
    CScript script(&stream, &stream);
    EXPECT_EQ(script.LoadSource("e.tsc", "Print(\"x\");\nint a = ;\nint b = ;"), 0);
    EXPECT_EQ(stream.err, "e.tsc:2:9: error: expected an expression, found ';'\n");
    EXPECT_EQ(script.Disassemble(), "");
}

} // namespace
