#include "library/RecoveryFile.h"

#include "LibraryTestUtil.h"
#include "fakes/Fakes.h"
#include "fakes/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class RecoveryFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("wingmate-recovery-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        library.File().SetPaths(dir.string());
        library.InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into);
        ASSERT_EQ(library.Save(), 1);
        recovery.MarkSaved(true);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string RecoveredShape() {
        CMacroLibrary read;
        return read.LoadFrom(recovery.Path()) ? Shape(read.Root()) : "(none)";
    }

    ScopedTimeZone zone{"UTC0"};
    fs::path dir;
    CMacroLibrary library;
    CFakeClock clock{1700000000};
    CRecoveryFile recovery{library, clock};
};

// Written a second after the first edit, even while edits go on; removed
// when the library is back to what was saved.
TEST_F(RecoveryFileTest, EditsReachTheFileWithinTwoSecondsAndAReturnToTheSavedStateRemovesIt) {
    const int32_t id = library.InsertRecord(Record("Backup"), 1, InsertPosition::Into);
    ASSERT_TRUE(recovery.Tick());
    EXPECT_FALSE(fs::exists(recovery.Path()));
    clock.Advance(1);
    library.InsertRecord(Record("Tidy"), 1, InsertPosition::Into);
    ASSERT_TRUE(recovery.Tick());
    EXPECT_EQ(RecoveredShape(), "My Macros(Backup,Tidy)");
    EXPECT_TRUE(recovery.LeftByUncleanEnd());

    library.RemoveNode(id);
    library.RemoveNode(id + 1);
    clock.Advance(1);
    recovery.Tick();
    clock.Advance(1);
    ASSERT_TRUE(recovery.Tick());
    EXPECT_FALSE(fs::exists(recovery.Path()));
}

TEST_F(RecoveryFileTest, ASaveDeletesItAndAnOlderFileIsNotAnUncleanEnd) {
    library.InsertRecord(Record("Backup"), 1, InsertPosition::Into);
    recovery.Tick();
    clock.Advance(1);
    recovery.Tick();
    ASSERT_TRUE(fs::exists(recovery.Path()));
    // A library saved after the recovery file was written is the newer one.
    ASSERT_EQ(library.Save(), 1);
    fs::last_write_time(recovery.Path(),
                        fs::last_write_time(library.File().libraryPath) - std::chrono::seconds(5));
    EXPECT_FALSE(recovery.LeftByUncleanEnd());
    recovery.MarkSaved(true);
    EXPECT_FALSE(fs::exists(recovery.Path()));
    EXPECT_FALSE(recovery.LeftByUncleanEnd());
}

TEST_F(RecoveryFileTest, KeptAsideUnderADatedNameThatIsNeverReused) {
    std::string error;
    for (const char* expected : {".recovery-20231114-221320", ".recovery-20231114-221320-2"}) {
        std::ofstream(recovery.Path()) << "changes";
        EXPECT_EQ(recovery.KeepAside(&error), library.File().libraryPath + expected) << error;
    }
    EXPECT_FALSE(fs::exists(recovery.Path()));
    EXPECT_EQ(recovery.KeepAside(&error), "");
    EXPECT_FALSE(error.empty());
}

} // namespace
