#pragma once
// Port: the file and folder dialogs the wizard opens, so tests can answer
// them. Every answer is empty when the user cancelled.

#include <string>
#include <vector>

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // An open dialog; several paths when `multiple`. `filter` is in Qt's
    // form ("Name (*.ext);;All Files (*)").
    virtual std::vector<std::string> OpenFiles(const std::string& filter, bool multiple) = 0;
    // A dialog naming a file to write (it need not exist yet).
    virtual std::string SaveFile(const std::string& filter, const std::string& initial) = 0;
    // A folder browser showing file-system folders only.
    virtual std::string ChooseFolder(const std::string& title) = 0;
};
