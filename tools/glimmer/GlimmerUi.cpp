#include "GlimmerUi.h"

#include "app/Translations.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>

#include <memory>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "Glimmer";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app = [] {
        auto made = std::make_unique<QApplication>(argc, argv);
        InstallTranslations(*made, QLocale::system().uiLanguages(), TranslationsFolder());
        return made;
    }();
    return *app;
}

} // namespace

bool ChooseDeclarationsFile(std::string& path) {
    App();
    // Started from the program, the current folder is its home: scripts, and
    // the declarations files beside them, live in its Scripts folder.
    const QDir here = QDir::current();
    const QString start = here.exists(QStringLiteral("Scripts"))
                              ? here.filePath(QStringLiteral("Scripts"))
                              : here.path();
    // Appending, not replacing: an existing file gets no overwrite question.
    const QString chosen = QFileDialog::getSaveFileName(
        nullptr,
        QCoreApplication::translate("Glimmer", "Glimmer - Choose the declarations file, then click "
                                               "the window to record"),
        start, QCoreApplication::translate("Glimmer", "Window Declarations (*.dec);;All Files (*)"),
        nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return false;
    path = chosen.toStdString();
    return true;
}

void ShowOutcome(bool succeeded, const std::string& text) {
    App();
    if (succeeded)
        QMessageBox::information(nullptr, QStringLiteral("Glimmer"), QString::fromStdString(text));
    else
        QMessageBox::warning(nullptr, QStringLiteral("Glimmer"), QString::fromStdString(text));
}
