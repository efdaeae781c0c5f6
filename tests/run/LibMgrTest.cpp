#include "run/LibMgr.h"

#include "../engine/EngineTestUtil.h"
#include "RunTestUtil.h"
#include "fakes/TestSupport.h"
#include "library/SafePath.h"

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

// A folder whose chain up to "/" nobody else can change (the build tree's,
// beside the test plugins), unlike the temporary folder.
std::string TrustedFolder() {
    return std::filesystem::path(PLUGIN_FULL).parent_path().string();
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
            Print(Capitalize("hello big world"), "|", Center("mid", 7, "*"), "|", Center("\xC3\xA9", 4));
            Print(WordCount("  one two\tthree  "), "|", Center("long", 2));
            try { Center("x", 3, "ab"); } catch (string e) { Print(e); }
        )"),
                  "Hello Big World|**mid**| \xC3\xA9  \n"
                  "3|long\n"
                  "Center: the fill must be one character\n");
        EXPECT_NE(script.GetEngine()->FunctionNames(",").Std().find(",Capitalize,"),
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

// A bare name is found in the home folder first, as the program folder was,
// then in the loader's search folders; never by the loader's own search.
TEST_F(LibMgrTest, BareNameLoadsFromTheHomeFolder) {
    // The temporary folder is writable by all, so libraries there are refused.
    const CTempHome trusted(TrustedFolder());
    std::filesystem::copy_file(TEXTUTILS_PLUGIN, trusted / "libtextutils.so");
    WriteText(trusted / "Externals.dat", "libtextutils.so\nlibnowhere-wingmate.so\n");
    CScript script(&stream, &stream);
    CLibMgr manager(trusted.path);
    EXPECT_EQ(manager.LibraryPath("libtextutils.so"), trusted / "libtextutils.so");
    EXPECT_EQ(manager.LibraryPath("sub/lib.so"), trusted / "sub/lib.so");
    const std::string libc = manager.LibraryPath("libc.so.6");
    EXPECT_TRUE(libc.front() == '/' && GlobMatch(libc, "*/libc.so.6")) << libc;
    manager.LoadList(script.GetEngine());
    EXPECT_EQ(RunSource(script, "Print(WordCount(\"a b\"));"), "2\n");
    EXPECT_EQ(ReadText(trusted / "LibMgrMessages.log"),
              "Error: Could not load DLL: libnowhere-wingmate.so (See Externals.dat) - Error "
              "Code: 2 - not found in the home folder nor in the loader's search folders\n");
}

struct TrustCase {
    std::string label;
    mode_t folderMode;
    uid_t folderOwner; // 0: ours (root); else chown, only as root
    mode_t libraryMode;
    uid_t libraryOwner;
    gid_t libraryGroup;  // 0: ours
    bool viaLink;        // listed as a link in a sound folder to the library
    std::string refusal; // empty: loads
    mode_t aboveMode = 0; // the folder above the library's: 0 leaves it
};

class LibMgrTrustTest : public LibMgrTest, public ::testing::WithParamInterface<TrustCase> {};

// A library someone else could change is never loaded, as ssh treats its keys.
TEST_P(LibMgrTrustTest, RefusesALibraryOthersCouldChange) {
    const TrustCase& c = GetParam();
    const bool root = ::geteuid() == 0;
    if (!root && (c.folderOwner || c.libraryOwner || c.libraryGroup))
        GTEST_SKIP() << "changing owners needs root";
    const CTempHome trusted(TrustedFolder());
    std::string why;
    if (!CheckTrustedPath(trusted.path, false, why))
        GTEST_SKIP() << "the build folder itself is not trusted: " << why;
    const std::string folder = trusted / "lib";
    const std::string library = folder + "/libcase.so";
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(PLUGIN_FULL, library);
    ASSERT_EQ(::chmod(library.c_str(), c.libraryMode), 0);
    if (c.libraryOwner || c.libraryGroup) {
        ASSERT_EQ(::chown(library.c_str(), c.libraryOwner, c.libraryGroup), 0);
    }
    ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
    if (c.aboveMode) {
        ASSERT_EQ(::chmod(trusted.path.c_str(), c.aboveMode), 0);
    }
    if (c.folderOwner) {
        ASSERT_EQ(::chown(folder.c_str(), c.folderOwner, 0), 0);
    }
    std::string listed = library;
    if (c.viaLink) {
        listed = trusted / "link.so";
        std::filesystem::create_symlink(library, listed);
    }
    WriteText(home / "Externals.dat", listed + "\n");
    CScript script(&stream, &stream);
    {
        CLibMgr manager(home.path);
        EXPECT_EQ(manager.LoadList(script.GetEngine()), 1);
        EXPECT_EQ(manager.Libraries().size(), c.refusal.empty() ? 1u : 0u);
        const std::string expected =
            c.refusal.empty()
                ? ""
                : "Error: Could not load DLL: " + listed +
                      " (See Externals.dat) - Error Code: 13 - refused: " + c.refusal + "\n";
        EXPECT_TRUE(GlobMatch(Messages(), expected)) << Messages();
        // Its code never ran: its functions are not there.
        EXPECT_EQ(script.GetEngine()->FunctionNames(",").Std().find("FullRegisterCount") !=
                      std::string::npos,
                  c.refusal.empty());
        manager.UnregisterAll(script.GetEngine());
        Factory_ClearData();
    }
    ::chmod(folder.c_str(), 0700); // so the folder can be removed
    ::chmod(trusted.path.c_str(), 0700);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LibMgrTrustTest,
    ::testing::Values(TrustCase{"Sound", 0755, 0, 0755, 0, 0, false, ""},
                      TrustCase{"SoundThroughALink", 0755, 0, 0644, 0, 0, true, ""},
                      TrustCase{"LibraryWritableByOthers", 0755, 0, 0646, 0, 0, false,
                                "*/lib/libcase.so is writable by others (mode 0646)"},
                      TrustCase{"LibraryWritableByAnotherGroup", 0755, 0, 0664, 0, 65534, false,
                                "*/libcase.so is writable by its group (mode 0664)"},
                      TrustCase{"LibraryOfAnotherUser", 0755, 0, 0755, 65534, 0, false,
                                "*/libcase.so is owned by uid 65534, neither you nor root"},
                      TrustCase{"FolderWritableByOthers", 0777, 0, 0755, 0, 0, false,
                                "*/lib is writable by others (mode 0777)"},
                      TrustCase{"StickyFolderWritableByOthers", 01777, 0, 0755, 0, 0, false,
                                "*/lib is writable by others (mode 1777)"},
                      TrustCase{"SoundFolderInsideAStickyOpenOne", 0755, 0, 0755, 0, 0, false,
                                "", 01777},
                      TrustCase{"SoundFolderInsideAnOpenOne", 0755, 0, 0755, 0, 0, false,
                                "*/wingmate-run-* is writable by others (mode 0777)", 0777},
                      TrustCase{"FolderOfAnotherUser", 0755, 65534, 0755, 0, 0, false,
                                "*/lib is owned by uid 65534, neither you nor root"},
                      TrustCase{"LinkToALibraryInAnOpenFolder", 0777, 0, 0755, 0, 0, true,
                                "*/lib is writable by others (mode 0777)"}),
    LabelName());

// A list someone else could change is not read at all.
TEST_F(LibMgrTest, ListOthersCouldChangeIsRefused) {
    for (const bool otherOwner : {false, true}) {
        if (otherOwner && ::geteuid() != 0)
            continue;
        std::filesystem::remove(home / "LibMgrMessages.log");
        WriteText(home / "Externals.dat", std::string(PLUGIN_FULL) + "\n");
        ::chmod((home / "Externals.dat").c_str(), otherOwner ? 0644 : 0666);
        if (otherOwner) {
            ASSERT_EQ(::chown((home / "Externals.dat").c_str(), 65534, 65534), 0);
        }
        CScript script(&stream, &stream);
        CLibMgr manager(home.path);
        EXPECT_EQ(manager.LoadList(script.GetEngine()), 0);
        EXPECT_TRUE(manager.Libraries().empty());
        EXPECT_TRUE(GlobMatch(Messages(), otherOwner ? "Warning: Externals.dat (external DLL list) "
                                                       "refused: *is owned by uid 65534*\n"
                                                     : "Warning: Externals.dat (external DLL list) "
                                                       "refused: *is writable by others*\n"))
            << Messages();
        std::filesystem::remove(home / "Externals.dat");
    }
}

// The message log keeps its newest whole lines, its mode, and stays bounded.
TEST_F(LibMgrTest, MessageLogIsKeptToItsBound) {
    std::string old;
    for (int line = 0; old.size() <= CLibMgr::kMessageLogLimit; ++line)
        old += "old message " + std::to_string(line) + "\n";
    WriteText(home / "LibMgrMessages.log", old);
    ::chmod((home / "LibMgrMessages.log").c_str(), 0640);
    WriteText(home / "Externals.dat", "/no/such/libnew.so\n");
    CScript script(&stream, &stream);
    CLibMgr manager(home.path);
    manager.LoadList(script.GetEngine());
    const std::string log = Messages();
    EXPECT_LE(log.size(), CLibMgr::kMessageLogLimit / 2 + 200);
    EXPECT_TRUE(GlobMatch(log, "===== Older messages removed =====\nold message *\n"
                               "Error: Could not load DLL: /no/such/libnew.so *\n"))
        << log.substr(0, 200);
    // The kept part is the end of the old log, from a line start.
    const std::string kept = log.substr(log.find('\n') + 1);
    const std::string keptOld = kept.substr(0, kept.find("Error:"));
    EXPECT_EQ(old.substr(old.size() - keptOld.size()), keptOld);
    EXPECT_EQ(old[old.size() - keptOld.size() - 1], '\n');
    struct stat info {};
    ::stat((home / "LibMgrMessages.log").c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
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
