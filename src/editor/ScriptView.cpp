#include "editor/ScriptView.h"

#include "editor/EditorLayout.h"
#include "editor/ScriptHighlighter.h"
#include "engine/Lexer.h"
#include "library/AtomicFile.h"
#include "ports/MessageBox.h"
#include "views/QtText.h"
#include "ports/UiText.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QScrollBar>
#include <QStringListModel>
#include <QTextBlock>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <sys/stat.h>
#include <utility>

namespace {
// The line numbers and the error marker left of the text.
class CLineGutter : public QWidget {
public:
    explicit CLineGutter(CScriptView* owner) : QWidget(owner), view(owner) {}
    QSize sizeHint() const override { return {view->GutterWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { view->PaintGutter(event, this); }

private:
    CScriptView* view;
};
} // namespace

QStringList CScriptView::StatementKeywords() {
    QStringList words;
    for (std::string_view word : tessera::Keywords())
        if (!tessera::IsTypeKeyword(word))
            words << QString::fromLatin1(word.data(), qsizetype(word.size()));
    return words;
}

QStringList CScriptView::TypeKeywords() {
    QStringList words;
    for (std::string_view word : tessera::Keywords())
        if (tessera::IsTypeKeyword(word))
            words << QString::fromLatin1(word.data(), qsizetype(word.size()));
    return words;
}

CScriptView::CScriptView(IMessageBox& messageBox, QWidget* parent)
    : QPlainTextEdit(parent), messages(messageBox) {
    setObjectName(QStringLiteral("scriptView"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    setFont(fixed);
    setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);

    highlighter = new CScriptHighlighter(document());
    highlighter->AddStatementKeywords(StatementKeywords());
    highlighter->AddTypeKeywords(TypeKeywords());

    gutter = new CLineGutter(this);
    connect(this, &QPlainTextEdit::blockCountChanged, this,
            [this] { setViewportMargins(GutterWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy)
            gutter->scroll(0, dy);
        else
            gutter->update(0, rect.y(), gutter->width(), rect.height());
    });
    setViewportMargins(GutterWidth(), 0, 0, 0);

    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        Q_EMIT lineReport(textCursor().blockNumber() + 1);
        viewport()->update(); // the current line and the bracket pair
    });

    completionModel = new QStringListModel(this);
    completer = new QCompleter(completionModel, this);
    completer->setWidget(this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    connect(completer, qOverload<const QString&>(&QCompleter::activated), this,
            &CScriptView::InsertCompletion);

    pieceTimer = new QTimer(this);
    pieceTimer->setInterval(0);
    connect(pieceTimer, &QTimer::timeout, this, &CScriptView::AppendPiece);

    // Live diagnostics: compiled a moment after the typing stops.
    auto* checkTimer = new QTimer(this);
    checkTimer->setObjectName(QStringLiteral("diagnosticTimer"));
    checkTimer->setSingleShot(true);
    checkTimer->setInterval(400);
    connect(checkTimer, &QTimer::timeout, this, [this] {
        if (document()->characterCount() > kBackgroundCheckChars)
            CheckInBackground();
        else
            CheckNow();
    });
    connect(document(), &QTextDocument::contentsChanged, checkTimer, qOverload<>(&QTimer::start));
}

std::string CScriptView::FullPath() const {
    if (filePath.empty() || filePath.front() == '/' || baseFolder.empty())
        return filePath;
    return baseFolder + "/" + filePath;
}

CScriptView::DiskStamp CScriptView::StampOf(const std::string& path) const {
    DiskStamp stamp;
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.size = info.st_size;
    stamp.mtimeNs = (long long)info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
    return stamp;
}

bool CScriptView::Load(const std::string& path, std::string* error) {
    return LoadAs(path, std::nullopt, error);
}

bool CScriptView::LoadInPieces(const std::string& path, std::string* error) {
    inPieces = true;
    const bool loaded = LoadAs(path, std::nullopt, error);
    inPieces = false;
    return loaded;
}

bool CScriptView::LoadAs(const std::string& path, std::optional<ScriptEncoding> encoding,
                         std::string* error) {
    const std::string previous = filePath;
    filePath = path;
    const std::string full = FullPath();
    filePath = previous;
    std::string bytes;
    std::string why;
    if (!ReadRegularFile(full, bytes, &why)) {
        if (error)
            *error = why;
        return false;
    }
    ScriptFormat read = DetectScriptFormat(bytes);
    if (encoding && *encoding != read.encoding) {
        read.encoding = *encoding;
        read.bom = read.Utf8() && bytes.starts_with("\xEF\xBB\xBF");
    }
    std::string text;
    if (!ScriptBytesToText(bytes, read, text, error))
        return false;
    format = read;
    ShowLoadedText(Text(text));
    loadedBytes = std::move(bytes);
    loadedFormat = format;
    filePath = path;
    diskStamp = StampOf(full);
    SetModified(false);
    return true;
}

// The text as it will be written: no-break spaces stay what they are (the
// plain-text view of the document would make them blanks). Text still
// arriving is part of it.
QString CScriptView::ScriptText() const {
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    if (IsLoading())
        text += QStringView(pendingText).mid(pendingAt);
    return text;
}

namespace {
// A piece of a large script: about this many characters, up to a line end.
constexpr qsizetype kPieceChars = 128 * 1024;

qsizetype PieceEnd(const QString& text, qsizetype from) {
    if (text.size() - from <= kPieceChars)
        return text.size();
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), from + kPieceChars);
    return lineEnd < 0 ? text.size() : lineEnd + 1;
}
} // namespace

// A large script is shown from its first piece; the rest follows piece by
// piece from the event loop, so the window paints and the progress bar
// moves. Until the last piece the text is read-only and nothing is undone.
void CScriptView::ShowLoadedText(QString text) {
    StopPieces();
    if (!inPieces || text.size() <= 2 * kPieceChars) {
        setPlainText(text);
        return;
    }
    const qsizetype first = PieceEnd(text, 0);
    setReadOnly(true);
    document()->setUndoRedoEnabled(false);
    setPlainText(text.left(first));
    pendingText = std::move(text);
    pendingAt = first;
    if (progress) {
        progress->setRange(0, int(pendingText.size() / 1024));
        progress->setValue(int(first / 1024));
        progress->show();
    }
    pieceTimer->start();
}

void CScriptView::AppendPiece() {
    if (!IsLoading())
        return;
    const qsizetype end = PieceEnd(pendingText, pendingAt);
    const bool modified = IsModified(); // a drop or a replace meanwhile stays changed
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(pendingText.mid(pendingAt, end - pendingAt));
    SetModified(modified);
    pendingAt = end;
    if (progress)
        progress->setValue(int(pendingAt / 1024));
    if (pendingAt < pendingText.size())
        return;
    StopPieces();
    Q_EMIT loadFinished();
}

void CScriptView::FinishLoading() {
    while (IsLoading())
        AppendPiece();
}

void CScriptView::StopPieces() {
    if (!IsLoading())
        return;
    pieceTimer->stop();
    pendingText = QString();
    pendingAt = 0;
    setReadOnly(false);
    document()->setUndoRedoEnabled(true);
    if (progress) {
        progress->setValue(0);
        progress->hide();
    }
}

void CScriptView::TakeRecoveredText(const std::string& path, const QString& text,
                                    const ScriptFormat& scriptFormat) {
    if (path != filePath) {
        // Nothing of this script was read: no bytes to write back, no disk
        // state to compare with.
        loadedBytes.clear();
        filePath = path;
        diskStamp = StampOf(FullPath());
    }
    format = scriptFormat;
    StopPieces();
    setPlainText(text);
}

bool CScriptView::ScanBlock(const QTextBlock& block) {
    const QByteArray line = block.text().toUtf8();
    return uses.ScanLine(std::string_view(line.constData(), size_t(line.size())));
}

void CScriptView::LoadPass() {
    FinishLoading();
    const int lines = document()->blockCount();
    if (progress)
        progress->setRange(0, lines);
    // One conversion of the whole text, then its lines in place: a large
    // script is not copied line by line.
    const QByteArray utf8 = ScriptText().toUtf8();
    const std::string_view text(utf8.constData(), size_t(utf8.size()));
    int done = 0;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        uses.ScanLine(text.substr(start, end - start));
        start = end + 1;
        if (progress && (++done % 4096 == 0 || done == lines))
            progress->setValue(done);
    }
    if (progress)
        progress->setValue(0);
    if (uses.UsesSeen())
        Q_EMIT usesChanged();
    Q_EMIT lineReport(textCursor().blockNumber() + 1);
    SetModified(false);
}

void CScriptView::Rescan() {
    FinishLoading();
    if (progress)
        progress->setRange(0, document()->blockCount());
    uses.BeginRescan();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        ScanBlock(block);
    if (progress)
        progress->setValue(0);
    if (uses.UsesSeen())
        Q_EMIT usesChanged();
}

// After an edit: a changed line that is a `use` statement rebuilds the whole
// list (a name may have been changed or removed); otherwise the window hears
// of uses seen earlier.
void CScriptView::LinePasses(int first, int last) {
    const int count = document()->blockCount();
    first = std::clamp(first, 0, count - 1);
    last = std::clamp(last, first, count - 1);
    bool useLine = false;
    for (int line = first; line <= last; ++line)
        useLine = ScanBlock(document()->findBlockByNumber(line)) || useLine;
    if (useLine)
        Rescan();
    else if (uses.UsesSeen())
        Q_EMIT usesChanged();
}

int CScriptView::LineOfPosition(int position) const {
    return document()->findBlock(position).blockNumber();
}

bool CScriptView::Save() {
    const std::string full = FullPath();
    const QByteArray utf8 = ScriptText().toUtf8();
    std::string bytes;
    std::string why;
    bool ok = ScriptTextToBytes(std::string_view(utf8.constData(), size_t(utf8.size())), format,
                                bytes, &why, loadedBytes, &loadedFormat);
    if (ok)
        ok = !full.empty() && WriteFileAtomically(full, bytes, &why);
    if (!ok) {
        std::string text = UiFormat(UI_TEXT("Wingmate", "Could not save: %1"), {filePath});
        if (!why.empty())
            text += "\n\n" + why;
        messages.Show(text, UI_TEXT("Wingmate", "Save Failed"), MessageButtons::Ok);
        return false;
    }
    loadedBytes = std::move(bytes);
    loadedFormat = format;
    diskStamp = StampOf(full);
    SetModified(false);
    return true;
}

bool CScriptView::IsModified() const {
    return document()->isModified();
}

void CScriptView::SetModified(bool modified) {
    document()->setModified(modified);
}

bool CScriptView::ChangedOnDisk() const {
    if (filePath.empty() || !diskStamp.exists)
        return false;
    return StampOf(FullPath()) != diskStamp;
}

void CScriptView::AcceptDiskState() {
    diskStamp = StampOf(FullPath());
}

bool CScriptView::ReadStamp(long long& size, long long& mtimeNs) const {
    size = diskStamp.size;
    mtimeNs = diskStamp.mtimeNs;
    return diskStamp.exists;
}

void CScriptView::SetReadStamp(long long size, long long mtimeNs) {
    diskStamp.exists = true;
    diskStamp.size = size;
    diskStamp.mtimeNs = mtimeNs;
}

void CScriptView::Cut() {
    cut();
    const int line = textCursor().blockNumber();
    LinePasses(line, line);
}

void CScriptView::Copy() {
    copy();
}

// The paste itself goes through insertFromMimeData, which runs the passes.
void CScriptView::Paste() {
    paste();
}

void CScriptView::Undo() {
    undo();
    const int line = textCursor().blockNumber();
    LinePasses(line, line);
}

void CScriptView::Redo() {
    redo();
    const int line = textCursor().blockNumber();
    LinePasses(line, line);
}

void CScriptView::InsertText(const QString& text) {
    FinishLoading();
    QTextCursor cursor = textCursor();
    const int firstLine = LineOfPosition(cursor.selectionStart());
    cursor.insertText(text);
    setTextCursor(cursor);
    LinePasses(firstLine, cursor.blockNumber());
}

void CScriptView::insertFromMimeData(const QMimeData* source) {
    const int firstLine = LineOfPosition(textCursor().selectionStart());
    QPlainTextEdit::insertFromMimeData(source);
    LinePasses(firstLine, textCursor().blockNumber());
}

void CScriptView::CaretToPoint(const QPoint& globalPoint) {
    QTextCursor cursor = cursorForPosition(viewport()->mapFromGlobal(globalPoint));
    cursor.movePosition(QTextCursor::StartOfBlock);
    setTextCursor(cursor);
}

void CScriptView::GoToLine(int line) {
    FinishLoading();
    const QTextBlock block = document()->findBlockByNumber(std::max(0, line - 1));
    if (!block.isValid())
        return;
    setTextCursor(QTextCursor(block));
    centerCursor();
}

void CScriptView::keyPressEvent(QKeyEvent* event) {
    if (completer->popup()->isVisible()) {
        switch (event->key()) {
        case Qt::Key_Enter:
        case Qt::Key_Return:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            event->ignore(); // the completer takes them
            return;
        default:
            break;
        }
    }
    if (event->key() == Qt::Key_Space && (event->modifiers() & Qt::ControlModifier)) {
        ShowCompletion();
        return;
    }
    if (HandleEditingKey(event))
        return;
    const int firstLine = LineOfPosition(textCursor().selectionStart());
    const int revision = document()->revision();
    QPlainTextEdit::keyPressEvent(event);
    // Only keys that changed the text need the line pass.
    if (document()->revision() != revision) {
        const int lastLine = textCursor().blockNumber();
        LinePasses(std::min(firstLine, lastLine), std::max(firstLine, lastLine));
    }
    if (completer->popup()->isVisible()) {
        QTextCursor cursor = textCursor();
        cursor.select(QTextCursor::WordUnderCursor);
        completer->setCompletionPrefix(cursor.selectedText());
    }
}

void CScriptView::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    const QRect area = contentsRect();
    gutter->setGeometry(area.left(), area.top(), GutterWidth(), area.height());
}

// ---- drops: a declaration dragged from the tree lands at the line under
// the pointer; a drag inside the text moves text as usual ----

void CScriptView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->source() != this && event->mimeData()->hasText()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void CScriptView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->source() != this && event->mimeData()->hasText()) {
        CaretToPoint(viewport()->mapToGlobal(event->position().toPoint()));
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragMoveEvent(event);
}

void CScriptView::dropEvent(QDropEvent* event) {
    if (event->source() != this && event->mimeData()->hasText()) {
        setFocus();
        CaretToPoint(viewport()->mapToGlobal(event->position().toPoint()));
        InsertText(event->mimeData()->text());
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dropEvent(event);
}

// ---- names: colouring and completion ----

void CScriptView::AddKeywords(const std::string& commaList) {
    QStringList names;
    for (const QString& name : Text(commaList).split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!name.trimmed().isEmpty())
            names << name.trimmed();
    functionNames << names;
    highlighter->AddFunctionNames(names);
}

void CScriptView::ShowCompletion() {
    completionModel->setStringList(CompletionWords());
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::StartOfWord, QTextCursor::KeepAnchor);
    completer->setCompletionPrefix(cursor.selectedText());
    QRect rect = cursorRect();
    rect.setWidth(completer->popup()->sizeHintForColumn(0) +
                  completer->popup()->verticalScrollBar()->sizeHint().width());
    completer->complete(rect);
}

void CScriptView::InsertCompletion(const QString& word) {
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::StartOfWord, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    InsertText(word);
}

// ---- diagnostics ----

ScriptDiagnostic CScriptView::CheckNow() {
    if (IsLoading())
        return diagnostic; // checked when the last piece is in
    ++checkGeneration;     // a check still running in the background is stale now
    std::string path, source;
    CheckInput(path, source);
    TakeDiagnostic(CheckScript(path, source));
    return diagnostic;
}

// The compile of a large script runs on a thread of its own, so the window
// keeps painting; its result is taken unless the text changed meanwhile.
void CScriptView::CheckInBackground() {
    if (IsLoading())
        return;
    if (checkThread) {
        checkAgain = true; // when the running one ends
        return;
    }
    const int generation = ++checkGeneration;
    auto input = std::make_shared<std::pair<std::string, std::string>>();
    CheckInput(input->first, input->second);
    auto result = std::make_shared<ScriptDiagnostic>();
    checkThread =
        QThread::create([input, result] { *result = CheckScript(input->first, input->second); });
    connect(checkThread, &QThread::finished, this, [this, generation, result] {
        checkThread->deleteLater();
        checkThread = nullptr;
        if (generation == checkGeneration)
            TakeDiagnostic(*result);
        if (std::exchange(checkAgain, false))
            CheckInBackground();
    });
    checkThread->start();
}

void CScriptView::CheckInput(std::string& path, std::string& source) const {
    const QByteArray utf8 = ScriptText().toUtf8();
    source.assign(utf8.constData(), size_t(utf8.size()));
    if (!format.Utf8()) {
        std::string bytes;
        if (ScriptTextToBytes(source, format, bytes, nullptr))
            source = std::move(bytes);
    }
    path = filePath.empty() ? (baseFolder.empty() ? "untitled.tsc" : baseFolder + "/untitled.tsc")
                            : FullPath();
    checkedPath = path;
}

void CScriptView::TakeDiagnostic(const ScriptDiagnostic& checked) {
    diagnostic = checked;
    if (diagnostic.failed && diagnostic.file != checkedPath)
        diagnostic.line = 0; // in an included file: no place here
    ShowDiagnostic();
    Q_EMIT diagnosticChanged();
}

CScriptView::~CScriptView() {
    if (checkThread)
        checkThread->wait(); // it reads nothing of ours, but must end before the program
}

void CScriptView::ShowRunError(const ScriptDiagnostic& error) {
    diagnostic = error;
    ShowDiagnostic();
}

void CScriptView::ShowDiagnostic() {
    QList<QTextEdit::ExtraSelection> marks;
    if (diagnostic.failed && diagnostic.line > 0) {
        const QTextBlock block = document()->findBlockByNumber(diagnostic.line - 1);
        if (block.isValid()) {
            // The engine counts columns in bytes.
            const QByteArray lineBytes = block.text().toUtf8();
            const int byteColumn = std::clamp(diagnostic.column - 1, 0, int(lineBytes.size()));
            const int column = int(QString::fromUtf8(lineBytes.left(byteColumn)).size());
            QTextCursor cursor(block);
            cursor.setPosition(block.position() + column);
            if (diagnostic.column > 0) {
                cursor.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
                if (!cursor.hasSelection())
                    cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
            }
            // No column (a run's error): the line's text.
            if (!cursor.hasSelection()) {
                cursor.setPosition(block.position());
                cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            }
            QTextEdit::ExtraSelection mark;
            mark.cursor = cursor;
            mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            mark.format.setUnderlineColor(QColor(220, 0, 0));
            marks << mark;
        }
    }
    setExtraSelections(marks);
    gutter->update();
}

// ---- the gutter ----

int CScriptView::GutterWidth() const {
    int digits = 1;
    for (int lines = std::max(1, blockCount()); lines >= 10; lines /= 10)
        ++digits;
    return 14 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(3, digits);
}

void CScriptView::PaintGutter(QPaintEvent* event, QWidget* area) {
    QPainter painter(area);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    const int lineHeight = fontMetrics().height();
    while (block.isValid() && top <= event->rect().bottom()) {
        if (block.isVisible()) {
            const int line = block.blockNumber() + 1;
            if (diagnostic.failed && diagnostic.line == line) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(QColor(220, 0, 0));
                const int size = std::max(6, lineHeight / 2);
                painter.drawEllipse(3, top + (lineHeight - size) / 2, size, size);
            }
            painter.setPen(palette().color(QPalette::PlaceholderText));
            painter.drawText(0, top, area->width() - 4, lineHeight, Qt::AlignRight,
                             QString::number(line));
        }
        top += qRound(blockBoundingRect(block).height());
        block = block.next();
    }
}

// ---- printing ----

void CScriptView::Print(QPrinter& printer) {
    FinishLoading();
    printer.setDocName(Text(filePath));
    QPainter painter;
    if (!painter.begin(&printer)) {
        messages.Show(UiFormat(UI_TEXT("Wingmate", "Could not print: %1"), {filePath}),
                      UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
        return;
    }
    const QFont printFont(font(), &printer);
    painter.setFont(printFont);
    const QFontMetrics metrics(printFont, &printer);
    const int resolution = std::max(1, printer.resolution());
    const int lineTwips = metrics.lineSpacing() * 1440 / resolution;
    const double pageMm = printer.pageLayout().fullRect(QPageLayout::Millimeter).height();
    const int advance = std::max(1, metrics.height());
    // Never past the printable area, whatever the page arithmetic allows.
    const int printable = printer.pageRect(QPrinter::DevicePixel).toRect().height();
    const int fits = std::max(1, (printable - kPrintOrigin) / advance);
    const int perPage = std::min(LinesPerPage(pageMm, lineTwips), fits);
    const int width = printer.pageRect(QPrinter::DevicePixel).toRect().width() - kPrintOrigin;

    int y = kPrintOrigin;
    int onPage = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (++onPage > perPage) {
            printer.newPage();
            y = kPrintOrigin;
            onPage = 1;
        }
        const QByteArray bytes = block.text().toUtf8();
        const QString line =
            Text(PrintableLine(std::string_view(bytes.constData(), size_t(bytes.size()))));
        painter.drawText(QRect(kPrintOrigin, y, std::max(1, width), advance),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs,
                         line);
        y += advance;
    }
    painter.end();
}
