#include "views/LogPage.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextOption>
#include <QVBoxLayout>

namespace {
constexpr int kTabGap = 8;

QString AskSavePath(QWidget* parent) {
    // Overwriting is confirmed by the dialog itself.
    return QFileDialog::getSaveFileName(parent, CLogPage::tr("Save Log File As"), QString(),
                                        CLogPage::tr("All Files (*)"));
}
} // namespace

CLogPage::CLogPage(IMessageBox& messageBox, CRunLog& log, QWidget* parent)
    : QWidget(parent), messages(messageBox), runLog(log), chooseSavePath(AskSavePath) {
    runLog.SetDisplay(this);

    auto* layout = new QVBoxLayout(this);
    auto* headings = new QHBoxLayout;
    // The first tab stop lies past the longest run time and the second just
    // after it, so the "%s\t\t%s" lines line up under the two headings.
    const int timeWidth = fontMetrics().horizontalAdvance(
                              QStringLiteral("Wednesday, September 30, 2026; at 00:00:00")) +
                          fontMetrics().horizontalAdvance(QStringLiteral("MM"));
    auto* runTime = new QLabel(tr("Run Time"), this);
    headings->setSpacing(0);
    headings->addSpacing(5); // the display's frame and document margin
    runTime->setFixedWidth(timeWidth + kTabGap);
    headings->addWidget(runTime);
    headings->addWidget(new QLabel(tr("Macro"), this), 1);
    layout->addLayout(headings);

    display = new QPlainTextEdit(this);
    display->setObjectName(QStringLiteral("logDisplay"));
    display->setAccessibleName(tr("Run Log"));
    display->setReadOnly(true);
    display->setUndoRedoEnabled(false);
    display->setLineWrapMode(QPlainTextEdit::NoWrap);
    display->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QTextOption option = display->document()->defaultTextOption();
    option.setTabs({QTextOption::Tab(timeWidth, QTextOption::LeftTab),
                    QTextOption::Tab(timeWidth + kTabGap, QTextOption::LeftTab)});
    display->document()->setDefaultTextOption(option);
    layout->addWidget(display, 1);

    auto* buttons = new QHBoxLayout;
    auto* clearFile = new QPushButton(tr("Clear Log File"), this);
    auto* saveAs = new QPushButton(tr("Save Log File As"), this);
    auto* clearDisplay = new QPushButton(tr("Clear Display"), this);
    clearFile->setObjectName(QStringLiteral("clearLogFile"));
    saveAs->setObjectName(QStringLiteral("saveLogFileAs"));
    clearDisplay->setObjectName(QStringLiteral("clearDisplay"));
    for (QPushButton* button : {clearFile, saveAs, clearDisplay}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    buttons->addWidget(new QLabel(tr("Log File: \"Wingmate.log\""), this));
    layout->addLayout(buttons);

    connect(clearFile, &QPushButton::clicked, this, &CLogPage::ClearLogFile);
    connect(saveAs, &QPushButton::clicked, this, &CLogPage::SaveLogFileAs);
    connect(clearDisplay, &QPushButton::clicked, this, &CLogPage::ClearLogDisplay);
}

CLogPage::~CLogPage() {
    runLog.SetDisplay(nullptr);
}

void CLogPage::AppendDisplayLine(const std::string& piece) {
    display->moveCursor(QTextCursor::End);
    display->insertPlainText(QString::fromUtf8(piece.data(), qsizetype(piece.size())) +
                             QLatin1Char('\n'));
    display->ensureCursorVisible();
}

void CLogPage::ClearDisplay() {
    display->clear();
}

QString CLogPage::DisplayText() const {
    return display->toPlainText();
}

void CLogPage::ClearLogFile() {
    runLog.ClearFile();
}

void CLogPage::SaveLogFileAs() {
    const QString target = chooseSavePath(this);
    if (!target.isEmpty())
        runLog.SaveCopyAs(target.toStdString(), messages);
}

void CLogPage::ClearLogDisplay() {
    runLog.ClearDisplay();
}

void CLogPage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        event->accept();
    else
        QWidget::keyPressEvent(event);
}
