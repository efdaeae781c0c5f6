// Typing and chords under the layouts users have: us, de, fr, and us,ru with
// either group active. The receiver reads while the keys are played, as an
// application does.
#include "XvfbSuite.h"

#include "fakes/TestSupport.h"
#include "x11/X11Desktop.h"

#include <gtest/gtest.h>

#include <future>

#include "TypingTarget.h"

#include <X11/XKBlib.h>

namespace {

// All of printable ASCII, German and French letters, the euro sign,
// Cyrillic, an emoji, Tab and Enter: 118 characters.
std::string TestCharacters() {
    std::string text;
    for (char c = 0x20; c < 0x7F; ++c)
        text += c;
    text += "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xE2\x82\xAC"; // äöüß€
    text += "\xC3\xA9\xC3\xA8\xC3\xA0\xC3\xA7";             // éèàç
    text += "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\xD0\xB6\xD0\xB8\xD0\xB7"
            "\xD0\xBD\xD1\x8C"; // приветжизнь
    text += "\xF0\x9F\x98\x80"; // 😀
    text += "\t\n";
    return text;
}

// The TypeKeys text that types `text`: a "<" is written as the token "<<>".
std::string AsKeys(const std::string& text) {
    std::string keys;
    for (char c : text)
        keys += c == '<' ? std::string("<<>") : std::string(1, c);
    return keys;
}

struct Layout {
    std::string label;
    std::string layouts; // setxkbmap -layout
    int group;           // locked while typing
};

class TypingUnderLayouts : public XvfbSuiteTest, public ::testing::WithParamInterface<Layout> {
protected:
    void SetUp() override {
        REQUIRE_XVFB(*server);
        if (!CXvfb::HasProgram("setxkbmap"))
            GTEST_SKIP() << "setxkbmap is not installed (x11-xkb-utils)";
        ASSERT_EQ(server->SetKeymap({"-layout", GetParam().layouts}), "");
        std::string why;
        desktop = CX11Desktop::Open(&why, {}, server->Name());
        ASSERT_NE(desktop, nullptr) << why;
        target = std::make_unique<CTypingTarget>(server->Name());
        ASSERT_NE(target->display, nullptr);
        XkbLockGroup(target->display, XkbUseCoreKbd, static_cast<unsigned>(GetParam().group));
        XSync(target->display, False);
    }
    void TearDown() override {
        target.reset();
        desktop.reset();
    }
    // Types while the target reads; what it got.
    std::string TypeAndReceive(const std::string& keys, size_t expectedBytes) {
        auto typing = std::async(std::launch::async, [&] {
            return desktop->TypeKeys(keys, KeyPacing{2, 2}, {});
        });
        std::string received = target->Received(expectedBytes, std::chrono::seconds(5));
        const DesktopResult result = typing.get();
        EXPECT_TRUE(result.ok) << result.error;
        return received;
    }
    int LockedGroup() {
        XkbStateRec state{};
        XkbGetState(target->display, XkbUseCoreKbd, &state);
        return state.locked_group;
    }

    std::unique_ptr<CX11Desktop> desktop;
    std::unique_ptr<CTypingTarget> target;
};

TEST_P(TypingUnderLayouts, EveryCharacterArrivesAsWritten) {
    const std::string text = TestCharacters();
    EXPECT_EQ(TypeAndReceive(AsKeys(text), text.size()), text);
    EXPECT_EQ(LockedGroup(), GetParam().group) << "the user's layout group is put back";
}

TEST_P(TypingUnderLayouts, ChordsPressTheLatinLetter) {
    const std::string expected = "^cM-f^M-z^vq";
    EXPECT_EQ(TypeAndReceive("<CTRL>c<ALT>f<CTRL><ALT>z<CTRL>Vq", expected.size()), expected);
    EXPECT_EQ(LockedGroup(), GetParam().group);
}

INSTANTIATE_TEST_SUITE_P(Layouts, TypingUnderLayouts,
                         ::testing::Values(Layout{"us", "us", 0}, Layout{"de", "de", 0},
                                           Layout{"fr", "fr", 0}, Layout{"usruLatin", "us,ru", 0},
                                           Layout{"usruCyrillic", "us,ru", 1}),
                         [](const auto& each) { return each.param.label; });

} // namespace
