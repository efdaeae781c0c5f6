#pragma once
// The file chooser through Qt's dialogs, owned by a parent window.

#include "wizard/FileChooser.h"

class QWidget;

class CQtFileChooser : public IFileChooser {
public:
    explicit CQtFileChooser(QWidget* parentWindow) : parent(parentWindow) {}
    std::vector<std::string> OpenFiles(const std::string& filter, bool multiple) override;
    std::string SaveFile(const std::string& filter, const std::string& initial) override;
    std::string SaveFileAskingOverwrite(const std::string& filter,
                                        const std::string& suffix) override;
    std::string ChooseFolder(const std::string& title) override;

private:
    QWidget* parent;
};
