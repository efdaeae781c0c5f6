#pragma once
// The program's language: its own and Qt's translations for the desktop's
// language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG), English when none fits.

#include <QString>
#include <QStringList>

class QCoreApplication;

// Where the .qm files are: PREFIX/share/wingmate/translations when installed,
// else the translations folder beside the executable (the build tree).
QString TranslationsFolder();

// Installs the translators (and the core's UiText hook) for the first of `languages` ("de-DE",
// "fr") that has a translation in `folder`; an English entry before it keeps English. Returns the
// language chosen ("de", "fr_CA"), empty for English.
QString InstallTranslations(QCoreApplication& application, const QStringList& languages,
                            const QString& folder);

// Removes what InstallTranslations installed (English again).
void RemoveTranslations(QCoreApplication& application);
