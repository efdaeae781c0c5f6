#pragma once
// The Macro Wizard's core: the script file a macro name gets and the small
// scripts the wizard writes. Each generator appends its lines to the script
// text; one that refuses leaves the text as it was and says why.

#include <string>
#include <vector>

namespace wizard {

// The first line of every generated script.
inline constexpr char kScriptHeader[] = "#Created using Tessera Wingmate Macro Wizard v2.0\n";

// The entered name without blanks, tabs and line breaks on either side.
std::string TrimName(const std::string& name);

// The name with each character that cannot stand in a plain file name
// replaced by "_".
std::string ScriptFileStem(const std::string& name);

// home + "/Scripts/" + stem + ".tsc".
std::string ScriptFilePath(const std::string& home, const std::string& name);

// The text as the body of a script string literal: backslashes doubled,
// double quotes escaped, line breaks written as escapes.
std::string EscapeForLiteral(const std::string& text);

// The word as /bin/sh reads it: unchanged when it holds only characters the
// shell takes literally (or is already quoted), else in single quotes.
std::string QuoteForShell(const std::string& word);

// Open Application: a detached start of the executable with its parameters.
bool AppendOpenApplication(std::string& script, const std::string& executable,
                           const std::string& parameters, std::string& refusal);

// Alert Message: a message box showing the text (never refuses).
void AppendAlert(std::string& script, const std::string& text);

// Where TypeKeys Sequence took its keys from. Typed text is typed as it
// stands, so each "<" is written as the token "<<>" (else "<b>" would press
// b); a key combination from the key box is written as its key tokens.
enum class TypeKeysFrom { Text, Combination };

// TypeKeys Sequence: types the keys; line feeds become <ENTER>.
bool AppendTypeKeys(std::string& script, const std::string& keys, TypeKeysFrom from,
                    std::string& refusal);

// Copy Files / Folder: one CopyDir or CopyFile line per entry, in list order.
// Folder entries end in "/"; so does a destination chosen as a folder.
bool AppendCopy(std::string& script, const std::vector<std::string>& entries,
                const std::string& destination, std::string& refusal);

} // namespace wizard
