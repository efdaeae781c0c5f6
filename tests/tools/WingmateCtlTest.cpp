#include "Commands.h"
#include "program/LibraryReport.h"
#include "library/MacroLibrary.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
struct CtlRun {
    int status;
    std::string out;
    std::string err;
};

CtlRun RunCtl(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunWingmateCtl(args, CtlStreams{out, err});
    return {status, out.str(), err.str()};
}

class WingmateCtl : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("wingmatectl-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        CMacroLibrary lib;
        lib.File().SetPaths(dir.string());
        lib.InsertRecord(MakeRecord("My Macros", 2), -1, InsertPosition::Into);
        const int32_t set = lib.InsertRecord(MakeRecord("Daily", 2), 1, InsertPosition::Into);
        CMacro backup = MakeRecord("Back \"up\"");
        backup.scheduleType = 2;
        backup.unit = 3;
        backup.frequency = 2;
        backup.startDate = "1\\1\\2010";
        backup.startTime = "8:0:0";
        backup.triggerKey = "<CTRL><F5>";
        backup.description = std::string("bad \xff byte\n");
        lib.InsertRecord(backup, set, InsertPosition::Into);
        lib.InsertRecord(MakeRecord("Solo"), 1, InsertPosition::Into);
        ASSERT_EQ(lib.Save(), 1);
        file = (dir / "Macros.mcf").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    static CMacro MakeRecord(const std::string& name, int32_t kind = 1) {
        CMacro macro;
        macro.name = name;
        macro.kind = kind;
        return macro;
    }

    fs::path dir;
    std::string file;
};
} // namespace

TEST_F(WingmateCtl, ListPrintsAnIndentedTree) {
    const CtlRun run = RunCtl({"list", "--file", file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "My Macros  [set]\n"
                       "  Daily  [set]\n"
                       "    Back \"up\"  [macro]  Every 2 Day(s) from 1\\1\\2010 8:0:0  "
                       "trigger <CTRL><F5>\n"
                       "  Solo  [macro]\n");
}

TEST_F(WingmateCtl, ListJsonHasEveryKeyInFileOrder) {
    const CtlRun run = RunCtl({"list", "--json", "--file", file});
    ASSERT_EQ(run.status, 0);
    const std::string& out = run.out;
    EXPECT_EQ(out.front(), '[');
    const size_t root = out.find("\"name\": \"My Macros\"");
    const size_t daily = out.find("\"name\": \"Daily\"");
    const size_t backup = out.find("\"name\": \"Back \\\"up\\\"\"");
    const size_t solo = out.find("\"name\": \"Solo\"");
    ASSERT_NE(backup, std::string::npos);
    EXPECT_LT(root, daily);
    EXPECT_LT(daily, backup);
    EXPECT_LT(backup, solo);
    EXPECT_NE(out.find("\"description\": \"bad \\u00ff byte\\n\""), std::string::npos);
    EXPECT_NE(out.find("\"startDate\": \"1\\\\1\\\\2010\""), std::string::npos);
    for (const char* key :
         {"id", "parentId", "kind", "name", "scriptFile", "executable", "triggerKey",
          "triggerPrefix", "extra", "description", "startDate", "startTime", "unit", "frequency",
          "scheduleType", "runAsScript", "lastRunText", "depth"})
        EXPECT_NE(out.find(std::string("\"") + key + "\": "), std::string::npos) << key;
    EXPECT_NE(out.find("\"depth\": 2}"), std::string::npos);
}

// `run --complete` lists the home library's macro names for the shells'
// completions; without a library it says why and fails.
TEST_F(WingmateCtl, RunCompletesMacroNamesOfTheHomeLibrary) {
    const char* saved = std::getenv("WINGMATE_HOME");
    const std::string savedHome = saved ? saved : "";
    const struct {
        std::string home, prefix;
        int status;
        std::string out, err;
    } cases[] = {
        {dir.string(), "", 0, "Back \"up\"\nSolo\n", ""},
        {dir.string(), "S", 0, "Solo\n", ""},
        {dir.string(), "x", 0, "", ""},
        {(dir / "none").string(), "S", 1, "", "none/Macros.mcf"},
    };
    for (const auto& c : cases) {
        ::setenv("WINGMATE_HOME", c.home.c_str(), 1);
        const CtlRun run = RunCtl({"run", "--complete", c.prefix});
        EXPECT_EQ(run.status, c.status) << c.prefix << run.err;
        EXPECT_EQ(run.out, c.out) << c.prefix;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
    if (saved)
        ::setenv("WINGMATE_HOME", savedHome.c_str(), 1);
    else
        ::unsetenv("WINGMATE_HOME");
}

TEST_F(WingmateCtl, FailedLoadAndBadUsage) {
    const CtlRun missing = RunCtl({"list", "--file", (dir / "nope.mcf").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Could not load Macro File\n");
    EXPECT_EQ(RunCtl({"list", "--bogus"}).status, 2);
    EXPECT_EQ(RunCtl({"list", "--file"}).status, 2);
    EXPECT_EQ(RunCtl({"frobnicate"}).status, 2);
    EXPECT_EQ(RunCtl({}).status, 2);
}

struct JsonCase {
    const char* label;
    std::string text;
    const char* expected;
};

class JsonStrings : public ::testing::TestWithParam<JsonCase> {};

TEST_P(JsonStrings, EscapeControlsAndInvalidUtf8) {
    EXPECT_EQ(JsonString(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, JsonStrings,
    ::testing::Values(JsonCase{"Plain", "abc", "\"abc\""},
                      JsonCase{"Quotes", "a\"b\\c", "\"a\\\"b\\\\c\""},
                      JsonCase{"Controls", std::string("\t\x01\0", 3), "\"\\t\\u0001\\u0000\""},
                      JsonCase{"ValidUtf8", "\xc3\xa9\xe2\x82\xac", "\"\xc3\xa9\xe2\x82\xac\""},
                      JsonCase{"LoneContinuation", "\x80", "\"\\u0080\""},
                      JsonCase{"TruncatedSequence", "\xe2\x82", "\"\\u00e2\\u0082\""},
                      JsonCase{"Overlong", "\xc0\xaf", "\"\\u00c0\\u00af\""},
                      JsonCase{"Surrogate", "\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""}),
    LabelName());

// salvage: what is read up to the first damaged record, as a library that
// loads; FILE itself is never changed.
namespace {
std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void Put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
} // namespace

struct SalvageCase {
    const char* label;
    size_t cut; // bytes cut off the end of the saved library
    int status;
    const char* shape; // names in pre-order of the salvaged library
};

class Salvage : public WingmateCtl, public ::testing::WithParamInterface<SalvageCase> {};

TEST_P(Salvage, KeepsTheRecordsBeforeTheDamage) {
    const SalvageCase& c = GetParam();
    const std::string whole = Bytes(file);
    const fs::path damaged = dir / "damaged.mcf";
    // A cut past the whole file keeps only 20 bytes: no record is whole.
    Put(damaged, whole.substr(0, c.cut >= whole.size() ? 20 : whole.size() - c.cut));
    const std::string before = Bytes(damaged);
    const fs::path out = dir / "out.mcf";
    const CtlRun run = RunCtl({"salvage", damaged.string(), out.string()});
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(Bytes(damaged), before) << "FILE is never changed";
    if (c.status != 0) {
        EXPECT_FALSE(fs::exists(out));
        EXPECT_NE(run.err.find("nothing could be read"), std::string::npos) << run.err;
        return;
    }
    CMacroLibrary salvaged;
    ASSERT_EQ(salvaged.LoadFrom(out.string()), 1);
    std::string names;
    CMacroLibrary::ForEachPreOrder(salvaged.Root(), [&](CMacroNode& node) {
        names += node.name + ";";
        return true;
    });
    EXPECT_EQ(names, c.shape);
    EXPECT_NE(run.out.find("left unread"), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Salvage,
    ::testing::Values(SalvageCase{"Whole", 0, 0, "My Macros;Daily;Back \"up\";Solo;"},
                      SalvageCase{"LastRecordCut", 10, 0, "My Macros;Daily;Back \"up\";"},
                      SalvageCase{"OnlyTheRootLeft", 200, 0, "My Macros;"},
                      SalvageCase{"NoRoot", 10000, 1, ""}),
    LabelName());

TEST_F(WingmateCtl, SalvageCountsAndDropsOrphans) {
    // A record whose parent was never read is left out, with its child.
    CMacroLibrary lib;
    lib.InsertRecord(MakeRecord("R", 2), -1, InsertPosition::Into);
    lib.InsertRecord(MakeRecord("kept"), 1, InsertPosition::Into);
    std::string bytes = lib.File().Encode(lib.Root());
    CMacroLibrary orphans;
    CMacro lost = MakeRecord("lost", 2);
    lost.id = 50;
    orphans.InsertRecord(lost, -1, InsertPosition::Into);
    orphans.InsertRecord(MakeRecord("under lost"), 50, InsertPosition::Into);
    std::string orphanBytes = orphans.File().Encode(orphans.Root()).substr(4);
    // Make "lost" a child of a missing 99 instead of a root.
    orphanBytes[8] = 99;
    const fs::path damaged = dir / "orphans.mcf";
    Put(damaged, bytes + orphanBytes + "xyz");
    const CtlRun run = RunCtl({"salvage", damaged.string(), (dir / "o.mcf").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Kept 2 of 4 records read; 3 of"), std::string::npos) << run.out;
}

TEST_F(WingmateCtl, SalvageRefusesOutIsFileAndBadUsage) {
    const std::string before = Bytes(file);
    fs::create_hard_link(file, dir / "hard.mcf");
    fs::create_symlink(file, dir / "soft.mcf");
    for (const std::string& out : {file, (dir / "hard.mcf").string(), (dir / "soft.mcf").string()})
        EXPECT_EQ(RunCtl({"salvage", file, out}).status, 2) << out;
    EXPECT_EQ(Bytes(file), before);
    EXPECT_EQ(RunCtl({"salvage", file}).status, 2);
    EXPECT_EQ(RunCtl({"salvage"}).status, 2);
    const CtlRun folder = RunCtl({"salvage", dir.string(), (dir / "o.mcf").string()});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("folder"), std::string::npos) << folder.err;
    EXPECT_NE(RunCtl({"--help"}).out.find("salvage FILE OUT"), std::string::npos);
}

// The abbreviations and filters: listed as JSON, said when their file is
// damaged, and carried by a salvage to OUT.ext for the macros it keeps.
TEST_F(WingmateCtl, ExtrasAreListedAndSalvaged) {
    // Ids: My Macros 1, Daily 2, Back "up" 3, Solo 4.
    Put(file + ".ext",
        "wingmate-extras 1\n"
        "macro 3\nabbreviation \";bk\"\nwindow-filter title exclude \"re:^vi\"\nend\n"
        "macro 4\nabbreviation \"solo\"\nmatch-case 1\nend\n"
        "macro 77\nabbreviation \"gone\"\nend\n"
        "macro 4\nbroken");
    const CtlRun list = RunCtl({"list", "--json", "--file", file});
    ASSERT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("\"abbreviation\": \";bk\", \"expandImmediately\": false, "
                            "\"matchCase\": false, \"replaceWithText\": \"\", \"windowFilter\": "
                            "{\"pattern\": \"re:^vi\", \"field\": \"title\", \"mode\": "
                            "\"exclude\"}"),
              std::string::npos)
        << list.out;
    EXPECT_NE(list.err.find("Macros.mcf.ext is damaged (line 14"), std::string::npos) << list.err;

    const std::string whole = Bytes(file);
    const fs::path damaged = dir / "damaged.mcf";
    Put(damaged, whole.substr(0, whole.size() - 10)); // Solo is cut
    Put(damaged.string() + ".ext", Bytes(file + ".ext"));
    const fs::path out = dir / "out.mcf";
    const CtlRun run = RunCtl({"salvage", damaged.string(), out.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    CMacroLibrary salvaged;
    ASSERT_EQ(salvaged.LoadFrom(out.string()), 1);
    EXPECT_TRUE(salvaged.ExtrasReport().Clean());
    EXPECT_EQ(salvaged.ExtrasReport().dropped, 0u);
    ASSERT_NE(salvaged.FindById(3), nullptr);
    EXPECT_EQ(salvaged.FindById(3)->extras.abbreviation, ";bk");
    EXPECT_EQ(salvaged.FindById(4), nullptr);
}
