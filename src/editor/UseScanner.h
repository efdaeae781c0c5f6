#pragma once
// Finding `use` statements in script lines: which declarations files a script
// names. Plain logic; the script control feeds it one line at a time.

#include <string>
#include <string_view>
#include <vector>

// Is position p of s inside a string literal, by the language's own rules
// (a quote in a comment opens none; a backslash takes the next character
// along)? p <= 0 is outside.
bool IsInsideString(std::string_view s, long p);

// The file names of a use list ("a.dec::b.dec::"), in order; text after the
// last "::" is ignored.
std::vector<std::string> UseListFiles(std::string_view useList);

// The folder declarations files named by a script are read from: the
// script's own folder (absolute), or empty for a script without a path.
std::string ScriptFolder(const std::string& scriptPath);

// The use list and the uses-seen flag of one script control.
class CScriptUses {
public:
    // Scans one line (at most its first 4096 bytes) for a `use` statement.
    // Sets the uses-seen flag when the line is one; appends the quoted name
    // and "::" to the use list unless one of its entries is that name (an
    // empty name is never added).
    // Returns true when the line was a use statement.
    bool ScanLine(std::string_view line);
    // A full rescan starts here: the use list is emptied.
    void BeginRescan() { useList.clear(); }
    // Clears the uses-seen flag and returns a copy of the use list.
    std::string TakeUseList();
    bool UsesSeen() const { return usesSeen; }
    void SetUsesSeen(bool seen) { usesSeen = seen; }
    const std::string& UseList() const { return useList; }

private:
    std::string useList;
    bool usesSeen = false;
};
