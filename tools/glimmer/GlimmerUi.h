#pragma once
// Glimmer's dialogs when it is started without a file (from the program's
// "Record Declarations" command, with no terminal to read): a file dialog to
// choose the declarations file and a box with the outcome. Built only with Qt.

#include <string>

// Asks for the declarations file to add to; false when the user cancelled.
bool ChooseDeclarationsFile(std::string& path);
// Shows the outcome of the recording in a message box.
void ShowOutcome(bool succeeded, const std::string& text);
