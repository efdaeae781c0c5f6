#include "app/AppSettings.h"
#include "app/IniSettingsStore.h"
#include "fakes/Fakes.h"
#include "library/AtomicFile.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

struct Set1Case {
    const char* label;
    const char* set1;
    int triggers, scheduler, spare, hide;
};

class Set1Unpacking : public ::testing::TestWithParam<Set1Case> {};

TEST_P(Set1Unpacking, GivesTheFlagsAndWritesTheSameValueBack) {
    const Set1Case& c = GetParam();
    CMemorySettingsStore store;
    store.exists = true;
    store.values["Set1"] = c.set1;
    CAppSettings settings;
    ASSERT_EQ(settings.ReadSettings(store), 1);
    EXPECT_EQ(settings.enableTriggers, c.triggers);
    EXPECT_EQ(settings.enableScheduler, c.scheduler);
    EXPECT_EQ(settings.spareFlag, c.spare);
    EXPECT_EQ(settings.hideAtStartup, c.hide);
    ASSERT_EQ(settings.WriteSettings(store), 1);
    EXPECT_EQ(store.values["Set1"], c.set1);
}

INSTANTIATE_TEST_SUITE_P(Table, Set1Unpacking,
                         ::testing::Values(Set1Case{"Five", "5", 1, 0, 1, 0},
                                           Set1Case{"Eight", "8", 0, 0, 0, 1},
                                           Set1Case{"Seven", "7", 1, 1, 1, 0},
                                           Set1Case{"Fifteen", "15", 1, 1, 1, 1},
                                           Set1Case{"Zero", "0", 0, 0, 0, 0}),
                         LabelName());

TEST(AppSettings, DefaultsWhenNoStore) {
    CMemorySettingsStore store;
    CAppSettings settings;
    EXPECT_EQ(settings.ReadSettings(store), 0);
    EXPECT_EQ(settings.set1, 7);
    EXPECT_EQ(settings.defaultDelay, 200u);
    EXPECT_EQ(settings.autoClearLines, 1000u);
    EXPECT_EQ(settings.enableTriggers, 1);
    EXPECT_EQ(settings.enableScheduler, 1);
    EXPECT_EQ(settings.hideAtStartup, 0);
    settings.autoClearLines = 5;
    EXPECT_EQ(settings.WriteSettings(store), 0);
    EXPECT_FALSE(store.exists) << "saving never creates the store";
    EXPECT_TRUE(store.writes.empty());
}

TEST(AppSettings, MissingOrUnreadableValuesKeepTheirFields) {
    CMemorySettingsStore store;
    store.exists = true;
    store.values["DefDel"] = "fast";
    store.values["AutoClear"] = "-4";
    store.values["RecWait"] = "600001"; // longer than a script may be told to wait
    store.values["AppDir"] = std::string(1024, 'x'); // does not fit the buffer
    CAppSettings settings;
    settings.appDir = "/opt/wingmate";
    ASSERT_EQ(settings.ReadSettings(store), 1);
    EXPECT_EQ(settings.defaultDelay, 200u);
    EXPECT_EQ(settings.autoClearLines, 1000u);
    EXPECT_EQ(settings.recordWindowWaitMs, 5000);
    EXPECT_EQ(settings.appDir, "/opt/wingmate");
    EXPECT_EQ(settings.set1, 7);
}

TEST(AppSettings, WritesTheValuesInOrder) {
    CMemorySettingsStore store;
    store.exists = true;
    CAppSettings settings;
    settings.appDir = "/a";
    settings.enableScheduler = 0;
    settings.hideAtStartup = 1;
    settings.defaultDelay = 600000;
    settings.autoClearLines = 0;
    settings.runMissed = 1;
    settings.recordWindowWaitMs = 30000;
    ASSERT_EQ(settings.WriteSettings(store), 1);
    ASSERT_EQ(store.writes.size(), 1u);
    const SettingsList expected{{"AppDir", "/a"},
                                {"Set1", "13"},
                                {"DefDel", "600000"},
                                {"AutoClear", "0"},
                                {"RunMissed", "1"},
                                {"RecWait", "30000"}};
    EXPECT_EQ(store.writes[0], expected);
    EXPECT_EQ(settings.set1, 13);
    // Read back: the flag has a value of its own, Set1 keeps its bits.
    store.values = {expected.begin(), expected.end()};
    CAppSettings read;
    ASSERT_EQ(read.ReadSettings(store), 1);
    EXPECT_EQ(read.runMissed, 1);
    EXPECT_EQ(read.recordWindowWaitMs, 30000);
    EXPECT_EQ(read.set1, 13);
}

class IniStore : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("wingmate-ini-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        path = (dir / "Tessera" / "Wingmate.conf").string();
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
    std::string path;
};

TEST_F(IniStore, WriteNeedsAnExistingFileAndCreateMakesFolders) {
    CIniSettingsStore store(path);
    SettingsMap values;
    EXPECT_FALSE(store.Read(values));
    EXPECT_FALSE(store.WriteExisting({{"Set1", "5"}}));
    EXPECT_FALSE(store.Exists());
    CAppSettings defaults;
    ASSERT_TRUE(store.Create(defaults.Values()));
    ASSERT_TRUE(store.Read(values));
    EXPECT_EQ(values["Set1"], "7");
    EXPECT_EQ(values["DefDel"], "200");
    EXPECT_EQ(values["AutoClear"], "1000");
    EXPECT_EQ(values["AppDir"], "");
}

TEST_F(IniStore, RoundTripsAnyTextAndKeepsOtherLines) {
    CIniSettingsStore store(path);
    ASSERT_TRUE(store.Create({{"AppDir", "x"}}));
    {
        std::ofstream out(path, std::ios::app);
        out << "# a comment the user wrote\nOther=kept\n";
    }
    const std::string odd = "C:\\Program Files\\n\nline\r2 = é";
    ASSERT_TRUE(store.WriteExisting({{"AppDir", odd}, {"Set1", "8"}}));
    SettingsMap values;
    ASSERT_TRUE(store.Read(values));
    EXPECT_EQ(values["AppDir"], odd);
    EXPECT_EQ(values["Set1"], "8");
    EXPECT_EQ(values["Other"], "kept");
    std::ifstream in(path);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(content.find("# a comment the user wrote"), std::string::npos);
}

TEST_F(IniStore, SettingsSurviveARestartOnlyWhenTheFileExists) {
    CIniSettingsStore store(path);
    CAppSettings first;
    first.autoClearLines = 3;
    EXPECT_EQ(first.WriteSettings(store), 0);
    CAppSettings second;
    EXPECT_EQ(second.ReadSettings(store), 0);
    EXPECT_EQ(second.autoClearLines, 1000u);

    ASSERT_TRUE(store.Create(CAppSettings().Values()));
    EXPECT_EQ(first.WriteSettings(store), 1);
    CAppSettings third;
    EXPECT_EQ(third.ReadSettings(store), 1);
    EXPECT_EQ(third.autoClearLines, 3u);
}

// The settings file keeps its mode and its link, a failed write leaves it
// whole, and a folder in its place is no crash.
TEST_F(IniStore, WritesKeepModeAndLinkAndFailuresLeaveTheFileWhole) {
    const fs::path real = fs::path(path).parent_path() / "real" / "settings.ini";
    fs::create_directories(real.parent_path());
    { std::ofstream(real) << "[Wingmate]\nSet1=5\n"; }
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real/settings.ini", path);
    CIniSettingsStore store(path);
    ASSERT_TRUE(store.WriteExisting({{"Set1", "7"}})) << store.LastError();
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ((fs::status(real).permissions() & fs::perms::all),
              fs::perms::owner_read | fs::perms::owner_write);
    SettingsMap values;
    ASSERT_TRUE(store.Read(values));
    EXPECT_EQ(values["Set1"], "7");

    SetAtomicWriteFaultForTesting([](const std::string&, AtomicWriteStage stage, size_t) {
        return stage == AtomicWriteStage::Write ? ENOSPC : 0;
    });
    EXPECT_FALSE(store.WriteExisting({{"Set1", "3"}}));
    SetAtomicWriteFaultForTesting({});
    EXPECT_NE(store.LastError().find("No space left"), std::string::npos) << store.LastError();
    values.clear();
    ASSERT_TRUE(store.Read(values));
    EXPECT_EQ(values["Set1"], "7");
    EXPECT_EQ(std::distance(fs::directory_iterator(real.parent_path()), {}), 1)
        << "no temporary left behind";

    fs::remove(path);
    fs::create_directories(path);
    CIniSettingsStore folder(path);
    values.clear();
    EXPECT_FALSE(folder.Read(values));
    EXPECT_FALSE(folder.WriteExisting({{"Set1", "3"}}));
    EXPECT_FALSE(folder.Create({{"Set1", "3"}}));
    EXPECT_TRUE(fs::is_directory(path));
}
