#pragma once
// Glimmer's plain logic: the declaration a picked window becomes, and adding
// it to a declarations file without ever losing what the file held.

#include <string>
#include <string_view>
#include <vector>

// A valid Tessera identifier made from a window class: letters, digits and
// "_" stay, every run of other characters becomes one "_"; a leading digit
// gets a "W" in front, a reserved word "Window" behind; nothing usable gives
// "Window".
std::string DeclNameFromClass(std::string_view windowClass);

// `base`, or base2, base3 ... : the first that is not in `taken`.
std::string UniqueDeclName(const std::string& base, const std::vector<std::string>& taken);

struct WindowRecordResult {
    std::string name;     // the declaration's name
    int declarations = 0; // in the file afterwards
};

// Appends a top-level Window declaration (Tag = title, Class = windowClass,
// Parent=1, Child=0, name made from the class and unique in the file) to the
// declarations file at `path`, creating it when missing. The file is read
// with the editor's reader first: one that does not read is left as it is
// and false comes back with `error`. Copies of Glimmer writing to files in
// one folder take turns, so no record is lost between them.
bool AppendWindowRecord(const std::string& path, const std::string& title,
                        const std::string& windowClass, WindowRecordResult& result,
                        std::string& error);
