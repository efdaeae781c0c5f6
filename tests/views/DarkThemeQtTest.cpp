// Readable on a dark theme: the trees that stay white, and the script
// editor's colours.

#include "editor/DecTree.h"
#include "editor/ScriptHighlighter.h"
#include "views/PopupTree.h"

#include <QApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

QPalette DarkPalette(QPalette colours) {
    colours.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    colours.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
    colours.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    colours.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    return colours;
}

// Contrast ratio of two colours (WCAG): 1 to 21.
double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class DarkThemeQtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The trees stay white on a dark theme; their text must then be dark,
    // whether the theme was dark at start or switched to while they show.
    void treesStayReadableOnDarkThemes_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("darkFirst");
        for (const char* name : {"macro tree", "quick menu", "declarations"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, dark at start").arg(name)))
                << name << true;
            QTest::newRow(qPrintable(QStringLiteral("%1, switched").arg(name))) << name << false;
        }
    }
    void treesStayReadableOnDarkThemes() {
        QFETCH(QString, kind);
        QFETCH(bool, darkFirst);
        const QPalette light = QApplication::palette();
        const QPalette dark = DarkPalette(light);
        if (darkFirst)
            QApplication::setPalette(dark);
        std::unique_ptr<QWidget> view;
        if (kind == QStringLiteral("declarations")) {
            view = std::make_unique<TDecTree>();
        } else {
            auto macros = std::make_unique<CMacroTree>();
            if (kind == QStringLiteral("quick menu"))
                macros = std::make_unique<CPopupTree>(nullptr);
            macros->Initialize();
            view = std::move(macros);
        }
        view->show();
        if (!darkFirst)
            QApplication::setPalette(dark);
        QCoreApplication::processEvents();
        const QColor base = view->palette().color(QPalette::Base);
        const QColor text = view->palette().color(QPalette::Text);
        QApplication::setPalette(light);
        QCOMPARE(base, QColor(Qt::white));
        QVERIFY2(Contrast(base, text) >= 4.5, qPrintable(text.name()));
    }

    // Every colour the script editor gives a word stands out from the
    // paper, light or dark, also after the theme is switched while open.
    void scriptColoursStandOutOnEitherPaper_data() {
        QTest::addColumn<bool>("darkFirst");
        QTest::addColumn<bool>("darkThen");
        QTest::newRow("light") << false << false;
        QTest::newRow("dark") << true << true;
        QTest::newRow("switched to dark") << false << true;
        QTest::newRow("switched to light") << true << false;
    }
    void scriptColoursStandOutOnEitherPaper() {
        QFETCH(bool, darkFirst);
        QFETCH(bool, darkThen);
        const QPalette light = QApplication::palette();
        const QPalette dark = DarkPalette(light);
        QApplication::setPalette(darkFirst ? dark : light);
        QTextDocument document(QStringLiteral("Print(\"x\") // note\nif x\nFoo"));
        CScriptHighlighter highlighter(&document);
        highlighter.AddStatementKeywords({QStringLiteral("if")});
        highlighter.AddFunctionNames({QStringLiteral("Print")});
        QApplication::setPalette(darkThen ? dark : light);
        const QColor paper = QApplication::palette().color(QPalette::Base);
        QList<QColor> inks;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            for (const QTextLayout::FormatRange& range : block.layout()->formats())
                inks.append(range.format.foreground().color());
        QApplication::setPalette(light);
        QCOMPARE(inks.size(), 4); // function, string, comment, statement
        for (const QColor& ink : inks)
            QVERIFY2(Contrast(ink, paper) >= 3.0, qPrintable(ink.name()));
    }
};

QTEST_MAIN(DarkThemeQtTest)
#include "DarkThemeQtTest.moc"
