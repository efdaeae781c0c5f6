#include "run/LibMgr.h"

#include "../engine/EngineTestUtil.h"
#include "RunTestUtil.h"
#include "fakes/TestSupport.h"

#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// `pattern` with "*" standing for any text (also none) matches all of `text`.
bool GlobMatch(const std::string& text, const std::string& pattern) {
    size_t t = 0, p = 0, star = std::string::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// True while the library is in the process.
bool IsLoaded(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return false;
    dlclose(handle);
    return true;
}

class LibMgrTest : public ::testing::Test {
protected:
    std::string Messages() { return ReadText(home / "LibMgrMessages.log"); }
    // Compiles and runs `source` on `script`, returning what it printed.
    std::string RunSource(CScript& script, const std::string& source) {
        EXPECT_TRUE(script.LoadSource("test.tsc", source.c_str())) << stream.err;
        script.Run(1, nullptr);
        EXPECT_EQ(stream.err, "");
        return stream.out;
    }

    CTempHome home;
    CCaptureStream stream;
};

TEST_F(LibMgrTest, ListedLibraryRegistersFunctionsScriptsCall) {
    WriteText(home / "Externals.dat", std::string(TEXTUTILS_PLUGIN) + "\n");
    CScript script(&stream, &stream);
    {
        CLibMgr manager(home.path);
        EXPECT_EQ(manager.LoadList(script.GetEngine()), 1);
        ASSERT_EQ(manager.Libraries().size(), 1u);
        EXPECT_EQ(manager.Libraries()[0].registrationCount, 1);
        EXPECT_EQ(RunSource(script, R"(
            Print(Reverse("stressed"), "|", Reverse("\xC3\xA9t\xC3\xA9!"));
            Print(PadLeft("7", 3, "0"), "|", PadRight("ab", 4), "|", PadLeft("long", 2));
            Print(Capitalize("hello big world"), "|", Repeat("ab", 3), "|", Repeat("x", 0));
            Print(StartsWith("wingmate", "wing"), EndsWith("wingmate", "wing"));
            Print(WordCount("  one two\tthree  "));
            try { Repeat("x", -1); } catch (string e) { Print(e); }
            try { PadLeft("x", 3, "ab"); } catch (string e) { Print(e); }
        )"),
                  "desserts|!\xC3\xA9t\xC3\xA9\n"
                  "007|ab  |long\n"
                  "Hello Big World|ababab|\n"
                  "truefalse\n"
                  "3\n"
                  "Repeat: the count must not be negative\n"
                  "PadLeft: the fill must be one character\n");
        EXPECT_NE(script.GetEngine()->FunctionNames(",").Std().find(",Reverse,"),
                  std::string::npos);
    }
    EXPECT_FALSE(IsLoaded(TEXTUTILS_PLUGIN));
    EXPECT_EQ(Messages(), "");
}

TEST_F(LibMgrTest, EmptyListLoadsNothing) {
    WriteText(home / "Externals.dat", "");
    CScript script(&stream, &stream);
    CLibMgr manager(home.path);
    EXPECT_EQ(manager.LoadList(script.GetEngine()), 1);
    EXPECT_TRUE(manager.Libraries().empty());
    EXPECT_FALSE(FileExists(home / "LibMgrMessages.log"));
}

struct FailureCase {
    std::string label;
    std::string listText; // null list file when "<missing>"
    int loadListResult;
    std::string message; // the whole log; "*" stands for any text
};

class LibMgrFailureTest : public LibMgrTest, public ::testing::WithParamInterface<FailureCase> {};

// No failure stops the list: the good library after the bad line still loads.
TEST_P(LibMgrFailureTest, LogsTheFailureAndLoadsTheRest) {
    const FailureCase& c = GetParam();
    if (c.listText != "<missing>")
        WriteText(home / "Externals.dat", c.listText + "\n" + PLUGIN_FULL + "\n");
    CScript script(&stream, &stream);
    {
        CLibMgr manager(home.path);
        EXPECT_EQ(manager.LoadList(script.GetEngine()), c.loadListResult);
        EXPECT_TRUE(GlobMatch(Messages(), c.message)) << Messages();
        size_t expected = c.listText == "<missing>" ? 0u : 1u;
        ASSERT_EQ(manager.Libraries().size(), expected);
        if (expected) {
            EXPECT_EQ(manager.Libraries()[0].name, PLUGIN_FULL);
        }
        EXPECT_EQ(stream.out, "");
    }
    EXPECT_FALSE(IsLoaded(PLUGIN_NO_REGISTER));
    EXPECT_FALSE(IsLoaded(PLUGIN_WRONG_VERSION));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, LibMgrFailureTest,
    ::testing::Values(
        FailureCase{"MissingList", "<missing>", 0,
                    "Warning: Externals.dat (external DLL list) not found\n"},
        FailureCase{"LibraryDoesNotLoad", "/no/such/libnothing.so", 1,
                    "Error: Could not load DLL: /no/such/libnothing.so (See Externals.dat) - "
                    "Error Code: * - *No such file or directory\n"},
        FailureCase{"NotALibrary", "Externals.dat", 1,
                    "Error: Could not load DLL: Externals.dat (See Externals.dat) - Error Code: "
                    "* - *\n"},
        FailureCase{"EmptyLine", "", 1,
                    "Error: Could not load DLL:  (See Externals.dat) - Error Code: 2 - empty "
                    "library name\n"},
        // The loader would stop at the NUL and load the library named before it.
        FailureCase{"NulInName", std::string(PLUGIN_NO_REGISTER) + std::string("\0x", 2), 1,
                    "Error: Could not load DLL: *libplugin_no_register.so (See Externals.dat) - "
                    "Error Code: 22 - the library name holds a NUL byte\n"},
        FailureCase{"NoRegisterFunctions", PLUGIN_NO_REGISTER, 1,
                    "Error: RegisterFunctions not found in *libplugin_no_register.so\n"},
        FailureCase{"NoApiVersion", PLUGIN_NO_VERSION, 1,
                    "Error: TesseraPluginApiVersion not found in *libplugin_no_version.so (build "
                    "it *)\n"},
        FailureCase{"WrongApiVersion", PLUGIN_WRONG_VERSION, 1,
                    "Error: *libplugin_wrong_version.so was built for plugin API version " +
                        std::to_string(TESSERA_PLUGIN_API_VERSION + 1) +
                        " but this engine has version " +
                        std::to_string(TESSERA_PLUGIN_API_VERSION) + "\n"}),
    LabelName());

// A folder or FIFO in the list's place is reported, never read as an empty
// list (a FIFO would block the run until something wrote to it).
TEST_F(LibMgrTest, ListThatIsNoRegularFileIsReportedAndLoadsNothing) {
    for (const bool fifo : {false, true}) {
        std::filesystem::remove_all(home / "Externals.dat");
        std::filesystem::remove(home / "LibMgrMessages.log");
        if (fifo)
            ASSERT_EQ(::mkfifo((home / "Externals.dat").c_str(), 0600), 0);
        else
            std::filesystem::create_directory(home / "Externals.dat");
        CScript script(&stream, &stream);
        CLibMgr manager(home.path);
        EXPECT_EQ(manager.LoadList(script.GetEngine()), 0);
        EXPECT_EQ(Messages(), "Warning: Externals.dat (external DLL list) is not a regular file\n");
        EXPECT_TRUE(manager.Libraries().empty());
    }
}

TEST_F(LibMgrTest, WrongVersionNeverRegisters) {
    WriteText(home / "Externals.dat", std::string(PLUGIN_WRONG_VERSION) + "\n");
    CScript script(&stream, &stream);
    CLibMgr manager(home.path);
    manager.LoadList(script.GetEngine());
    EXPECT_EQ(script.GetEngine()->FunctionNames(",").Std().find("WrongVersion"), std::string::npos);
}

TEST_F(LibMgrTest, LibraryListedTwiceRegistersTwiceInOneEntry) {
    WriteText(home / "Externals.dat", std::string(PLUGIN_FULL) + "\n" + PLUGIN_FULL + "\n");
    CScript script(&stream, &stream);
    {
        CLibMgr manager(home.path);
        EXPECT_EQ(manager.LoadList(script.GetEngine()), 1);
        ASSERT_EQ(manager.Libraries().size(), 1u);
        EXPECT_EQ(manager.Libraries()[0].registrationCount, 1);
        EXPECT_EQ(RunSource(script, "Print(FullRegisterCount());"), "2\n");
        EXPECT_EQ(manager.UnregisterAll(script.GetEngine()), 1);
        EXPECT_EQ(manager.Libraries()[0].registrationCount, 0);
        Factory_ClearData();
    }
    // The one entry held one reference: destruction really unloaded it.
    EXPECT_FALSE(IsLoaded(PLUGIN_FULL));
}

TEST_F(LibMgrTest, UnregisterAllCallsEveryCleanUpInLoadOrder) {
    WriteText(home / "Externals.dat", std::string(PLUGIN_NO_CLEANUP) + "\n" + PLUGIN_FULL + "\n");
    CScript script(&stream, &stream);
    CLibMgr manager(home.path);
    manager.LoadList(script.GetEngine());
    ASSERT_EQ(manager.Libraries().size(), 2u);
    manager.UnregisterAll(script.GetEngine());
    manager.UnregisterAll(script.GetEngine());
    EXPECT_EQ(manager.Libraries()[0].registrationCount, -1);
    EXPECT_EQ(manager.Libraries()[1].registrationCount, -1);
    EXPECT_EQ(RunSource(script, "Print(FullCleanUpCount(), NoCleanUpRegisterCount());"), "21\n");
}

TEST_F(LibMgrTest, LibraryWithoutCleanUpIsStillUnloaded) {
    WriteText(home / "Externals.dat", std::string(PLUGIN_NO_CLEANUP) + "\n");
    {
        CScript script(&stream, &stream);
        CLibMgr manager(home.path);
        manager.LoadList(script.GetEngine());
        EXPECT_TRUE(IsLoaded(PLUGIN_NO_CLEANUP));
        manager.UnregisterAll(script.GetEngine());
    }
    EXPECT_FALSE(IsLoaded(PLUGIN_NO_CLEANUP));
}

// A bare name is found in the home folder first, as the program folder was.
TEST_F(LibMgrTest, BareNameLoadsFromTheHomeFolder) {
    std::filesystem::copy_file(TEXTUTILS_PLUGIN, home / "libtextutils.so");
    WriteText(home / "Externals.dat", "libtextutils.so\n");
    CScript script(&stream, &stream);
    CLibMgr manager(home.path);
    EXPECT_EQ(manager.LibraryPath("libtextutils.so"), home / "libtextutils.so");
    EXPECT_EQ(manager.LibraryPath("sub/lib.so"), home / "sub/lib.so");
    EXPECT_EQ(manager.LibraryPath("libc.so.6"), "libc.so.6");
    manager.LoadList(script.GetEngine());
    EXPECT_EQ(RunSource(script, "Print(WordCount(\"a b\"));"), "2\n");
    EXPECT_EQ(Messages(), "");
}

TEST_F(LibMgrTest, ScriptDllStatementLoadsAndUnloadsThroughTheManager) {
    CScript script(&stream, &stream);
    CLibMgr manager(home.path);
    script.GetEngine()->SetLibraryLoader(&manager);
    std::string path = PLUGIN_FULL;
    std::string out =
        RunSource(script, "dll \"" + path +
                              "\";\nPrint(FullRegisterCount());\n"
                              "unload \"" +
                              path +
                              "\";\n"
                              "try { dll \"/no/such.so\"; } catch (string e) { Print(e); }");
    EXPECT_TRUE(GlobMatch(out, "1\ndll: cannot load '/no/such.so': Error: Could not load DLL: "
                               "/no/such.so (See Externals.dat) - Error Code: * - *No such file "
                               "or directory\n"))
        << out;
    EXPECT_TRUE(manager.Libraries().empty());
    EXPECT_FALSE(IsLoaded(PLUGIN_FULL));
    // A failing `dll` is the script's error, not a background message.
    EXPECT_FALSE(FileExists(home / "LibMgrMessages.log"));
}

} // namespace
