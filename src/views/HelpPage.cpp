#include "views/HelpPage.h"

#include "library/HomeFolder.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QString>

#include <filesystem>

void OpenHelpPage(const std::string& home, const std::string& file,
                  const std::function<bool(const QUrl&)>& openUrl, IMessageBox& messages) {
    const std::string path = FindShippedFile(home, ExecutableFolder(), "help/" + file);
    std::error_code error;
    bool opened = false;
    if (std::filesystem::is_regular_file(path, error)) {
        const QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
        opened = openUrl ? openUrl(url) : QDesktopServices::openUrl(url);
    }
    if (!opened)
        messages.Show(QCoreApplication::translate("HelpPage", "Could not open help file: %1")
                          .arg(QString::fromStdString(path))
                          .toStdString(),
                      QCoreApplication::translate("HelpPage", "Failed to open Help").toStdString(),
                      MessageButtons::Ok);
}
