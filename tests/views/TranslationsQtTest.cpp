// The program's language: the translator chosen from the desktop's language
// list turns the main window's menus, the core's texts and Qt's own buttons
// German or French; English (the source) when none matches or English comes
// first.

#include "MainDlgFixture.h"

#include "program/EndQuestion.h"
#include "app/Translations.h"

#include <QAction>
#include <QLibraryInfo>
#include <QMenuBar>
#include <QtTest>

class TranslationsQtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { RemoveTranslations(*QCoreApplication::instance()); }

    void MenusFollowTheLanguage_data() {
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("fileMenu");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("yes");
        const QString english = QStringLiteral("End Wingmate?\nThe changes to the macros have not "
                                               "been saved.");
        QTest::newRow("German") << QStringList{QStringLiteral("de-DE"), QStringLiteral("de")}
                                << QStringLiteral("de_DE") << QStringLiteral("&Datei")
                                << QStringLiteral("Wingmate beenden?\nDie Änderungen an den "
                                                  "Makros wurden nicht gespeichert.")
                                << QStringLiteral("&Ja");
        QTest::newRow("French, Canada")
            << QStringList{QStringLiteral("fr-CA")} << QStringLiteral("fr_CA")
            << QStringLiteral("&Fichier")
            << QStringLiteral("Quitter Wingmate ?\nLes modifications des macros n'ont pas été "
                              "enregistrées.")
            << QStringLiteral("&Oui");
        QTest::newRow("untranslated first, then French")
            << QStringList{QStringLiteral("pt-BR"), QStringLiteral("fr")} << QStringLiteral("fr")
            << QStringLiteral("&Fichier")
            << QStringLiteral("Quitter Wingmate ?\nLes modifications des macros n'ont pas été "
                              "enregistrées.")
            << QStringLiteral("&Oui");
        QTest::newRow("English before German")
            << QStringList{QStringLiteral("en-GB"), QStringLiteral("de")} << QString()
            << QStringLiteral("&File") << english << QStringLiteral("&Yes");
        QTest::newRow("no translation") << QStringList{QStringLiteral("ja-JP")} << QString()
                                        << QStringLiteral("&File") << english
                                        << QStringLiteral("&Yes");
    }

    void MenusFollowTheLanguage() {
        QFETCH(QStringList, languages);
        QFETCH(QString, chosen);
        QFETCH(QString, fileMenu);
        QFETCH(QString, question);
        QFETCH(QString, yes);
        QCOMPARE(InstallTranslations(*QCoreApplication::instance(), languages,
                                     QStringLiteral(WINGMATE_TRANSLATIONS_DIR)),
                 chosen);

        Fixture fixture;
        const std::unique_ptr<CMainDlg> window = fixture.Make();
        QCOMPARE(window->menuBar()->actions().value(0)->text(), fileMenu);

        EscapeSituation situation;
        situation.unsavedEdits = true;
        QCOMPARE(QString::fromStdString(EscapeQuestion(situation)), question);

        // Qt's own texts, where the system has Qt's translations.
        const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!chosen.isEmpty() && !QFile::exists(qtFolder + QStringLiteral("/qtbase_") +
                                                chosen.left(2) + QStringLiteral(".qm")))
            return;
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), yes);
    }
};

QTEST_MAIN(TranslationsQtTest)
#include "TranslationsQtTest.moc"
