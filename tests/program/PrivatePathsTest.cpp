// Where the instance socket and lock live, and which home folders are used:
// nothing another local user made or can change.

#include "program/InstanceSocket.h"
#include "library/HomeFolder.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

class PrivatePaths : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "wingmate-paths-XXXXXX").string();
        ASSERT_TRUE(::mkdtemp(pattern.data()));
        base = pattern;
        ::chmod(base.c_str(), 0755);
        inputs.cacheHome = (base / "cache").string();
    }
    void TearDown() override { fs::remove_all(base); }
    fs::path Cache() const { return base / "cache" / "wingmate"; }

    fs::path base;
    InstanceFolderInputs inputs;
};

struct CacheFolderCase {
    std::string label;
    std::string made; // what sits at the folder's place first
    bool needsRoot;
    bool used; // false: refused, nothing else is tried
};

class CacheFolder : public PrivatePaths, public ::testing::WithParamInterface<CacheFolderCase> {};

// A folder that someone else made or opened first is never used (nor
// changed), and no shared place such as /tmp is tried instead.
TEST_P(CacheFolder, OnlyAPrivateFolderOfOurOwnIsUsed) {
    const CacheFolderCase& c = GetParam();
    if (c.needsRoot && ::geteuid() != 0)
        GTEST_SKIP() << "changing owners needs root";
    fs::create_directory(base / "cache");
    const fs::path shared = Cache();
    if (c.made == "private" || c.made == "open" || c.made == "foreign")
        fs::create_directory(shared);
    if (c.made == "private" || c.made == "foreign")
        ::chmod(shared.c_str(), 0700);
    if (c.made == "open")
        ::chmod(shared.c_str(), 0777);
    if (c.made == "foreign") {
        ASSERT_EQ(::chown(shared.c_str(), 65534, 65534), 0);
    }
    if (c.made == "link") {
        fs::create_directory(base / "mine");
        ::chmod((base / "mine").c_str(), 0700);
        fs::create_directory_symlink(base / "mine", shared);
    }
    if (c.made == "file")
        std::ofstream(shared) << "x";
    const mode_t before = ModeOf(shared);

    for (const bool create : {false, true}) {
        InstancePaths paths;
        std::string error, warnings;
        ASSERT_EQ(ResolveInstancePaths(inputs, create, paths, error, &warnings), c.used) << error;
        if (!c.used) {
            EXPECT_NE(error.find("No private folder"), std::string::npos) << error;
            continue;
        }
        const fs::path expected = shared;
        EXPECT_EQ(paths.folder, expected.string());
        EXPECT_EQ(paths.socket, (expected / "wingmate.sock").string());
        EXPECT_EQ(paths.lock, (expected / "wingmate.sock.lock").string());
        EXPECT_EQ(warnings.empty(), c.used) << warnings;
        if (create) {
            EXPECT_EQ(ModeOf(expected), 0700u);
        }
    }
    if (c.made != "missing") {
        EXPECT_EQ(ModeOf(shared), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, CacheFolder,
                         ::testing::Values(CacheFolderCase{"Missing", "missing", false, true},
                                           CacheFolderCase{"Private", "private", false, true},
                                           CacheFolderCase{"OpenToOthers", "open", false, false},
                                           CacheFolderCase{"Link", "link", false, false},
                                           CacheFolderCase{"File", "file", false, false},
                                           CacheFolderCase{"OfAnotherUser", "foreign", true,
                                                           false}),
                         LabelName());

TEST_F(PrivatePaths, RuntimeFolderIsUsedOnlyWhenPrivate) {
    fs::create_directory(base / "run");
    inputs.runtimeDir = (base / "run").string();
    InstancePaths paths;
    std::string error, warnings;
    ::chmod((base / "run").c_str(), 0700);
    ASSERT_TRUE(ResolveInstancePaths(inputs, true, paths, error, &warnings));
    EXPECT_EQ(paths.folder, (base / "run" / "wingmate").string());
    ::chmod((base / "run").c_str(), 0755);
    ASSERT_TRUE(ResolveInstancePaths(inputs, true, paths, error, &warnings));
    EXPECT_EQ(paths.folder, Cache().string());
    EXPECT_NE(warnings.find("XDG_RUNTIME_DIR"), std::string::npos);
    // With every place taken by someone else, nothing is used.
    std::ofstream(base / "file") << "x";
    inputs.cacheHome = (base / "file").string(); // no folder can be made in it
    EXPECT_FALSE(ResolveInstancePaths(inputs, true, paths, error, &warnings));
    EXPECT_NE(error.find("No private folder"), std::string::npos) << error;
}

// A lock file that is not our own is replaced, never taken as a running copy.
TEST_F(PrivatePaths, ForeignLockFileIsReplaced) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "changing owners needs root";
    const std::string lock = (base / "wingmate.sock.lock").string();
    std::ofstream(lock) << "";
    ::chmod(lock.c_str(), 0666);
    ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
    std::string error;
    const int fd = TakeInstanceLock(lock, error);
    ASSERT_GE(fd, 0) << error;
    struct stat info {};
    ::stat(lock.c_str(), &info);
    EXPECT_EQ(info.st_uid, ::geteuid());
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    ::close(fd);
}

struct HomeCase {
    std::string label;
    mode_t parentMode;
    mode_t homeMode;
    uid_t homeOwner;     // 0: ours; else chown, only as root
    std::string refusal; // empty: used
};

class HomeTrust : public PrivatePaths, public ::testing::WithParamInterface<HomeCase> {};

TEST_P(HomeTrust, HomeFolderOthersCouldChangeIsRefused) {
    const HomeCase& c = GetParam();
    if (c.homeOwner && ::geteuid() != 0)
        GTEST_SKIP() << "changing owners needs root";
    const fs::path home = base / "parent" / "Wingmate";
    ASSERT_TRUE(EnsureHomeLayout(home.string()));
    EXPECT_EQ(ModeOf(home), 0700u);
    EXPECT_EQ(ModeOf(home / "Scripts"), 0700u);
    ::chmod((base / "parent").c_str(), c.parentMode);
    ::chmod(home.c_str(), c.homeMode);
    if (c.homeOwner) {
        ASSERT_EQ(::chown(home.c_str(), c.homeOwner, 0), 0);
    }
    std::string why;
    EXPECT_EQ(CheckHomeFolder(home.string(), why), c.refusal.empty());
    EXPECT_EQ(why, c.refusal.empty() ? "" : (base / c.refusal).string()) << why;
}

INSTANTIATE_TEST_SUITE_P(
    Table, HomeTrust,
    ::testing::Values(HomeCase{"Private", 0755, 0700, 0, ""},
                      HomeCase{"ReadableByAll", 0755, 0755, 0, ""},
                      HomeCase{"InAStickyFolder", 01777, 0700, 0, ""},
                      HomeCase{"WritableByOthers", 0755, 0777, 0,
                               "parent/Wingmate is writable by others (mode 0777)"},
                      HomeCase{"StickyButWritableByOthers", 0755, 01777, 0,
                               "parent/Wingmate is writable by others (mode 1777)"},
                      HomeCase{"InAnOpenFolder", 0777, 0700, 0,
                               "parent is writable by others (mode 0777)"},
                      HomeCase{"OfAnotherUser", 0755, 0700, 65534,
                               "parent/Wingmate is owned by uid 65534, neither you nor root"}),
    LabelName());

} // namespace
