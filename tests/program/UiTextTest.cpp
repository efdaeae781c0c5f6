// The core's translation hook: the pattern is translated, then filled in one
// pass, so an argument holding "%1" (a file name, a script's text) stays as
// it is; without the hook (the tools, the tests) the English stands.

#include "ports/UiText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
std::string German(const char* text) {
    return std::strcmp(text, "Could not save: %1") == 0 ? "Speichern nicht möglich: %1" : text;
}
} // namespace

TEST(UiTextTest, FillsEachPlaceholderOnce) {
    EXPECT_EQ(FillText("Could not save: %1", {"/tmp/a%2b%1"}), "Could not save: /tmp/a%2b%1");
    EXPECT_EQ(FillText("%2 then %1", {"x", "y"}), "y then x");
    EXPECT_EQ(FillText("%1 of %3, 100%", {"a"}), "a of %3, 100%");
    EXPECT_EQ(FillText("%1%1", {"%1"}), "%1%1");
}

TEST(UiTextTest, TranslatesThroughTheHookOnlyWhenSet) {
    EXPECT_EQ(UiFormat("Could not save: %1", {"/x"}), "Could not save: /x");
    SetUiTranslator(German);
    EXPECT_EQ(UiFormat("Could not save: %1", {"/x%1"}), "Speichern nicht möglich: /x%1");
    EXPECT_EQ(UiText("Save Failed"), "Save Failed");
    SetUiTranslator(nullptr);
    EXPECT_EQ(UiText("Could not save: %1"), "Could not save: %1");
}
