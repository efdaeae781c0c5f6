#include "views/QtFileChooser.h"

#include <QFileDialog>

std::vector<std::string> CQtFileChooser::OpenFiles(const std::string& filter, bool multiple) {
    return OpenFilesIn(filter, multiple, std::string());
}

std::vector<std::string> CQtFileChooser::OpenFilesIn(const std::string& filter, bool multiple,
                                                     const std::string& folder) {
    const QString qtFilter = QString::fromUtf8(filter);
    const QString start = QString::fromUtf8(folder);
    QStringList chosen;
    if (multiple) {
        chosen = QFileDialog::getOpenFileNames(parent, QString(), start, qtFilter);
    } else {
        const QString one = QFileDialog::getOpenFileName(parent, QString(), start, qtFilter);
        if (!one.isEmpty())
            chosen << one;
    }
    std::vector<std::string> paths;
    for (const QString& path : chosen)
        paths.push_back(path.toStdString());
    return paths;
}

// The wizard asks before it replaces a file, so the dialog does not.
std::string CQtFileChooser::SaveFile(const std::string& filter, const std::string& initial) {
    return QFileDialog::getSaveFileName(parent, QString(), QString::fromUtf8(initial),
                                        QString::fromUtf8(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite)
        .toStdString();
}

// Qt adds the suffix before it asks about overwriting, so the question names
// the file that is written.
std::string CQtFileChooser::SaveFileAskingOverwrite(const std::string& filter,
                                                    const std::string& suffix) {
    QFileDialog dialog(parent, QString(), QString(), QString::fromUtf8(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromUtf8(suffix).remove(0, suffix.starts_with('.') ? 1 : 0));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst().toStdString();
}

std::string CQtFileChooser::ChooseFolder(const std::string& title) {
    return QFileDialog::getExistingDirectory(parent, QString::fromUtf8(title), QString(),
                                             QFileDialog::ShowDirsOnly)
        .toStdString();
}

IFileChooser& FilesOwnedBy(QWidget* owner, IFileChooser& shared,
                           std::unique_ptr<IFileChooser>& own) {
    if (!dynamic_cast<CQtFileChooser*>(&shared))
        return shared;
    own = std::make_unique<CQtFileChooser>(owner);
    return *own;
}
