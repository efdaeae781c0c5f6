#include "GlimmerRecord.h"

#include "editor/DeclList.h"
#include "fakes/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct NameCase {
    const char* windowClass;
    const char* name;
};

const NameCase kNameCases[] = {
    {"Gedit", "Gedit"},
    {"org.gnome.Nautilus", "org_gnome_Nautilus"},
    {"  Xfce4-terminal  ", "Xfce4_terminal"},
    {"7zFM", "W7zFM"},
    {"while", "whileWindow"},
    {"Ünïcode", "n_code"},
    {"...", "Window"},
    {"", "Window"},
};

TEST(GlimmerNames, ClassBecomesATesseraIdentifier) {
    for (const auto& c : kNameCases)
        EXPECT_EQ(DeclNameFromClass(c.windowClass), c.name) << c.windowClass;
    EXPECT_EQ(UniqueDeclName("Gedit", {"Gedit", "Gedit2", "Other"}), "Gedit3");
    EXPECT_EQ(UniqueDeclName("Gedit", {"Gedit3"}), "Gedit");
}

class GlimmerFiles : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("glimmer-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    fs::path dir;
};

TEST_F(GlimmerFiles, AppendsToANewThenAnExistingFileWithUniqueNames) {
    WindowRecordResult result;
    std::string error;
    ASSERT_TRUE(AppendWindowRecord(Path("w.dec"), "Untitled 1 - gedit", "Gedit", result, error))
        << error;
    ASSERT_TRUE(AppendWindowRecord(Path("w.dec"), "Second \"quoted\"", "Gedit", result, error))
        << error;
    EXPECT_EQ(result.name, "Gedit2");
    EXPECT_EQ(result.declarations, 2);
    EXPECT_EQ(ReadFile(dir / "w.dec"), "[ ]Window \"Gedit\"\n\t( )Tag=\"Untitled 1 - gedit\"\n\t( "
                                       ")Class=\"Gedit\"\n\t( )Parent=1\n\t( )Child=0\n"
                                       "[ ]Window \"Gedit2\"\n\t( )Tag=\"Second \"quoted\"\"\n\t( "
                                       ")Class=\"Gedit\"\n\t( )Parent=1\n\t( )Child=0\n");
    CDeclList list;
    ASSERT_TRUE(list.Load(Path("w.dec"), "", &error)) << error;
    EXPECT_EQ(list.FindById(2)->tag, "Second \"quoted\"");
}

TEST_F(GlimmerFiles, LeavesAFileThatDoesNotReadAlone) {
    const std::string script = "use \"w.dec\";\nAlert(\"hi\");\n";
    WriteFile(dir / "script.tsc", script);
    WindowRecordResult result;
    std::string error;
    EXPECT_FALSE(AppendWindowRecord(Path("script.tsc"), "T", "C", result, error));
    EXPECT_NE(error.find("left as it is"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(dir / "script.tsc"), script);
    EXPECT_FALSE(
        AppendWindowRecord(Path("w.dec"), "T", "", result, error)); // no class: nothing written
    EXPECT_FALSE(fs::exists(dir / "w.dec"));
}

TEST_F(GlimmerFiles, TwoCopiesAtOnceLoseNoRecord) {
    const int perCopy = 15;
    auto record = [&](const char* cls) {
        for (int i = 0; i < perCopy; ++i) {
            WindowRecordResult result;
            std::string error;
            EXPECT_TRUE(AppendWindowRecord(Path("w.dec"), "t", cls, result, error)) << error;
        }
    };
    std::thread first(record, "A"), second(record, "B");
    first.join();
    second.join();
    CDeclList list;
    ASSERT_TRUE(list.Load(Path("w.dec"), "", nullptr));
    EXPECT_NE(list.FindById(2 * perCopy), nullptr);
    EXPECT_EQ(list.FindById(2 * perCopy + 1), nullptr);
}

} // namespace
