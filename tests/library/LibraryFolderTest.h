#pragma once
// A fixture that gives each test an empty library folder of its own.

#include "library/MacroLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

class LibraryFolderTest : public ::testing::Test {
protected:
    // Makes <temp>/<prefix><pid>-<test name> empty and points `lib` at it.
    void OpenFolder(const std::string& prefix) {
        dir = std::filesystem::temp_directory_path() /
              (prefix + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        lib.File().SetPaths(dir.string());
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::filesystem::path Library() const { return dir / "Macros.mcf"; }
    std::filesystem::path Backup() const { return dir / "Macros.bak"; }

    std::filesystem::path dir;
    CMacroLibrary lib;
};
