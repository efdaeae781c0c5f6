#include "app/HomeFolder.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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
        HomeCase{"EmptyEnvironmentIgnored", {"", "/build/bin", true, std::nullopt, "/home/u"},
                 "/build/bin"},
        HomeCase{"WritableExecutableFolder", {std::nullopt, "/build/bin", true, "/d", "/h"},
                 "/build/bin"},
        HomeCase{"XdgDataHome", {std::nullopt, "/usr/bin", false, "/d", "/h"}, "/d/Wingmate"},
        HomeCase{"DefaultDataFolder",
                 {std::nullopt, "/usr/bin", false, std::nullopt, "/home/u"},
                 "/home/u/.local/share/Wingmate"}),
    LabelName());

TEST(HomeFolder, EnvironmentReachesTheRealResolverAndLayoutIsCreated) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("wingmate-home-" + std::to_string(::getpid()));
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
}
