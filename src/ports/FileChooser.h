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
    // The same, starting in `folder` (empty: where the dialog likes).
    virtual std::vector<std::string> OpenFilesIn(const std::string& filter, bool multiple,
                                                 const std::string& folder) {
        (void)folder;
        return OpenFiles(filter, multiple);
    }
    // A dialog naming a file to write (it need not exist yet).
    virtual std::string SaveFile(const std::string& filter, const std::string& initial) = 0;
    // A dialog naming a file to write that asks before an existing file is
    // replaced and adds `suffix` (".tsc") to a name chosen without one.
    virtual std::string SaveFileAskingOverwrite(const std::string& filter,
                                                const std::string& suffix) {
        (void)suffix;
        return SaveFile(filter, std::string());
    }
    // A folder browser showing file-system folders only.
    virtual std::string ChooseFolder(const std::string& title) = 0;
};
