#include "Commands.h"

#include "fakes/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
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

const char* const kMessy =
    "[x] Window  \"App\"\n( )Tag=\"Title\"\n( )Class=Frame\n( )Parent=1\n( )Child=0\n\n\n"
    "  \t[]Menu\n( )Tag=\n( )Class=\"m\"\n( )Parent=0\n( )Child=1\n";
const char* const kCanonical =
    "[ ]Window \"App\"\n\t( )Tag=\"Title\"\n\t( )Class=\"Frame\"\n\t( )Parent=1\n\t( )Child=0\n"
    "[ ]Menu\n\t( )Tag=\"\"\n\t( )Class=\"m\"\n\t( )Parent=0\n\t( )Child=1\n";
const char* const kCut = "[ ]Window \"App\"\n\t( )Tag=\"Title\"\n";

class DeclCommandTest : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("declcmd-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        WriteFile(dir / "messy.dec", kMessy);
        WriteFile(dir / "cut.dec", kCut);
        WriteFile(dir / "nested.dec", std::string(kCanonical) +
                                          "\t[ ]Button \"Ok\"\n\t\t( )Tag=1\n\t\t( "
                                          ")Class=\"B\"\n\t\t( )Parent=0\n\t\t( )Child=1\n");
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    fs::path dir;
};

TEST_F(DeclCommandTest, PrintsEachTreeAndFailsForAFileThatDoesNotRead) {
    const CtlRun run = RunCtl(
        {"decl", Path("nested.dec"), Path("cut.dec"), Path("missing.dec"), Path("messy.dec")});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.out, Path("nested.dec") +
                           "\n  App\tWindow\tTitle\tFrame\tApp.\n  Top Menu\tMenu\t\tm\t\n    "
                           "Ok\tButton\t1\tB\tOk.\n" +
                           Path("messy.dec") +
                           "\n  App\tWindow\tTitle\tFrame\tApp.\n  Top Menu\tMenu\t\tm\t\n");
    EXPECT_NE(run.err.find("cut.dec: line 1: the file ends inside a declaration"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("missing.dec"), std::string::npos) << run.err;
}

TEST_F(DeclCommandTest, NormalizeWritesTheCanonicalFormatAndLeavesABrokenFileAlone) {
    CtlRun run = RunCtl({"decl", "--normalize", Path("messy.dec")});
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(ReadFile(dir / "messy.dec"), kCanonical);
    EXPECT_EQ(run.out, Path("messy.dec") + ": 2 declarations written\n");

    WriteFile(dir / "blank.dec", "\n\n");
    run = RunCtl({"decl", "--normalize", Path("blank.dec")});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.out, Path("blank.dec") + ": no declarations; the file is left as it is\n");

    run = RunCtl({"decl", "--normalize", Path("cut.dec")});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(ReadFile(dir / "cut.dec"), kCut);
}

TEST_F(DeclCommandTest, BadUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {"decl"},
        {"decl", "--normalize"},
        {"decl", "--normalize", Path("messy.dec"), Path("cut.dec")},
        {"decl", "--bogus", Path("messy.dec")}};
    for (const auto& args : cases)
        EXPECT_EQ(RunCtl(args).status, kExitUsage) << args.size();
    EXPECT_EQ(ReadFile(dir / "messy.dec"), kMessy);
}

} // namespace
