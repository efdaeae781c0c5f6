#include "editor/DeclList.h"

#include "fakes/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// One line per node in pre-order: depth dots, name, type, tag, class, flags.
std::string Outline(const CDeclList& list) {
    std::string out;
    const CDeclNode* node = list.First();
    int depth = 0;
    while (node) {
        out += std::string(depth, '.') + (node->file ? "file " : "") + node->name;
        if (!node->file)
            out += "|" + node->type + "|" + node->tag + (node->unquotedTag ? "(u)" : "") + "|" +
                   node->cls + "|" + std::to_string(node->isParent) +
                   std::to_string(node->isChild) + (node->topMenu ? "|top" : "");
        out += "\n";
        if (node->firstChild) {
            node = node->firstChild;
            ++depth;
            continue;
        }
        while (node && !node->next) {
            node = node->parent;
            --depth;
        }
        if (node)
            node = node->next;
    }
    return out;
}

std::string Record(int depth, const std::string& head, const std::string& tag = "\"t\"",
                   const std::string& cls = "\"c\"") {
    const std::string tabs(depth, '\t');
    return tabs + head + "\n" + tabs + "\t( )Tag=" + tag + "\n" + tabs + "\t( )Class=" + cls +
           "\n" + tabs + "\t( )Parent=1\n" + tabs + "\t( )Child=0\n";
}

struct ReadCase {
    const char* what;
    std::string text;
    const char* outline;
};

const ReadCase kReadCases[] = {
    {"depth jump makes a direct child",
     Record(0, "[ ]Window \"App\"") + Record(2, "[ ]Button \"Ok\"") +
         Record(1, "[ ]Button \"No\"") + Record(0, "[ ]Window \"Two\""),
     "file f\n.App|Window|t|c|10\n..Ok|Button|t|c|10\n..No|Button|t|c|10\n.Two|Window|t|c|10\n"},
    {"top menu", Record(0, "[ ]Menu") + Record(1, "[ ]MenuItem \"Open\""),
     "file f\n.Top Menu|Menu|t|c|10|top\n..Open|MenuItem|t|c|10\n"},
    {"unquoted tag and any marker spacing",
     Record(0, "[x]   Window    \"W\"  ", "5") + Record(0, "[]Window W2", "  \"q\"  "),
     "file f\n.W|Window|5(u)|c|10\n.W2|Window|q|c|10\n"},
    {"empty class empties the name", Record(0, "[ ]Window \"W\"", "\"t\"", ""),
     "file f\n.|Window|t||10\n"},
    {"blank lines between records are skipped",
     "\n  \n" + Record(0, "[ ]Window \"A\"") + "\r\n\t\n" + Record(0, "[ ]Window \"B\""),
     "file f\n.A|Window|t|c|10\n.B|Window|t|c|10\n"},
    {"a blank line inside a record is one of its lines",
     "[ ]Window \"A\"\n\n\t( )Tag=\"t\"\n\t( )Class=\"c\"\n\t( )Parent=1\n",
     "file f\n.A|Window||t|-141\n"}, // the later lines shift up by one
};

class DeclReadTable : public testing::TestWithParam<ReadCase> {};

TEST_P(DeclReadTable, PlacesAndDecodesRecords) {
    const ReadCase& c = GetParam();
    CDeclList list;
    std::string error;
    ASSERT_TRUE(list.LoadText("f", c.text, &error)) << c.what << ": " << error;
    EXPECT_EQ(Outline(list), c.outline) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Files, DeclReadTable, testing::ValuesIn(kReadCases));

TEST(DeclList, FileCutShortFailsAndKeepsTheRecordsBeforeIt) {
    CDeclList list;
    std::string error;
    const std::string text = Record(0, "[ ]Window \"A\"") + "[ ]Window \"B\"\n\t( )Tag=\"t\"\n";
    EXPECT_FALSE(list.LoadText("cut.dec", text, &error));
    EXPECT_NE(error.find("cut.dec: line 6"), std::string::npos) << error;
    EXPECT_EQ(Outline(list), "file cut.dec\n.A|Window|t|c|10\n");
    EXPECT_FALSE(list.LoadText("junk", "just some text\n", &error));
    EXPECT_NE(error.find("[ ]"), std::string::npos) << error;
}

TEST(DeclList, SavingNormalisesAndReadsBackTheSame) {
    const std::string messy =
        "[x]  Window   \"App\"\n ( ) Tag = \"a b\"\n(x)Class=Frame\n( )Parent=1\n( )Child=0\n\n" +
        Record(3, "[ ]Menu") + Record(1, "[ ]MenuItem \"Quit\"", "7");
    CDeclList list;
    ASSERT_TRUE(list.LoadText("f", messy, nullptr));
    const std::string canonical = CDeclList::Format(*list.First());
    EXPECT_EQ(
        canonical,
        "[ ]Window \"App\"\n\t( )Tag=\"a b\"\n\t( )Class=\"Frame\"\n\t( )Parent=1\n\t( )Child=0\n" +
            Record(1, "[ ]Menu") + Record(1, "[ ]MenuItem \"Quit\"", "7"));
    CDeclList again;
    ASSERT_TRUE(again.LoadText("f", canonical, nullptr));
    EXPECT_EQ(CDeclList::Format(*again.First()), canonical);
}

TEST(DeclList, ValuesWithLineBreaksCannotSplitARecord) {
    CDeclList list;
    ASSERT_TRUE(list.LoadText("f", Record(0, "[ ]Window \"A\""), nullptr));
    list.First()->firstChild->tag = "two\nlines";
    CDeclList again;
    ASSERT_TRUE(again.LoadText("f", CDeclList::Format(*list.First()), nullptr));
    EXPECT_EQ(again.First()->firstChild->tag, "two lines");
}

TEST(DeclList, IdsQualifiedNamesAndLookupAcrossFiles) {
    CDeclList list;
    ASSERT_TRUE(list.LoadText("a",
                              Record(0, "[ ]Window \"App\"") + Record(1, "[ ]Menu") +
                                  Record(2, "[ ]Window \"Main\"") + Record(3, "[ ]Button \"Ok\""),
                              nullptr));
    ASSERT_TRUE(list.LoadText("b", Record(0, "[ ]Window \"Other\""), nullptr));
    const CDeclNode* ok = list.FindById(4);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->name, "Ok");
    EXPECT_EQ(CDeclList::QualifiedName(ok), "App.Main.Ok.");
    EXPECT_EQ(CDeclList::QualifiedName(list.FindById(2)), "App.");
    ASSERT_NE(list.FindById(5), nullptr);
    EXPECT_EQ(list.FindById(5)->name, "Other");
    EXPECT_EQ(list.FindById(0), nullptr);
    EXPECT_EQ(list.FindById(6), nullptr);
}

TEST(DeclList, DeepOutlineNeedsNoRecursion) {
    std::string text;
    const int depth = 3000;
    for (int d = 0; d < depth; ++d)
        text += std::string(d, '\t') +
                "[ ]W \"n\"\n( )Tag=1\n( )Class=\"c\"\n( )Parent=1\n( )Child=0\n";
    CDeclList list;
    ASSERT_TRUE(list.LoadText("deep", text, nullptr));
    EXPECT_EQ(CDeclList::QualifiedName(list.FindById(depth)).size(), 2u * depth);
    EXPECT_FALSE(CDeclList::Format(*list.First()).empty());
}

class DeclFiles : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("decl-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(DeclFiles, SaveAllWritesEveryFileInReadingOrderAtomically) {
    WriteFile(dir / "a.dec", Record(0, "[ ]Window \"A\""));
    WriteFile(dir / "real-b.dec", Record(0, "[ ]Window \"B\""));
    fs::create_symlink("real-b.dec", dir / "b.dec");
    ::chmod((dir / "a.dec").c_str(), 0600);
    WriteFile(dir / "empty.dec", "\n");

    CDeclList list;
    std::string error;
    ASSERT_TRUE(list.Load("a.dec", dir.string(), &error)) << error;
    ASSERT_TRUE(list.Load("b.dec", dir.string(), &error)) << error;
    ASSERT_TRUE(list.Load("empty.dec", dir.string(), &error)) << error;
    ASSERT_TRUE(list.Load((dir / "a.dec").string(), "/nowhere", &error))
        << error; // absolute: read again
    EXPECT_FALSE(list.Load("missing.dec", dir.string(), &error));

    list.FindById(1)->name = "First copy";
    list.FindById(3)->name = "Latest copy";
    list.FindById(2)->tag = "changed";
    ASSERT_TRUE(list.SaveAll(dir.string(), &error)) << error;

    EXPECT_EQ(ReadFile(dir / "a.dec"), Record(0, "[ ]Window \"Latest copy\""));
    EXPECT_EQ(ReadFile(dir / "real-b.dec"), Record(0, "[ ]Window \"B\"", "\"changed\""));
    EXPECT_TRUE(fs::is_symlink(dir / "b.dec"));
    EXPECT_EQ(fs::status(dir / "a.dec").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadFile(dir / "empty.dec"), "\n");
    EXPECT_FALSE(fs::exists(dir / "missing.dec"));
}

TEST_F(DeclFiles, FileThatFailedToReadIsNeverWrittenOver) {
    const std::string cut = Record(0, "[ ]Window \"A\"") + "[ ]Window \"B\"\n";
    WriteFile(dir / "cut.dec", cut);
    WriteFile(dir / "ok.dec", Record(0, "[ ]Window \"C\""));
    CDeclList list;
    EXPECT_FALSE(list.Load("cut.dec", dir.string(), nullptr));
    ASSERT_TRUE(list.Load("ok.dec", dir.string(), nullptr));
    list.FindById(1)->name = "edited";
    std::string error;
    EXPECT_TRUE(list.SaveAll(dir.string(), &error)) << error;
    EXPECT_EQ(ReadFile(dir / "cut.dec"), cut);
}

TEST_F(DeclFiles, SaveFailureNamesTheFileAndStops) {
    WriteFile(dir / "a.dec", Record(0, "[ ]Window \"A\""));
    CDeclList list;
    ASSERT_TRUE(list.Load("a.dec", dir.string(), nullptr));
    ASSERT_TRUE(list.LoadText("no-such-folder/b.dec", Record(0, "[ ]Window \"B\""), nullptr));
    std::string error;
    EXPECT_FALSE(list.SaveAll(dir.string(), &error));
    EXPECT_NE(error.find("b.dec"), std::string::npos) << error;
}

// Glimmer or a text editor may write a declarations file while an editor
// window holds it; a save must be able to tell, and only then.
TEST_F(DeclFiles, ChangedOnDiskNamesOnlyFilesAnotherProgramWrote) {
    const std::string original = Record(0, "[ ]Window \"A\"");
    const std::string other = original + Record(0, "[ ]Window \"Recorded\"");
    struct Case {
        const char* name;
        std::function<void(CDeclList&)> meanwhile;
        bool changed;
    } cases[] = {
        {"untouched", [](CDeclList&) {}, false},
        {"rewritten", [&](CDeclList&) { WriteFile(dir / "a.dec", other); }, true},
        {"deleted", [&](CDeclList&) { fs::remove(dir / "a.dec"); }, false},
        {"saved here",
         [&](CDeclList& list) {
             list.FindById(1)->tag = "edited";
             ASSERT_TRUE(list.SaveAll(dir.string(), nullptr));
         },
         false},
        {"rewritten after a save here",
         [&](CDeclList& list) {
             ASSERT_TRUE(list.SaveAll(dir.string(), nullptr));
             WriteFile(dir / "a.dec", other);
         },
         true},
        {"read again after another program wrote it",
         [&](CDeclList& list) {
             WriteFile(dir / "a.dec", other);
             ASSERT_TRUE(list.Load("a.dec", dir.string(), nullptr));
         },
         false},
    };
    for (const Case& c : cases) {
        WriteFile(dir / "a.dec", original);
        CDeclList list;
        ASSERT_TRUE(list.Load("a.dec", dir.string(), nullptr)) << c.name;
        c.meanwhile(list);
        const auto changed = list.ChangedOnDisk(dir.string());
        EXPECT_EQ(changed,
                  c.changed ? std::vector<std::string>{"a.dec"} : std::vector<std::string>{})
            << c.name;
    }
    // Text from elsewhere (a recovery copy) compares with the reading it
    // brings, and with nothing when it brings none.
    WriteFile(dir / "a.dec", other);
    CDeclList recovered;
    ASSERT_TRUE(recovered.LoadText("a.dec", original, nullptr, &original));
    ASSERT_TRUE(recovered.LoadText("a.dec", original, nullptr));
    EXPECT_EQ(recovered.ChangedOnDisk(dir.string()), std::vector<std::string>{"a.dec"});
}

} // namespace
