// Window filters, the hook's choice among macros on the same keys, and
// typed abbreviations.

#include "triggers/AbbreviationMatcher.h"
#include "triggers/Expansion.h"
#include "triggers/KeyNames.h"
#include "triggers/TriggerMatch.h"
#include "triggers/TypeKeysParser.h"

#include "fakes/ScopedTimeZone.h"
#include "fakes/TestSupport.h"
#include "fakes/TriggerLibrary.h"
#include "ports/Clock.h"

#include <gtest/gtest.h>

namespace {

const ActiveWindow kXterm{"user@host: ~", "xterm", "XTerm"};
const ActiveWindow kEditor{"notes.txt - Mousepad", "mousepad", "Mousepad"};

TEST(WindowFilter, DecidesWhereATriggerApplies) {
    const struct {
        WindowFilter filter;
        const ActiveWindow* window;
        bool applies;
    } cases[] = {
        {{}, nullptr, true},                         // no filter: everywhere
        {{"xterm"}, &kXterm, true},                  // the instance name
        {{"XTERM"}, &kXterm, true},                  // case is ignored
        {{"Mouse*"}, &kEditor, true},                // a wildcard over the whole class
        {{"ouse*"}, &kEditor, false},                // ...not a part of it
        {{"*.txt*", true}, &kEditor, true},          // the title
        {{"*.txt*", false}, &kEditor, false},        // ...not the class
        {{"xterm"}, &kEditor, false},                // include, elsewhere
        {{"xterm", false, true}, &kEditor, true},    // exclude, elsewhere
        {{"xterm", false, true}, &kXterm, false},    // exclude, there
        {{"re:^X", false}, &kXterm, true},           // a regex searched in the class
        {{"re:^x", false}, &kXterm, true},           // ...or the instance name
        {{"re:term$", true}, &kXterm, false},        // the title is "user@host: ~"
        {{"xterm"}, nullptr, false},                 // no window known: include fails
        {{"xterm", false, true}, nullptr, true},     // ...exclude lets it through
        {{"re:(bad", false, false}, &kXterm, false}, // a broken regex: nowhere
        {{"re:(bad", false, true}, &kEditor, false}, // ...even when it excludes
        {{"re:\\p{Cyrillic}", true}, nullptr, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowFilterAllows(c.filter, c.window), c.applies)
            << c.filter.pattern << " in " << (c.window ? c.window->title : "(none)");
    EXPECT_NE(WindowFilterError({"re:(bad"}).find("not valid"), std::string::npos);
}

TEST(WindowFilter, ListedPasswordTitles) {
    const ActiveWindow unlock{"Unlock Keyring", "gcr-prompter", "Gcr-prompter"};
    const std::vector<std::string> listed = {"", "re:(bad", "*keyring*", "re:^sudo"};
    EXPECT_TRUE(TitleListed(listed, &unlock));
    EXPECT_FALSE(TitleListed(listed, &kEditor));
    EXPECT_FALSE(TitleListed(listed, nullptr));
    EXPECT_FALSE(TitleListed({"Gcr-prompter"}, &unlock)); // titles, not classes
}

// The same keys start macro A in the terminal and macro B elsewhere: the
// first macro in library order whose keys and filter match.
TEST(WindowFilter, SameKeysPickTheMacroOfTheWindow) {
    CTriggerLibrary t;
    const int32_t a = t.Add("A", "<CTRL><ALT><T>");
    const int32_t b = t.Add("B", "<CTRL><ALT><T>");
    MacroExtras onlyXterm;
    onlyXterm.filter = {"xterm"};
    t.lib.SetExtras(a, onlyXterm);
    auto found = [&](const ActiveWindow* window) {
        const CMacroNode* node =
            FindByTrigger(t.lib, "<CTRL><ALT><T>", TriggerPrefix::None, window);
        return node ? node->id : 0;
    };
    EXPECT_EQ(found(&kXterm), a);
    EXPECT_EQ(found(&kEditor), b);
    EXPECT_EQ(found(nullptr), b);
    MacroExtras notXterm;
    notXterm.filter = {"xterm", false, true};
    t.lib.SetExtras(b, notXterm);
    EXPECT_EQ(found(&kXterm), a);
    EXPECT_EQ(found(&kEditor), b);
}

class StepClock : public IClock {
public:
    int64_t Now() const override { return ms / 1000; }
    int64_t Milliseconds() const override { return ms; }
    int64_t ms = 1'000'000;
};

struct Abbreviation {
    std::string text;
    bool immediate = false;
    bool matchCase = false;
    WindowFilter filter = {};
};

// One row: the abbreviations (macro ids 2, 3... in library order), what is
// typed ("|" a backspace, "~" three seconds without keys, "#" a click),
// and what the last key brought.
struct TypingCase {
    const char* label;
    std::vector<Abbreviation> abbreviations;
    std::string typed;
    int macro; // index into `abbreviations`; -1 for none
    size_t erase;
    std::string wordEnd;
    TypedCase typedCase = TypedCase::AsWritten;
    const ActiveWindow* window = &kEditor;
    bool password = false;
};

class Typing : public ::testing::TestWithParam<TypingCase> {};

TEST_P(Typing, ExpandsTheRightMacro) {
    const TypingCase& c = GetParam();
    CTriggerLibrary t;
    std::vector<int32_t> ids;
    for (const Abbreviation& a : c.abbreviations) {
        ids.push_back(t.Add("m" + a.text, ""));
        MacroExtras extras;
        extras.abbreviation = a.text;
        extras.expandImmediately = a.immediate;
        extras.matchCase = a.matchCase;
        extras.filter = a.filter;
        t.lib.SetExtras(ids.back(), extras);
    }
    StepClock clock;
    CAbbreviationMatcher matcher(clock);
    matcher.Update(t.lib);
    std::optional<AbbreviationHit> hit;
    const std::string& typed = c.typed;
    for (size_t i = 0; i < typed.size();) {
        clock.ms += 100;
        if (typed[i] == '|') {
            matcher.OnBackspace();
            hit.reset();
            ++i;
            continue;
        }
        if (typed[i] == '~') {
            clock.ms += 3000;
            ++i;
            continue;
        }
        if (typed[i] == '#') {
            matcher.Clear();
            ++i;
            continue;
        }
        size_t length = 1;
        while (i + length < typed.size() && (typed[i + length] & 0xC0) == 0x80)
            ++length;
        hit = matcher.OnTyped(typed.substr(i, length), c.window, c.password);
        i += length;
    }
    if (c.macro < 0) {
        EXPECT_FALSE(hit.has_value()) << hit->macroId;
        return;
    }
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->macroId, ids[static_cast<size_t>(c.macro)]);
    EXPECT_EQ(hit->erase, c.erase);
    EXPECT_EQ(hit->wordEnd, c.wordEnd);
    EXPECT_EQ(hit->typedCase, c.typedCase);
}

const std::vector<Abbreviation> kSig = {{";sig"}};

INSTANTIATE_TEST_SUITE_P(
    Table, Typing,
    ::testing::Values(
        TypingCase{"SpaceEndsIt", kSig, "hi ;sig ", 0, 5, " "},
        TypingCase{"EnterEndsIt", kSig, ";sig\n", 0, 5, "\n"},
        TypingCase{"PunctuationEndsIt", {{"brb"}}, "brb,", 0, 4, ","},
        TypingCase{"NotWithoutAWordEnd", kSig, ";sig", -1, 0, ""},
        TypingCase{"NotInsideAWord", {{"brb"}}, "abrb ", -1, 0, ""},
        TypingCase{"AfterPunctuation", {{"brb"}}, "(brb ", 0, 4, " "},
        TypingCase{"PunctuationLedInsideAWord", kSig, "text;sig ", 0, 5, " "},
        TypingCase{"SmileyImmediately", {{":)", true}}, "hi:)", 0, 2, ""},
        TypingCase{"Immediately", {{"@@", true}}, "me @@", 0, 2, ""},
        TypingCase{"LongestWins", {{"sig"}, {";sig"}}, ";sig ", 1, 5, " "},
        TypingCase{"LongestWinsWhicheverComesFirst", {{";sig"}, {"sig"}}, ";sig ", 0, 5, " "},
        TypingCase{"FirstInLibraryAmongEquals", {{"ty"}, {"ty"}}, "ty ", 0, 3, " "},
        TypingCase{"CaseMustMatchUnlessAsked", kSig, ";Sig ", -1, 0, ""},
        TypingCase{"CaseFollowsCapital",
                   {{";sig", false, true}},
                   ";Sig ",
                   0,
                   5,
                   " ",
                   TypedCase::Capitalized},
        TypingCase{
            "CaseFollowsUpper", {{";sig", false, true}}, ";SIG ", 0, 5, " ", TypedCase::Upper},
        TypingCase{"CaseAsWritten", {{";Sig", false, true}}, ";Sig ", 0, 5, " "},
        TypingCase{
            "CyrillicCase", {{"спс", false, true}}, "Спс ", 0, 4, " ", TypedCase::Capitalized},
        TypingCase{"BackspaceMends", kSig, ";six|g ", 0, 5, " "},
        TypingCase{"BackspaceIntoUnseenText", {{"brb"}}, "x#|brb ", -1, 0, ""},
        TypingCase{"IdleForgets", kSig, ";si~g ", -1, 0, ""},
        TypingCase{"ClickForgets", kSig, ";si#g ", -1, 0, ""},
        TypingCase{"AfterIdleAWordStarts", {{"brb"}}, "x~brb ", 0, 4, " "},
        TypingCase{"PasswordNever", kSig, ";sig ", -1, 0, "", TypedCase::AsWritten, &kEditor, true},
        TypingCase{"FilterElsewhere",
                   {{";sig", false, false, {"xterm"}}},
                   ";sig ",
                   -1,
                   0,
                   "",
                   TypedCase::AsWritten,
                   &kEditor},
        TypingCase{"FilterThere",
                   {{";sig", false, false, {"xterm"}}},
                   ";sig ",
                   0,
                   5,
                   " ",
                   TypedCase::AsWritten,
                   &kXterm},
        TypingCase{"FilteredLongerGivesWay",
                   {{"sig"}, {";sig", false, false, {"xterm"}}},
                   ";sig ",
                   0,
                   4,
                   " "},
        TypingCase{
            "ThirtyTwoCharacters", {{std::string(32, 'z')}}, std::string(40, 'z') + " ", -1, 0, ""},
        TypingCase{"ThirtyTwoAfterASpace",
                   {{std::string(32, 'z')}},
                   "a " + std::string(32, 'z') + " ",
                   0,
                   33,
                   " "}),
    LabelName());

// Several characters at once (an input method's commit): a hit counts only
// when it is the last of them, so the erase never takes later text.
TEST(Abbreviations, HitMustBeTheLastCharacterTyped) {
    CTriggerLibrary t;
    const int32_t id = t.Add("brb", "");
    MacroExtras extras;
    extras.abbreviation = "brb";
    t.lib.SetExtras(id, extras);
    StepClock clock;
    CAbbreviationMatcher matcher(clock);
    matcher.Update(t.lib);
    EXPECT_FALSE(matcher.OnTyped("brb x", &kEditor).has_value());
    matcher.Clear();
    const auto hit = matcher.OnTyped("brb ", &kEditor);
    ASSERT_TRUE(hit.has_value());
    EXPECT_EQ(hit->erase, 4u);
    // A library change is seen at the next Update.
    t.lib.SetExtras(id, MacroExtras{});
    matcher.Update(t.lib);
    EXPECT_EQ(matcher.Count(), 0u);
}

TEST(Abbreviations, ReplacementFollowsTheTypedCase) {
    EXPECT_EQ(ApplyTypedCase("signature ok", TypedCase::Capitalized), "Signature ok");
    EXPECT_EQ(ApplyTypedCase("— signature", TypedCase::Capitalized), "— Signature");
    EXPECT_EQ(ApplyTypedCase("große straße", TypedCase::Upper), "GROßE STRAßE");
    EXPECT_EQ(ApplyTypedCase("привет, ёж", TypedCase::Upper), "ПРИВЕТ, ЁЖ");
    EXPECT_EQ(ApplyTypedCase("a\xff", TypedCase::Upper), "A\xff");
}

} // namespace

namespace {

// The expansion typed for a hit: Backspaces, the text, the word end, the
// caret moves; placeholders filled at that moment.
TEST(Expansion, TypesTheReplacementAndPutsTheCaret) {
    const ScopedTimeZone zone("Asia/Tokyo");
    const int64_t when = 1'700'000'000; // 2023-11-15 07:13:20 in Tokyo
    const struct {
        std::string replacement;
        TypedCase typedCase;
        std::string clipboard;
        std::string wordEnd;
        std::string keys; // after the Backspaces
    } cases[] = {
        {"Signature", TypedCase::AsWritten, "", " ", "Signature "},
        {"signature", TypedCase::Capitalized, "", "", "Signature"},
        {"<b>$|$</b>", TypedCase::AsWritten, "", "", "<<>b><<>/b><LEFT><LEFT><LEFT><LEFT>"},
        {"($|$)", TypedCase::AsWritten, "", " ", "() <LEFT><LEFT>"},
        {"a\r\n$|$b\r\nc", TypedCase::AsWritten, "", "", "a\r\nb\r\nc<LEFT><LEFT><LEFT>"},
        {"re: {clipboard}!", TypedCase::Upper, "x<y\x01z", "", "RE: x<<>yz!"},
        {"{clipboard} ok", TypedCase::Capitalized, "mixed", "", "mixed Ok"},
        {"{date:%Y-%m-%d} {date:} {nodate}", TypedCase::AsWritten, "", "", "2023-11-15  {nodate}"},
        {"{date:%Y", TypedCase::AsWritten, "", "", "{date:%Y"},
        {"€$|$€$|$", TypedCase::AsWritten, "", "", "€€$|$<LEFT><LEFT><LEFT><LEFT>"},
    };
    for (const auto& c : cases) {
        AbbreviationHit hit;
        hit.erase = 2;
        hit.wordEnd = c.wordEnd;
        hit.typedCase = c.typedCase;
        EXPECT_EQ(ExpansionKeys(hit, c.replacement, c.clipboard, when), "<BKSP><BKSP>" + c.keys)
            << c.replacement;
    }
}

// Whatever the text, the keys type exactly its characters.
TEST(Expansion, LiteralKeysTypeTheTextAsItStands) {
    const std::string text = "<CTRL>c <x> <<>> <ENTER> ü\t";
    const TypeKeysPlan plan = ParseTypeKeys(LiteralKeys(text));
    ASSERT_TRUE(plan.Ok()) << plan.error;
    std::u32string typed;
    for (const KeyAction& action : plan.actions)
        typed += action.code == vk::Tab ? U'\t' : action.character;
    EXPECT_EQ(typed, U"<CTRL>c <x> <<>> <ENTER> ü\t");
}

} // namespace
