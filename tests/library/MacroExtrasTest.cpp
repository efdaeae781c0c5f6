// The extras file beside the library: its text, and how it follows the
// library through save, backup, restore, damage and recovery.

#include "LibraryFolderTest.h"
#include "LibraryTestUtil.h"

#include "fakes/Fakes.h"
#include "library/MacroExtras.h"
#include "library/RecoveryFile.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

MacroExtras Full() {
    MacroExtras extras;
    extras.abbreviation = ";sig\"\\é";
    extras.expandImmediately = true;
    extras.matchCase = true;
    extras.replaceWithText = "Best regards,\n\t$|$ {clipboard} {date:%Y-%m-%d}";
    extras.filter = {"re:^(XTerm|Gedit)$", true, true};
    return extras;
}

// Files of extras as users and crashes leave them.
struct DecodeCase {
    const char* label;
    std::string text;
    size_t entries;     // entries read whole
    const char* damage; // part of the damage text; "" for none
};

class ExtrasFileText : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(ExtrasFileText, ReadsWholeEntriesAndSaysWhereItIsDamaged) {
    const DecodeCase& c = GetParam();
    const ExtrasFileRead read = DecodeExtrasFile(c.text);
    EXPECT_EQ(read.entries.size(), c.entries);
    if (*c.damage)
        EXPECT_NE(read.damage.find(c.damage), std::string::npos) << read.damage;
    else
        EXPECT_EQ(read.damage, "");
}

const std::string kHead = "wingmate-extras 1\n";
const std::string kOne = "macro 3\nabbreviation \"@@\"\nend\n";

INSTANTIATE_TEST_SUITE_P(
    Table, ExtrasFileText,
    ::testing::Values(
        DecodeCase{"Good", kHead + kOne + "# note\n\nmacro 4\n  match-case 1\nend\n", 2, ""},
        DecodeCase{"CrLf", "wingmate-extras 1\r\nmacro 3\r\nabbreviation \"x\"\r\nend\r\n", 1, ""},
        DecodeCase{"NotOurs", "hello\n" + kOne, 0, "line 1: this is not"},
        DecodeCase{"Empty", "", 0, "empty"},
        DecodeCase{"NewerFormat", "wingmate-extras 2\n" + kOne, 0, "format 2"},
        DecodeCase{"CutShort", kHead + kOne + "macro 4\nabbreviation \"ab", 1, "line 6"},
        DecodeCase{"NoEnd", kHead + kOne + "macro 4\nmatch-case 1\n", 1, "ends inside"},
        DecodeCase{"BadEntryBetweenGood",
                   kHead + kOne + "macro 4\nmatch-case yes\nend\nmacro 5\nend\n", 2, "line 6"},
        DecodeCase{"UnknownField", kHead + "macro 4\ncolour \"red\"\nend\n" + kOne, 1, "colour"},
        DecodeCase{"BadFilter", kHead + "macro 4\nwindow-filter name include \"x\"\nend\n", 0,
                   "class or title"},
        DecodeCase{"TwiceTheSameMacro", kHead + kOne + kOne, 1, "second entry"},
        DecodeCase{"BadId", kHead + "macro 4x\nend\n" + kOne, 1, "macro id"}),
    LabelName());

TEST(ExtrasFile, EveryFieldRoundTrips) {
    const std::map<int32_t, MacroExtras> entries = {{-7, Full()}, {12, MacroExtras{}}};
    const std::string text = EncodeExtrasFile(entries);
    const ExtrasFileRead read = DecodeExtrasFile(text);
    EXPECT_EQ(read.damage, "");
    ASSERT_EQ(read.entries.size(), 1u); // an entry without extras is not written
    EXPECT_EQ(read.entries.at(-7), Full());
}

TEST(ExtrasFile, ProblemsOfExtrasThatCannotWork) {
    const struct {
        std::string abbreviation, pattern;
        const char* problem;
    } cases[] = {
        {std::string(32, 'a'), "", ""},
        {std::string(33, 'a'), "", "longer than 32"},
        {"ééééééééééééééééééééééééééééééé", "*term*", ""}, // 31 characters, 62 bytes
        {"ab\xff", "", "UTF-8"},
        {"a\tb", "", "control"},
        {"x", "re:(unclosed", "not valid"},
        {"x", "(unclosed", ""}, // a wildcard pattern is never wrong
    };
    MacroExtras typed;
    typed.replaceWithText = "line\r\n\tnext";
    EXPECT_EQ(ExtrasProblem(typed), "");
    typed.replaceWithText = "bell\a";
    EXPECT_NE(ExtrasProblem(typed).find("control character"), std::string::npos);
    for (const auto& c : cases) {
        MacroExtras extras;
        extras.abbreviation = c.abbreviation;
        extras.filter.pattern = c.pattern;
        const std::string problem = ExtrasProblem(extras);
        if (*c.problem)
            EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
        else
            EXPECT_EQ(problem, "") << c.abbreviation;
    }
}

class ExtrasBesideLibrary : public LibraryFolderTest {
protected:
    void SetUp() override {
        OpenFolder("wingmate-extras-");
        lib.InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into);
        sig = lib.InsertRecord(Record("Signature"), 1, InsertPosition::Into);
        mail = lib.InsertRecord(Record("Mail"), 1, InsertPosition::Into);
    }
    fs::path Extras() const { return dir / "Macros.mcf.ext"; }
    void Give(int32_t id, const std::string& abbreviation) {
        MacroExtras extras;
        extras.abbreviation = abbreviation;
        ASSERT_EQ(lib.SetExtras(id, extras), 1);
    }
    std::string AbbreviationOf(const CMacroLibrary& library, int32_t id) const {
        const CMacroNode* node = library.FindById(id);
        return node ? node->extras.abbreviation : "<gone>";
    }

    int32_t sig = 0;
    int32_t mail = 0;
};

// The library file of a library with extras is byte for byte the file of
// the same library without them.
TEST_F(ExtrasBesideLibrary, LibraryFileBytesDoNotChange) {
    ASSERT_EQ(lib.Save(), 1);
    const std::string plain = ReadAll(Library());
    EXPECT_FALSE(fs::exists(Extras())); // no extras, no file
    MacroExtras extras = Full();
    ASSERT_EQ(lib.SetExtras(sig, extras), 1);
    ASSERT_EQ(lib.Save(), 1);
    EXPECT_EQ(ReadAll(Library()), plain);
    CMacroLibrary loaded;
    loaded.File().SetPaths(dir.string());
    ASSERT_EQ(loaded.Load(), 1);
    EXPECT_TRUE(loaded.ExtrasReport().Clean());
    EXPECT_EQ(loaded.FindById(sig)->extras, extras);
    EXPECT_TRUE(loaded.FindById(mail)->extras.Empty());
}

// A form that does not carry the extras cannot wipe them.
TEST_F(ExtrasBesideLibrary, UpdatingARecordKeepsItsExtras) {
    Give(sig, ";sig");
    CMacro edited = *lib.FindById(sig);
    edited.extras = MacroExtras{};
    edited.name = "Renamed";
    ASSERT_EQ(lib.UpdateRecord(edited), 1);
    EXPECT_EQ(AbbreviationOf(lib, sig), ";sig");
}

TEST_F(ExtrasBesideLibrary, EntryOfARemovedMacroIsDroppedAtLoad) {
    Give(sig, ";sig");
    Give(mail, "@@");
    ASSERT_EQ(lib.Save(), 1);
    const std::string extras = ReadAll(Extras());
    lib.RemoveNode(mail);
    ASSERT_EQ(lib.Save(), 1);
    WriteAll(Extras(), extras); // as an older program would have left it
    CMacroLibrary loaded;
    loaded.File().SetPaths(dir.string());
    ASSERT_EQ(loaded.Load(), 1);
    EXPECT_EQ(loaded.ExtrasReport().dropped, 1u);
    EXPECT_EQ(AbbreviationOf(loaded, sig), ";sig");
    EXPECT_EQ(AbbreviationOf(loaded, mail), "<gone>");
}

// The library still loads; what read whole is used; the next save keeps
// the damaged file aside before writing a new one.
TEST_F(ExtrasBesideLibrary, DamagedExtrasAreReportedAndKeptAside) {
    Give(sig, ";sig");
    ASSERT_EQ(lib.Save(), 1);
    const std::string damaged = ReadAll(Extras()) + "macro 99\nabbrev";
    WriteAll(Extras(), damaged);
    CMacroLibrary loaded;
    loaded.File().SetPaths(dir.string());
    ASSERT_EQ(loaded.Load(), 1);
    EXPECT_NE(loaded.ExtrasReport().damage, "");
    EXPECT_EQ(AbbreviationOf(loaded, sig), ";sig");
    SaveReport report;
    ASSERT_EQ(loaded.Save(&report), 1);
    ASSERT_NE(report.extrasKeptAside, "");
    EXPECT_EQ(ReadAll(report.extrasKeptAside), damaged);
    EXPECT_EQ(DecodeExtrasFile(ReadAll(Extras())).damage, "");
    EXPECT_FALSE(fs::exists(Backup().string() + ".ext")); // never a damaged one
}

// Extras left beside no library (the library was moved away) are not
// emptied by the first save: they are kept aside.
TEST_F(ExtrasBesideLibrary, ExtrasBesideNoLibraryAreKeptAside) {
    Give(sig, ";sig");
    ASSERT_EQ(lib.Save(), 1);
    const std::string extras = ReadAll(Extras());
    fs::remove(Library());
    lib.SetExtras(sig, MacroExtras{});
    SaveReport report;
    ASSERT_EQ(lib.Save(&report), 1);
    ASSERT_NE(report.extrasKeptAside, "");
    EXPECT_EQ(ReadAll(report.extrasKeptAside), extras);
}

// Extras that cannot be read at all are never written over: nothing is.
TEST_F(ExtrasBesideLibrary, UnreadableExtrasStopTheSave) {
    ASSERT_EQ(lib.Save(), 1);
    const std::string before = ReadAll(Library());
    fs::create_directory(Extras());
    lib.FindById(sig)->name = "Changed";
    SaveReport report;
    EXPECT_EQ(lib.Save(&report), 0);
    EXPECT_NE(report.error.find("not replaced"), std::string::npos) << report.error;
    EXPECT_EQ(ReadAll(Library()), before);
    CMacroLibrary loaded;
    loaded.File().SetPaths(dir.string());
    EXPECT_EQ(loaded.Load(), 1); // the library itself still loads
    EXPECT_NE(loaded.ExtrasReport().readError, "");
}

// The backup holds the extras of the library it holds, and a restore
// brings both back; extras removed since are emptied in the backup too.
TEST_F(ExtrasBesideLibrary, BackupAndRestoreCarryTheExtras) {
    Give(sig, ";one");
    ASSERT_EQ(lib.Save(), 1);
    Give(sig, ";two");
    ASSERT_EQ(lib.Save(), 1);
    ASSERT_EQ(lib.Restore(), 1);
    EXPECT_EQ(AbbreviationOf(lib, sig), ";one");
    lib.SetExtras(sig, MacroExtras{});
    ASSERT_EQ(lib.Save(), 1); // backup: ";two"
    ASSERT_EQ(lib.Save(), 1); // backup: none
    ASSERT_EQ(lib.Restore(), 1);
    EXPECT_EQ(AbbreviationOf(lib, sig), "");
}

// A library that does not load is kept aside with its extras, as a pair.
TEST_F(ExtrasBesideLibrary, DamagedLibraryIsKeptAsideWithItsExtras) {
    Give(sig, ";sig");
    ASSERT_EQ(lib.Save(), 1);
    const std::string extras = ReadAll(Extras());
    WriteAll(Library(), ReadAll(Library()).substr(0, 30));
    SaveReport report;
    ASSERT_EQ(lib.Save(&report), 1);
    ASSERT_NE(report.keptAside, "");
    EXPECT_EQ(ReadAll(report.keptAside + ".ext"), extras);
}

// An edit of the extras alone is an unsaved edit: it reaches the recovery
// file, and the recovery file loads with it.
TEST_F(ExtrasBesideLibrary, RecoveryCarriesAnExtrasOnlyEdit) {
    ASSERT_EQ(lib.Save(), 1);
    CFakeClock clock(1000);
    CRecoveryFile recovery(lib, clock);
    recovery.MarkSaved(false);
    Give(mail, "@@");
    EXPECT_TRUE(recovery.HasUnsavedEdits());
    recovery.Tick();
    clock.Advance(2);
    ASSERT_TRUE(recovery.Tick());
    CMacroLibrary recovered;
    ASSERT_EQ(recovered.LoadFrom(recovery.Path()), 1);
    EXPECT_EQ(AbbreviationOf(recovered, mail), "@@");
    std::string error;
    const std::string kept = recovery.KeepAside(&error);
    ASSERT_NE(kept, "") << error;
    EXPECT_TRUE(fs::exists(kept + ".ext"));
    EXPECT_FALSE(fs::exists(recovery.Path() + ".ext"));
}

} // namespace
