// A save never loses the library: damaged files are kept aside, the backup
// only ever holds a file that loads, every failed write leaves both files
// whole, and mode and links survive.
#include "LibraryFolderTest.h"
#include "LibraryTestUtil.h"

#include "fakes/Fakes.h"
#include "fakes/ScopedTimeZone.h"
#include "fakes/TestFiles.h"
#include "fakes/TestSupport.h"
#include "library/AtomicFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool Loads(const fs::path& path) {
    CMacroLibrary probe;
    return probe.LoadFrom(path.string()) == 1;
}

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Files in the folder other than these names (left-over temporaries).
std::vector<std::string> Others(const fs::path& dir, std::initializer_list<std::string> known) {
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end())
            others.push_back(name);
    }
    return others;
}

class SaveSafety : public LibraryFolderTest {
protected:
    void SetUp() override {
        OpenFolder("wingmate-save-");
        lib.File().SetClock(&clock);
        lib.InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into);
        lib.InsertRecord(Record("edited"), 1, InsertPosition::Into);
    }
    void TearDown() override {
        SetAtomicWriteFaultForTesting({});
        LibraryFolderTest::TearDown();
    }

    CFakeClock clock{1720000000}; // 2024-07-03 09:46:40 UTC
};

const std::string kGoodOld = FileBytes({Entry("R", 1, 1, 2), Entry("old", 2, 1)});
const std::string kGoodBackup = FileBytes({Entry("R", 1, 1, 2), Entry("older", 2, 1)});

} // namespace

// The damaged-library sequence: a file cut short must not reach Macros.bak,
// and it is kept aside before the new library replaces it.
TEST_F(SaveSafety, DamagedFileIsKeptAsideAndNeverBecomesTheBackup) {
    ScopedTimeZone zone("Europe/Berlin"); // summer time: UTC+2
    const std::string damaged = kGoodOld.substr(0, kGoodOld.size() - 10);
    WriteFile(Library(), damaged);
    WriteFile(Backup(), kGoodBackup);
    ASSERT_EQ(lib.Load(), 0);

    SaveReport report;
    ASSERT_EQ(lib.Save(&report), 1) << report.error;
    const fs::path kept = dir / "Macros.mcf.damaged-20240703-114640";
    EXPECT_EQ(report.keptAside, kept.string());
    EXPECT_EQ(ReadFile(kept), damaged);
    EXPECT_EQ(ReadFile(Backup()), kGoodBackup) << "the backup is left alone";
    EXPECT_TRUE(Loads(Library()));

    // Damaged again within the same second: a second kept file, the first
    // one untouched.
    WriteFile(Library(), damaged + "x");
    ASSERT_EQ(lib.Save(&report), 1);
    EXPECT_EQ(report.keptAside, kept.string() + "-2");
    EXPECT_EQ(ReadFile(kept), damaged);
    EXPECT_EQ(ReadFile(kept.string() + "-2"), damaged + "x");
}

TEST_F(SaveSafety, BackupIsRefreshedFromAFileThatLoadsAndNothingIsKeptAside) {
    WriteFile(Library(), kGoodOld);
    SaveReport report;
    ASSERT_EQ(lib.Save(&report), 1);
    EXPECT_EQ(report.keptAside, "");
    EXPECT_EQ(report.backupError, "");
    EXPECT_EQ(ReadFile(Backup()), kGoodOld);
    EXPECT_EQ(Others(dir, {"Macros.mcf", "Macros.bak"}), std::vector<std::string>{});
}

TEST_F(SaveSafety, FirstStartHasNothingToKeepAside) {
    SaveReport report;
    ASSERT_EQ(lib.Save(&report), 1);
    EXPECT_EQ(report.keptAside, "");
    EXPECT_FALSE(fs::exists(Backup()));
    EXPECT_EQ(Others(dir, {"Macros.mcf"}), std::vector<std::string>{});
}

// Files that cannot be read fail the load cleanly (no crash, no bad_alloc)
// and are never written over.
struct Unreadable {
    const char* label;
    void (*make)(const fs::path& path);
    bool needsNonRoot;
};

class UnreadableFiles : public SaveSafety, public ::testing::WithParamInterface<Unreadable> {};

TEST_P(UnreadableFiles, FailToLoadOrRestoreAndAreNotReplaced) {
    if (GetParam().needsNonRoot && ::geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    GetParam().make(Library());
    GetParam().make(Backup());
    std::string error;
    EXPECT_EQ(lib.LoadFrom(Library().string(), &error), 0);
    EXPECT_NE(error.find(Library().string()), std::string::npos) << error;
    EXPECT_EQ(lib.Restore(), 0);
    EXPECT_EQ(Shape(lib.Root()), "My Macros(edited)");

    SaveReport report;
    EXPECT_EQ(lib.Save(&report), 0);
    EXPECT_NE(report.error.find(Library().string()), std::string::npos) << report.error;
    EXPECT_EQ(report.keptAside, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnreadableFiles,
    ::testing::Values(
        Unreadable{"Folder", [](const fs::path& p) { fs::create_directories(p / "inside"); },
                   false},
        Unreadable{"Fifo", [](const fs::path& p) { ::mkfifo(p.c_str(), 0644); }, false},
        Unreadable{"NoPermission",
                   [](const fs::path& p) {
                       WriteFile(p, kGoodOld);
                       fs::permissions(p, fs::perms::none);
                   },
                   true}),
    LabelName());

// The write fails at every stage: Macros.mcf and Macros.bak stay as they
// were (or, once the rename is done, the new library is whole), both load,
// the failure is reported and no temporary is left behind.
struct Fault {
    const char* label;
    AtomicWriteStage stage;
    int code;
    bool renamed; // the fault comes after the new file is in place
};

class SaveFaults : public SaveSafety, public ::testing::WithParamInterface<Fault> {};

TEST_P(SaveFaults, LeaveBothFilesWholeAndSayWhy) {
    WriteFile(Library(), kGoodOld);
    WriteFile(Backup(), kGoodBackup);
    // A library of several megabytes so the writes come in several chunks.
    CMacro big = Record("big");
    big.description.assign(3 << 20, 'd');
    lib.InsertRecord(big, 1, InsertPosition::Into);
    lib.InsertRecord(big, 1, InsertPosition::Into);
    const std::string library = Library().string();
    const Fault fault = GetParam();
    SetAtomicWriteFaultForTesting(
        [library, fault](const std::string& target, AtomicWriteStage stage, size_t written) {
            if (target != library || stage != fault.stage)
                return 0;
            // Disk full partway: after the first chunk went through.
            return stage == AtomicWriteStage::Write && written == 0 ? 0 : fault.code;
        });

    SaveReport report;
    EXPECT_EQ(lib.Save(&report), 0);
    EXPECT_NE(report.error.find(library), std::string::npos) << report.error;
    EXPECT_NE(report.error.find(std::strerror(fault.code)), std::string::npos) << report.error;
    EXPECT_EQ(ReadFile(Backup()), kGoodOld) << "refreshed from the old file, which loads";
    if (fault.renamed)
        EXPECT_EQ(ReadFile(Library()), lib.File().Encode(lib.Root()));
    else
        EXPECT_EQ(ReadFile(Library()), kGoodOld);
    EXPECT_TRUE(Loads(Library()));
    EXPECT_TRUE(Loads(Backup()));
    EXPECT_EQ(Others(dir, {"Macros.mcf", "Macros.bak"}), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Table, SaveFaults,
    ::testing::Values(Fault{"CreateRefused", AtomicWriteStage::CreateTemporary, EACCES, false},
                      Fault{"DiskFullPartway", AtomicWriteStage::Write, ENOSPC, false},
                      Fault{"SyncFails", AtomicWriteStage::Sync, EIO, false},
                      Fault{"RenameRefused", AtomicWriteStage::Rename, EPERM, false},
                      Fault{"FolderSyncFails", AtomicWriteStage::SyncFolder, EIO, true}),
    LabelName());

TEST_F(SaveSafety, KeepAsideThatFailsStopsTheSave) {
    const std::string damaged = kGoodOld.substr(0, 7);
    WriteFile(Library(), damaged);
    SetAtomicWriteFaultForTesting([](const std::string& target, AtomicWriteStage stage, size_t) {
        return target.find(".damaged-") != std::string::npos &&
                       stage == AtomicWriteStage::CreateTemporary
                   ? ENOSPC
                   : 0;
    });
    SaveReport report;
    EXPECT_EQ(lib.Save(&report), 0);
    EXPECT_NE(report.error.find("could not be kept aside"), std::string::npos) << report.error;
    EXPECT_EQ(ReadFile(Library()), damaged);
}

// Mode and link are kept: a private library stays private, a library linked
// into a synced folder stays a link and its target gets the new content.
TEST_F(SaveSafety, ModeIsKeptAndANewBackupTakesTheLibrarysMode) {
    WriteFile(Library(), kGoodOld);
    fs::permissions(Library(), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(lib.Save(), 1);
    EXPECT_EQ(ModeOf(Library()), 0600u);
    EXPECT_EQ(ModeOf(Backup()), 0600u);
}

struct LinkCase {
    const char* label;
    const char* link;  // what Macros.mcf points to, relative to the test folder
    const char* chain; // a second link on the way, or null
    bool targetExists;
};

class LinkedLibrary : public SaveSafety, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinkedLibrary, StaysALinkAndItsTargetIsWritten) {
    const LinkCase& c = GetParam();
    fs::create_directories(dir / "synced");
    const fs::path target = dir / "synced" / "Real.mcf";
    if (c.targetExists) {
        WriteFile(target, kGoodOld);
        fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    }
    if (c.chain)
        fs::create_symlink(c.chain, dir / "hop");
    fs::create_symlink(c.link, Library());

    ASSERT_EQ(lib.Save(), 1);
    EXPECT_TRUE(fs::is_symlink(Library()));
    EXPECT_EQ(ReadFile(target), lib.File().Encode(lib.Root()));
    if (c.targetExists) {
        EXPECT_EQ(ModeOf(target), 0600u);
        EXPECT_EQ(ReadFile(Backup()), kGoodOld);
    }
    EXPECT_EQ(Others(dir / "synced", {"Real.mcf"}), std::vector<std::string>{});
    EXPECT_EQ(lib.Load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Table, LinkedLibrary,
                         ::testing::Values(LinkCase{"Relative", "synced/Real.mcf", nullptr, true},
                                           LinkCase{"Chain", "hop", "synced/Real.mcf", true},
                                           LinkCase{"Dangling", "synced/Real.mcf", nullptr, false}),
                         LabelName());

TEST_F(SaveSafety, WriteToLeavesTheLibraryAndTheBackupAlone) {
    WriteFile(Library(), kGoodOld);
    const fs::path recovery = dir / "Macros.mcf.recovery";
    std::string error;
    ASSERT_EQ(lib.File().WriteTo(lib.Root(), recovery.string(), &error), 1) << error;
    EXPECT_EQ(ReadFile(Library()), kGoodOld);
    EXPECT_FALSE(fs::exists(Backup()));
    EXPECT_TRUE(Loads(recovery));
    EXPECT_EQ(lib.File().WriteTo(lib.Root(), (dir / "no" / "x").string(), &error), 0);
    EXPECT_NE(error.find("no/x"), std::string::npos) << error;
}

TEST(AtomicFile, NoReplaceRefusesAnExistingFile) {
    const fs::path path =
        fs::temp_directory_path() / ("wingmate-noreplace-" + std::to_string(::getpid()));
    WriteFile(path, "keep");
    AtomicWriteOptions options;
    options.noReplace = true;
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(path.string(), std::string_view("new"), &error, options));
    EXPECT_EQ(ReadFile(path), "keep");
    fs::remove(path);
    EXPECT_TRUE(WriteFileAtomically(path.string(), std::string_view("new"), &error, options));
    EXPECT_EQ(ReadFile(path), "new");
    fs::remove(path);
}

// A save killed mid-write leaves its temporary; the next start removes it and
// every other temporary of the library whose writer is gone, and nothing
// else: not a live writer's, not another file's, not a link, not another
// user's.
TEST_F(SaveSafety, StartRemovesOnlyTheTemporariesOfKilledSaves) {
    WriteFile(Library(), kGoodOld);
    const pid_t child = ::fork();
    if (child == 0) {
        SetAtomicWriteFaultForTesting([](const std::string&, AtomicWriteStage stage, size_t) {
            if (stage == AtomicWriteStage::Write)
                ::_exit(9); // killed while writing
            return 0;
        });
        lib.File().Save(lib.Root());
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 9);
    const std::vector<std::string> killed = Others(dir, {"Macros.mcf"});
    ASSERT_EQ(killed.size(), 1u);

    const std::string dead = std::to_string(child);
    const std::vector<std::string> stale = {".Macros.mcf.tmp-" + dead + "-3-77",
                                            ".Macros.mcf.recovery.tmp-" + dead + "-0-1"};
    std::vector<std::string> kept = {".Macros.mcf.tmp-" + std::to_string(::getpid()) + "-0-1",
                                     ".Macros.mcf.tmp-1-0-1",
                                     ".Macros.mcf.tmp-" + dead + "-0-1x",
                                     ".Macros.mcf.tmp-" + dead + "-0",
                                     ".Script.tsc.tmp-" + dead + "-0-1",
                                     "Macros.mcf.tmp-" + dead + "-0-1"};
    for (const std::string& name : stale)
        WriteFile(dir / name, "partial");
    for (const std::string& name : kept)
        WriteFile(dir / name, "keep");
    const std::string link = ".Macros.mcf.tmp-" + dead + "-0-2";
    fs::create_symlink("Macros.mcf", dir / link);
    kept.push_back(link);
    if (::geteuid() == 0) {
        const std::string foreign = ".Macros.bak.tmp-" + dead + "-0-3";
        WriteFile(dir / foreign, "theirs");
        ASSERT_EQ(::chown((dir / foreign).c_str(), 65534, 65534), 0);
        kept.push_back(foreign);
    }

    EXPECT_EQ(RemoveStaleLibraryTemporaries(dir.string()), 3);
    std::vector<std::string> left = Others(dir, {"Macros.mcf"});
    std::sort(left.begin(), left.end());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(left, kept);
    EXPECT_EQ(ReadFile(Library()), kGoodOld);
}
