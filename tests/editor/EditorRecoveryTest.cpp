// The editors' recovery copies: the text comes back byte for byte with its
// script path and format, a damaged copy is neither offered nor deleted, and
// editors never share a copy.

#include "editor/EditorRecovery.h"
#include "fakes/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <unistd.h>
#include <vector>

namespace {
struct RecoveryFolder : ::testing::Test {
    RecoveryFolder() {
        char name[] = "/tmp/wingmate-edrecovery-XXXXXX";
        home = ::mkdtemp(name);
    }
    ~RecoveryFolder() override { std::filesystem::remove_all(home); }
    std::string home;
};

struct RoundTrip {
    const char* name;
    std::string scriptPath;
    std::string text;
    bool latin1;
    bool crlf;
    std::vector<EditorRecoveryCopy::Declarations> declarations = {};
    EditorRecoveryCopy::DiskStamp disk = {};
    bool textUnedited = false;
};
} // namespace

TEST_F(RecoveryFolder, CopiesComeBackByteForByte) {
    const RoundTrip cases[] = {
        {"untitled empty", "", "", false, false},
        {"crlf script", "/home/u/a b.tsc", "one\r\ntwo\r\n", false, true, {}, {true, 10, 17}},
        {"invalid utf8", "rel/\xff.tsc", std::string("\xff\xfe\0x\n", 5), true, false},
        {"path with newline", "/tmp/odd\nname.tsc", "end\nend\n", false, false},
        {"edited declarations",
         "/s/decl.tsc",
         "use \"a.dec\";\n",
         false,
         false,
         {{"a.dec", "Window\nMain\n\"Main\"\n\n0\n", "as read\ndecdisk 3\n", true},
          {"../b b.dec", "", "", false}},
         {true, 13, 1700000000123456789},
         true},
    };
    CEditorRecovery store(home);
    std::set<std::string> written;
    for (const RoundTrip& c : cases) {
        EditorRecoveryCopy copy{store.NewCopyPath(), c.scriptPath, c.text,        c.latin1, c.crlf,
                                c.declarations,      c.disk,       c.textUnedited};
        std::string error;
        ASSERT_TRUE(store.Write(copy, &error)) << c.name << ": " << error;
        written.insert(copy.file);
    }
    const std::vector<EditorRecoveryCopy> listed = store.List();
    ASSERT_EQ(listed.size(), std::size(cases));
    for (const RoundTrip& c : cases) {
        const auto found = std::find_if(listed.begin(), listed.end(), [&](const auto& copy) {
            return copy.scriptPath == c.scriptPath;
        });
        ASSERT_NE(found, listed.end()) << c.name;
        EXPECT_EQ(found->text, c.text) << c.name;
        EXPECT_EQ(found->latin1, c.latin1) << c.name;
        EXPECT_EQ(found->crlf, c.crlf) << c.name;
        EXPECT_EQ(found->disk.known, c.disk.known) << c.name;
        EXPECT_EQ(found->textUnedited, c.textUnedited) << c.name;
        EXPECT_EQ(found->disk.size, c.disk.size) << c.name;
        EXPECT_EQ(found->disk.mtimeNs, c.disk.mtimeNs) << c.name;
        ASSERT_EQ(found->declarations.size(), c.declarations.size()) << c.name;
        for (size_t k = 0; k < c.declarations.size(); ++k) {
            EXPECT_EQ(found->declarations[k].fileName, c.declarations[k].fileName) << c.name;
            EXPECT_EQ(found->declarations[k].text, c.declarations[k].text) << c.name;
            EXPECT_EQ(found->declarations[k].diskText, c.declarations[k].diskText) << c.name;
            EXPECT_EQ(found->declarations[k].diskKnown, c.declarations[k].diskKnown) << c.name;
        }
        EXPECT_EQ(written.count(found->file), 1u) << c.name;
    }
    // Only the user may read the copies.
    EXPECT_EQ(std::filesystem::status(listed[0].file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

// A copy cut anywhere short (or grown) is not a whole one: it is not offered,
// and it stays on disk for the user.
TEST_F(RecoveryFolder, DamagedCopyIsNeitherOfferedNorDeleted) {
    CEditorRecovery store(home);
    EditorRecoveryCopy copy{
        store.NewCopyPath(),
        "/s.tsc",
        "Frob(1);\nTwiddle(2);\n",
        false,
        false,
        {{"a.dec", "Window\nMain\n", "read\n", true}, {"b.dec", "end\n", "", false}},
        {true, 21, 1700000000000000001},
        true};
    const std::string whole = CEditorRecovery::Encode(copy);
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        EditorRecoveryCopy read;
        EXPECT_FALSE(CEditorRecovery::Decode(whole.substr(0, cut), read)) << "cut at " << cut;
    }
    EditorRecoveryCopy read;
    EXPECT_FALSE(CEditorRecovery::Decode(whole + "x", read));

    std::filesystem::create_directories(store.Folder());
    const std::string damaged = store.Folder() + "/editor-1-1.recovery";
    WriteFile(damaged, whole.substr(0, whole.size() - 3));
    EXPECT_TRUE(store.List().empty());
    EXPECT_TRUE(std::filesystem::exists(damaged));
}

TEST_F(RecoveryFolder, EditorsOnOneScriptKeepTheirOwnCopies) {
    CEditorRecovery store(home);
    EditorRecoveryCopy first{store.NewCopyPath(), "/same.tsc", "first", false, false, {}, {}};
    EditorRecoveryCopy second{store.NewCopyPath(), "/same.tsc", "second", false, false, {}, {}};
    ASSERT_NE(first.file, second.file);
    ASSERT_TRUE(store.Write(first, nullptr));
    ASSERT_TRUE(store.Write(second, nullptr));
    std::set<std::string> texts;
    for (const EditorRecoveryCopy& copy : store.List())
        texts.insert(copy.text);
    EXPECT_EQ(texts, (std::set<std::string>{"first", "second"}));
    // A later store (the next run) does not pick a name that is taken.
    CEditorRecovery next(home);
    const std::string fresh = next.NewCopyPath();
    EXPECT_NE(fresh, first.file);
    EXPECT_NE(fresh, second.file);
}
