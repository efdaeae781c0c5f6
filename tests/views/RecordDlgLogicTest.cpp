// The Record Script dialog's window-free rules: the stop key taken from the
// key box, its text for the tray, the seconds box, the script text.

#include "record/RecordDlgLogic.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct StopKeyCase {
    const char* box;
    uint16_t key;
    const char* text; // with CTRL
};

TEST(RecordDlgLogic, StopKeyFromTheKeyBox) {
    const StopKeyCase cases[] = {
        {"Z", 'Z', "CTRL+Z"}, {"z", 'Z', "CTRL+Z"}, // a letter names its key
        {"", 0, "CTRL+"},     {"7", '7', "CTRL+7"},         {"!", 0x100 | '1', "CTRL+1"},
        {"/", 191, "CTRL+/"}, {"?", 0x100 | 191, "CTRL+/"}, {"\xC3\xA4", 0, "CTRL+"}, // no US key
    };
    for (const StopKeyCase& c : cases) {
        SCOPED_TRACE(c.box);
        EXPECT_EQ(StopKeyForText(c.box), c.key);
        EXPECT_EQ(StopKeyText(0x11, c.key), c.text);
    }
    EXPECT_EQ(StopKeyText(kStopModifiers[0].code, 'Q'), "ALT+Q");
    EXPECT_EQ(StopKeyText(kStopModifiers[2].code, 'Q'), "SHIFT+Q");
}

// The stop character is the box's first whole character; its text names it.
TEST(RecordDlgLogic, StopCharacterFromTheKeyBox) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"z", "z", "CTRL+Z"},
        {"#x", "#", "CTRL+#"},
        {"\xC3\xA4"
         "x",
         "\xC3\xA4", "CTRL+\xC3\xA4"},
        {"\xE2\x82\xAC", "\xE2\x82\xAC", "CTRL+\xE2\x82\xAC"},
        {" ", " ", "CTRL+SPACE"},
        {"\xC3", "", "CTRL+"}, // cut short
        {"\xA4"
         "z",
         "", "CTRL+"}, // no lead byte
        {"", "", "CTRL+"},
    };
    for (const auto& [box, character, text] : cases) {
        SCOPED_TRACE(box);
        EXPECT_EQ(StopCharacter(box), character);
        EXPECT_EQ(StopKeyText(0x11, StopCharacter(box)), text);
    }
}

TEST(RecordDlgLogic, IdleSecondsFromTheBox) {
    const std::pair<const char*, int32_t> cases[] = {
        {"", 0}, {"5", 5}, {"030", 30}, {"9999999999", 86400}, {"-3", 0}, {"4x", 0}};
    for (const auto& [box, seconds] : cases)
        EXPECT_EQ(ParseIdleSeconds(box), seconds) << box;
}

TEST(RecordDlgLogic, ScriptLinesAreTakenWhole) {
    const std::string longLine = "TypeKeys(\"" + std::string(20000, 'x') + "\");";
    const std::tuple<std::string, const char*, std::string> cases[] = {
        {"", "\r\n", ""},
        {"Sleep(200);", "\r\n", "Sleep(200);\r\n"},
        {"a\nb", "\n", "a\nb\n"},
        {"a\n\nb\n", "\r\n", "a\r\n\r\nb\r\n"}, // blank lines kept, no extra at the end
        {longLine + "\nx", "\n", longLine + "\nx\n"},
    };
    for (const auto& [view, end, script] : cases)
        EXPECT_EQ(ScriptFromViewText(view, end), script);
}

TEST(RecordDlgLogic, BlankScript) {
    EXPECT_TRUE(IsBlankScript(""));
    EXPECT_TRUE(IsBlankScript(" \r\n\t\r\n"));
    EXPECT_FALSE(IsBlankScript("\r\nSleep(1);\r\n"));
}

} // namespace
