#include "library/HomeFolder.h"
#include "program/Autostart.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

struct HomeCase {
    const char* label;
    HomeFolderInputs inputs;
    const char* expected;
};

class HomeFolderResolution : public ::testing::TestWithParam<HomeCase> {};

TEST_P(HomeFolderResolution, PicksTheFirstThatApplies) {
    EXPECT_EQ(ResolveHomeFolder(GetParam().inputs), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HomeFolderResolution,
    ::testing::Values(
        HomeCase{"EnvironmentWins", {"/w", "/bin", true, "/data", "/home/u"}, "/w"},
        HomeCase{"EmptyEnvironmentIgnored",
                 {"", "/build/bin", true, std::nullopt, "/home/u"},
                 "/build/bin"},
        HomeCase{"WritableExecutableFolder",
                 {std::nullopt, "/build/bin", true, "/d", "/h"},
                 "/build/bin"},
        HomeCase{"InstalledPrefixEvenWhenWritable",
                 {std::nullopt, "/tmp/p/bin", true, "/d", "/h", true},
                 "/d/Wingmate"},
        HomeCase{"XdgDataHome", {std::nullopt, "/usr/bin", false, "/d", "/h"}, "/d/Wingmate"},
        HomeCase{"RelativeXdgDataHomeIgnored",
                 {std::nullopt, "/usr/bin", false, "d", "/h"},
                 "/h/.local/share/Wingmate"},
        HomeCase{"DefaultDataFolder",
                 {std::nullopt, "/usr/bin", false, std::nullopt, "/home/u"},
                 "/home/u/.local/share/Wingmate"}),
    LabelName());

TEST(HomeFolder, EnvironmentReachesTheRealResolverAndLayoutIsCreated) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("wingmate-home-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    ::setenv("WINGMATE_HOME", dir.c_str(), 1);
    EXPECT_EQ(WingmateHomeFolder(), dir.string());
    ::unsetenv("WINGMATE_HOME");
    EXPECT_TRUE(EnsureHomeLayout(dir.string()));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Scripts"));
    std::filesystem::remove_all(dir);
}

TEST(HomeFolder, SettingsFileFollowsXdgConfigHome) {
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(SettingsFilePath(), "/cfg/Tessera/Wingmate.conf");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(SettingsFilePath(), "/home/u/.config/Tessera/Wingmate.conf");
    // A relative value is invalid: ignored, never taken from the current folder.
    ::setenv("XDG_CONFIG_HOME", "cfg", 1);
    EXPECT_EQ(SettingsFilePath(), "/home/u/.config/Tessera/Wingmate.conf");
    EXPECT_EQ(AutostartFilePath(), "/home/u/.config/autostart/wingmate.desktop");
    ::unsetenv("XDG_CONFIG_HOME");
}

// A program installed in PREFIX/bin reads what it ships from
// PREFIX/share/wingmate unless the home folder has its own copy.
TEST(HomeFolder, ShippedFilesComeFromHomeFirstThenTheInstalledPrefix) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("wingmate-prefix-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    const fs::path bin = dir / "prefix/bin", home = dir / "home";
    fs::create_directories(bin);
    fs::create_directories(home / "help");
    EXPECT_EQ(InstalledDataFolder(bin.string()), "") << "no share/wingmate: a build tree";
    fs::create_directories(dir / "prefix/share/wingmate/help");
    std::ofstream(dir / "prefix/share/wingmate/help/Wingmate.html") << "x";
    EXPECT_EQ(InstalledDataFolder(bin.string()), (dir / "prefix/share/wingmate").string());
    EXPECT_EQ(InstalledDataFolder((dir / "prefix").string()), "") << "not a bin folder";

    const std::string relative = "help/Wingmate.html";
    EXPECT_EQ(FindShippedFile(home.string(), bin.string(), relative),
              (dir / "prefix/share/wingmate" / relative).string());
    std::ofstream(home / relative) << "mine";
    EXPECT_EQ(FindShippedFile(home.string(), bin.string(), relative), (home / relative).string());
    EXPECT_EQ(FindShippedFile(home.string(), bin.string(), "help/Tessera.html"),
              (home / "help/Tessera.html").string())
        << "missing everywhere: the home path, for the message";
    fs::remove_all(dir);
}
