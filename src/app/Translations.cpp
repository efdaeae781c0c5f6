#include "app/Translations.h"

#include "library/HomeFolder.h"
#include "ports/UiText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <vector>

namespace {
// The installed translators; owned by the application object.
std::vector<QPointer<QTranslator>>& Installed() {
    static std::vector<QPointer<QTranslator>> translators;
    return translators;
}

bool Install(QCoreApplication& application, const QString& file, const QString& folder) {
    auto* translator = new QTranslator(&application);
    // load() also tries the name without its country ("wingmate_de_DE" finds
    // "wingmate_de").
    if (!translator->load(file, folder) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    Installed().push_back(translator);
    return true;
}

std::string TranslateUiText(const char* text) {
    return QCoreApplication::translate("Wingmate", text).toStdString();
}
} // namespace

QString TranslationsFolder() {
    const std::string executable = ExecutableFolder();
    const std::string installed = InstalledDataFolder(executable);
    return QString::fromStdString((installed.empty() ? executable : installed) + "/translations");
}

QString InstallTranslations(QCoreApplication& application, const QStringList& languages,
                            const QString& folder) {
    RemoveTranslations(application);
    SetUiTranslator(TranslateUiText);
    for (QString language : languages) {
        language.replace(QLatin1Char('-'), QLatin1Char('_'));
        // The texts are written in English: a preferred English needs nothing.
        if (language == QLatin1String("C") || language.startsWith(QLatin1String("en")))
            return {};
        if (!Install(application, QStringLiteral("wingmate_") + language, folder))
            continue;
        // Qt's own texts (the standard buttons); the program's stand without them.
        Install(application, QStringLiteral("qtbase_") + language,
                QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        return language;
    }
    return {};
}

void RemoveTranslations(QCoreApplication& application) {
    for (const QPointer<QTranslator>& translator : Installed()) {
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            if (translator->parent() == &application)
                delete translator.data();
        }
    }
    Installed().clear();
}
