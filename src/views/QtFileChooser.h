#pragma once
// The file chooser through Qt's dialogs, owned by a parent window.

#include "ports/FileChooser.h"

#include <memory>

class QWidget;

class CQtFileChooser : public IFileChooser {
public:
    explicit CQtFileChooser(QWidget* parentWindow) : parent(parentWindow) {}
    void SetOwner(QWidget* parentWindow) { parent = parentWindow; }
    std::vector<std::string> OpenFiles(const std::string& filter, bool multiple) override;
    std::vector<std::string> OpenFilesIn(const std::string& filter, bool multiple,
                                         const std::string& folder) override;
    std::string SaveFile(const std::string& filter, const std::string& initial) override;
    std::string SaveFileAskingOverwrite(const std::string& filter,
                                        const std::string& suffix) override;
    std::string ChooseFolder(const std::string& title) override;

private:
    QWidget* parent;
};

// The file dialogs a window opens: when `shared` is the desktop's, dialogs of
// its own (made in `own`) so that they belong to `owner` and open in front of
// it; any other chooser (a test's) stays shared.
IFileChooser& FilesOwnedBy(QWidget* owner, IFileChooser& shared,
                           std::unique_ptr<IFileChooser>& own);
