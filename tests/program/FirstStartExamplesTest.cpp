#include "program/FirstStartExamples.h"

#include "engine/EngineTestUtil.h"
#include "fakes/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

// A typo in an example would greet a new user with a compile error.
TEST(FirstStartExamples, EveryScriptCompilesAndHelloRuns) {
    for (const ExampleMacro& example : ExampleMacros()) {
        CCaptureStream stream;
        CScript script(&stream, &stream);
        EXPECT_TRUE(script.LoadSource(example.scriptName, example.scriptText))
            << example.scriptName << ": " << stream.err;
    }
    CCaptureStream stream;
    CScript script(&stream, &stream);
    ASSERT_TRUE(script.LoadSource("Hello.tsc", ExampleMacros().front().scriptText));
    EXPECT_EQ(script.Run(), 0) << stream.err;
    EXPECT_EQ(stream.Out().rfind("Hello from Wingmate!\nTwo and three make 5.\nIt is now ", 0), 0u)
        << stream.Out();
}

TEST(FirstStartExamples, AddsTheSetAndKeepsAScriptTheUserAlreadyHas) {
    const fs::path home = fs::temp_directory_path() / ("examples-" + std::to_string(::getpid()));
    fs::remove_all(home);
    fs::create_directories(home / kExampleScriptsFolder);
    std::ofstream(home / kExampleScriptsFolder / "Hello.tsc") << "# mine\n";

    CMacroLibrary library;
    CMacro root;
    root.kind = static_cast<int32_t>(MacroKind::MacroSet);
    root.name = "My Macros";
    library.InsertRecord(root, -1, InsertPosition::Into);
    std::string error;
    ASSERT_TRUE(AddExamples(library, home.string(), &error)) << error;

    std::vector<std::string> names;
    CMacroLibrary::ForEachPreOrder(library.Root(), [&](CMacroNode& node) {
        names.push_back(node.name);
        if (!node.IsMacroSet()) {
            EXPECT_EQ(node.scheduleType, 0) << node.name;
            EXPECT_TRUE(node.triggerKey.empty()) << node.name;
            EXPECT_TRUE(fs::exists(home / node.scriptFile)) << node.scriptFile;
        }
        return true;
    });
    EXPECT_EQ(names, (std::vector<std::string>{"My Macros", "Examples", "Hello, Output page",
                                               "Ask and alert", "Open my files", "Type a line",
                                               "Clean up the selection"}));
    EXPECT_EQ(ReadFile(home / kExampleScriptsFolder / "Hello.tsc"), "# mine\n");
    fs::remove_all(home);
}
