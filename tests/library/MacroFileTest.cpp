#include "LibraryFolderTest.h"
#include "LibraryTestUtil.h"

#include "fakes/TestFiles.h"
#include "fakes/TestSupport.h"
#include "library/AtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class MacroFileTest : public LibraryFolderTest {
protected:
    void SetUp() override {
        OpenFolder("wingmate-file-");
        lib.InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into);
    }
};

} // namespace

TEST(MacroFilePaths, FollowTheProgramFolder) {
    CMacroFile file;
    EXPECT_EQ(file.formatValue, 8192);
    file.SetPaths("/home/u/.local/share/Wingmate");
    EXPECT_EQ(file.libraryPath, "/home/u/.local/share/Wingmate/Macros.mcf");
    EXPECT_EQ(file.backupPath, "/home/u/.local/share/Wingmate/Macros.bak");
    file.SetPaths("");
    EXPECT_EQ(file.libraryPath, "Macros.mcf");
    EXPECT_EQ(file.backupPath, "Macros.bak");
}

TEST_F(MacroFileTest, EncodesRecordsInPreOrderExactlyAsLaidOut) {
    const int32_t set = lib.InsertRecord(Record("S", 2), 1, InsertPosition::Into);
    lib.InsertRecord(Record("m1"), set, InsertPosition::Into);
    lib.InsertRecord(Record("m2"), 1, InsertPosition::Into);
    const std::string expected = FileBytes(
        {Entry("My Macros", 1, 1, 2), Entry("S", 2, 1, 2), Entry("m1", 3, 2), Entry("m2", 4, 1)});
    EXPECT_EQ(lib.File().Encode(lib.Root()), expected);
}

TEST_F(MacroFileTest, SaveAndLoadRoundTripEveryStoredField) {
    CMacro full = Record("full");
    full.triggerPrefix = 2;
    full.frequency = 7;
    full.triggerKey = "<CTRL><F5>";
    full.startDate = "3\\7\\2009";
    full.startTime = "8:0:0";
    full.unit = 3;
    full.scheduleType = 2;
    full.runAsScript = 0;
    full.executable = "/usr/bin/env";
    full.extra = std::string("e\0x\xff", 4);
    full.description = "line1\r\nline2";
    full.scriptFile = "a b c";
    full.lastRunText = "Monday, March 09, 2009; at 08:00:00";
    full.lastRunTime = 1234567;
    const int32_t id = lib.InsertRecord(full, 1, InsertPosition::Into);
    ASSERT_EQ(lib.Save(), 1);

    CMacroLibrary loaded;
    loaded.File().SetPaths(dir.string());
    ASSERT_EQ(loaded.Load(), 1);
    const CMacroNode* node = loaded.FindById(id);
    ASSERT_NE(node, nullptr);
    CMacro expected = full;
    expected.id = id;
    expected.parentId = 1;
    expected.lastRunTime = 0; // not stored
    for (auto [a, b] : {std::pair{&node->triggerKey, &expected.triggerKey},
                        {&node->startDate, &expected.startDate},
                        {&node->startTime, &expected.startTime},
                        {&node->executable, &expected.executable},
                        {&node->extra, &expected.extra},
                        {&node->description, &expected.description},
                        {&node->scriptFile, &expected.scriptFile},
                        {&node->name, &expected.name},
                        {&node->lastRunText, &expected.lastRunText}})
        EXPECT_EQ(*a, *b);
    EXPECT_EQ(node->triggerPrefix, 2);
    EXPECT_EQ(node->frequency, 7);
    EXPECT_EQ(node->unit, 3);
    EXPECT_EQ(node->scheduleType, 2);
    EXPECT_EQ(node->runAsScript, 0);
    EXPECT_EQ(node->lastRunTime, 0);
    EXPECT_EQ(node->eligible, 1);
    EXPECT_EQ(loaded.AllocateId(), id + 2) << "the counter stands one past the largest id";
}

TEST_F(MacroFileTest, ZeroLengthTextsRoundTripAsEmpty) {
    WriteFile(Library(), FileBytes({Entry("", 1, 1, 2), Entry("", 2, 1)}));
    ASSERT_EQ(lib.Load(), 1);
    EXPECT_EQ(lib.FindById(2)->name, "");
    ASSERT_EQ(lib.Save(), 1);
    EXPECT_EQ(ReadFile(Library()), FileBytes({Entry("", 1, 1, 2), Entry("", 2, 1)}));
}

TEST_F(MacroFileTest, SavingTwiceLeavesThePreviousFileAsBackup) {
    ASSERT_EQ(lib.Save(), 1);
    EXPECT_FALSE(fs::exists(Backup())) << "first save has nothing to back up";
    const std::string first = ReadFile(Library());
    lib.InsertRecord(Record("new"), 1, InsertPosition::Into);
    ASSERT_EQ(lib.Save(), 1);
    EXPECT_EQ(ReadFile(Backup()), first);
    EXPECT_NE(ReadFile(Library()), first);
    EXPECT_FALSE(fs::exists(dir / "Macros.mcf.new"));
}

TEST_F(MacroFileTest, ForeignHeaderLoadsAndIsWrittenBack) {
    WriteFile(Library(), FileBytes({Entry("R", 5, 5, 2)}, 0x1234));
    ASSERT_EQ(lib.Load(), 1);
    EXPECT_EQ(lib.File().formatValue, 0x1234);
    ASSERT_EQ(lib.Save(), 1);
    EXPECT_EQ(ReadFile(Library()).substr(0, 4), std::string("\x34\x12\0\0", 4));
}

TEST_F(MacroFileTest, RecordMarkerIsNotChecked) {
    std::string bytes = FileBytes({Entry("R", 1, 1, 2), Entry("x", 2, 1)});
    bytes[4] = 'W'; // first record's marker
    WriteFile(Library(), bytes);
    EXPECT_EQ(lib.Load(), 1);
}

TEST_F(MacroFileTest, SecondRootStartsOverAndDropsEarlierEntries) {
    WriteFile(Library(), FileBytes({Entry("R", 1, 1, 2), Entry("x", 2, 1), Entry("R2", 3, 3, 2),
                                    Entry("y", 4, 3)}));
    ASSERT_EQ(lib.Load(), 1);
    EXPECT_EQ(Shape(lib.Root()), "R2(y)");
    EXPECT_EQ(lib.FindById(2), nullptr);
    EXPECT_EQ(lib.AllocateId(), 6);
}

TEST_F(MacroFileTest, SiblingOrderIsKeptAndIdsAreKept) {
    WriteFile(Library(), FileBytes({Entry("R", 10, 10, 2), Entry("S", 30, 10, 2),
                                    Entry("b", 20, 10), Entry("s1", 40, 30)}));
    ASSERT_EQ(lib.Load(), 1);
    EXPECT_EQ(Shape(lib.Root()), "R(S(s1),b)");
    EXPECT_TRUE(LinksConsistent(lib.Root()));
    EXPECT_EQ(lib.AllocateId(), 42);
}

TEST_F(MacroFileTest, DuplicateIdsResolveToTheFirstEntryInTreeOrder) {
    // Two entries with id 5: "late" is read first but "early" comes first in
    // pre-order (it sits under the first set). The child of 5 goes under it.
    WriteFile(Library(),
              FileBytes({Entry("R", 1, 1, 2), Entry("A", 2, 1, 2), Entry("late", 5, 1, 2),
                         Entry("early", 5, 2, 2), Entry("kid", 6, 5)}));
    ASSERT_EQ(lib.Load(), 1);
    EXPECT_EQ(Shape(lib.Root()), "R(A(early(kid)),late)");
}

struct BadFile {
    const char* label;
    std::string bytes;
};

class LoadFailures : public MacroFileTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(LoadFailures, LeaveTheLibraryAsItWas) {
    const int32_t keep = lib.InsertRecord(Record("keep"), 1, InsertPosition::Into);
    const int32_t nextBefore = lib.NextId();
    WriteFile(Library(), GetParam().bytes);
    EXPECT_EQ(lib.Load(), 0);
    EXPECT_EQ(Shape(lib.Root()), "My Macros(keep)");
    EXPECT_EQ(lib.FindById(keep)->name, "keep");
    EXPECT_EQ(lib.NextId(), nextBefore);
    EXPECT_EQ(lib.File().formatValue, 8192);
}

namespace {
std::string Truncated(size_t cut) {
    std::string bytes = FileBytes({Entry("R", 1, 1, 2), Entry("child", 2, 1)});
    return bytes.substr(0, bytes.size() - cut);
}
std::string WithNameLength(int32_t length) {
    std::string bytes = FileBytes({Entry("R", 1, 1, 2), Entry("child", 2, 1)});
    // Second record's name length sits after header, first record, and 9 ints.
    const size_t firstRecord = 9 * 4 + 4 + 1 + 8 * 4;
    const size_t offset = 4 + firstRecord + 9 * 4;
    std::string length32;
    PutInt32(length32, length);
    bytes.replace(offset, 4, length32);
    return bytes;
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Table, LoadFailures,
    ::testing::Values(
        BadFile{"Empty", ""}, BadFile{"HeaderOnly", FileBytes({})},
        BadFile{"ShortHeader", std::string("\0\x20", 2)},
        BadFile{"ChildBeforeParent", FileBytes({Entry("x", 2, 1), Entry("R", 1, 1, 2)})},
        BadFile{"UnknownParent", FileBytes({Entry("R", 1, 1, 2), Entry("x", 2, 9)})},
        BadFile{"EndsInsideMarker", FileBytes({Entry("R", 1, 1, 2)}) + std::string("\0\x20", 2)},
        BadFile{"EndsInsideText", Truncated(3)}, BadFile{"EndsInsideLength", Truncated(2)},
        BadFile{"NegativeLength", WithNameLength(-1)},
        BadFile{"LengthPastEnd", WithNameLength(1000)},
        BadFile{"HugeLength", WithNameLength(0x7fffffff)}),
    LabelName());

TEST_F(MacroFileTest, MissingFileFailsAndFirstSaveCreatesIt) {
    EXPECT_EQ(lib.Load(), 0);
    EXPECT_EQ(lib.Root()->name, "My Macros");
    ASSERT_EQ(lib.Save(), 1);
    EXPECT_TRUE(fs::exists(Library()));
    EXPECT_FALSE(fs::exists(Backup()));
}

TEST_F(MacroFileTest, RestoreReadsTheBackup) {
    ASSERT_EQ(lib.Save(), 1);
    lib.InsertRecord(Record("later"), 1, InsertPosition::Into);
    ASSERT_EQ(lib.Save(), 1);
    ASSERT_EQ(lib.Restore(), 1);
    EXPECT_EQ(Shape(lib.Root()), "My Macros");
}

TEST_F(MacroFileTest, FailedSaveKeepsTheOldFileAndTheBackup) {
    ASSERT_EQ(lib.Save(), 1);
    const std::string saved = ReadFile(Library());
    // The temporary file cannot be created.
    const std::string library = Library().string();
    SetAtomicWriteFaultForTesting(
        [library](const std::string& target, AtomicWriteStage stage, size_t) {
            return target == library && stage == AtomicWriteStage::CreateTemporary ? EACCES : 0;
        });
    lib.InsertRecord(Record("unsaved"), 1, InsertPosition::Into);
    EXPECT_EQ(lib.Save(), 0);
    SetAtomicWriteFaultForTesting({});
    EXPECT_EQ(ReadFile(Library()), saved);
    EXPECT_EQ(ReadFile(Backup()), saved);
}

TEST_F(MacroFileTest, SaveIntoMissingFolderFails) {
    lib.File().SetPaths((dir / "no" / "such").string());
    EXPECT_EQ(lib.Save(), 0);
}
