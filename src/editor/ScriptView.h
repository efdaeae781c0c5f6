#pragma once
// CScriptView: the editor window's script text. Loads and saves one script
// keeping its bytes (line ends, encoding, no final newline), keeps the
// modified mark, runs the line pass after edits so the window learns when
// the script's `use` statements change, reports the caret's line, prints,
// colours, shows line numbers and the first compile error, completes names,
// and takes a declaration dropped from the tree at the line under the
// pointer.

#include "editor/ScriptBytes.h"
#include "editor/ScriptCheck.h"
#include "editor/UseScanner.h"

#include <QPlainTextEdit>

#include <optional>
#include <string>

class CScriptHighlighter;
class IMessageBox;
class QCompleter;
class QPrinter;
class QProgressBar;
class QStringListModel;
class QThread;
class QTimer;

class CScriptView : public QPlainTextEdit {
    Q_OBJECT
public:
    // The language's reserved words, from the engine's one list: the
    // statement words and the type names.
    static QStringList StatementKeywords();
    static QStringList TypeKeywords();

    CScriptView(IMessageBox& messages, QWidget* parent = nullptr);
    ~CScriptView() override;

    // Relative script paths are taken from this folder (the program's home).
    void SetBaseFolder(const std::string& folder) { baseFolder = folder; }
    void SetProgressBar(QProgressBar* bar) { progress = bar; }

    // Replaces the text with the file's. false (text and path unchanged) when
    // it cannot be read; `error` says why.
    bool Load(const std::string& path, std::string* error = nullptr);
    // The same read in `encoding` (none: the one the bytes show). false when
    // the bytes are not valid in it.
    bool LoadAs(const std::string& path, std::optional<ScriptEncoding> encoding,
                std::string* error = nullptr);
    // Load for the user's open: a large script arrives in pieces from the
    // event loop (read-only meanwhile, loadFinished at the end); a small one
    // at once, as Load.
    bool LoadInPieces(const std::string& path, std::string* error = nullptr);
    bool IsLoading() const { return !pendingText.isNull(); }
    // Takes in the pieces still to come now.
    void FinishLoading();
    // The full pass after a load: every line scanned, progress shown, the
    // modified mark cleared.
    void LoadPass();
    // Rebuilds the use list from every line.
    void Rescan();
    // Takes `text` as the script at `path` with `scriptFormat` (a recovered
    // copy): the file on disk is left as it is, and what was read from it
    // (when the path was loaded first) stays the known disk state.
    void TakeRecoveredText(const std::string& path, const QString& text,
                           const ScriptFormat& scriptFormat);
    const ScriptFormat& Format() const { return format; }
    // The format the next save writes (another encoding, say).
    void SetFormat(const ScriptFormat& scriptFormat) { format = scriptFormat; }
    // The text as it is written, "\n" between lines.
    QString ScriptText() const;
    // Writes the text to the file path through a temporary file; on failure
    // says "Could not save: PATH" and keeps the text and the mark.
    bool Save();

    std::string TakeUseList() { return uses.TakeUseList(); }
    bool UsesSeen() const { return uses.UsesSeen(); }
    void SetUsesSeen(bool seen) { uses.SetUsesSeen(seen); }
    const std::string& UseList() const { return uses.UseList(); }

    bool IsModified() const;
    void SetModified(bool modified);
    const std::string& FilePath() const { return filePath; }
    void SetFilePath(const std::string& path) { filePath = path; }
    // The file path, relative ones taken from the base folder.
    std::string FullPath() const;

    void Cut();
    void Copy();
    void Paste();
    void Undo();
    void Redo();
    // Replaces the selection with `text` (one undo step) and leaves the
    // caret after it.
    void InsertText(const QString& text);
    // Caret to the start of the line under a screen point.
    void CaretToPoint(const QPoint& globalPoint);
    void GoToLine(int line);

    // Comma-separated names coloured as the engine's functions and offered
    // by completion, beside the keywords and the script's own functions,
    // variables and defines.
    void AddKeywords(const std::string& commaList);
    QStringList CompletionWords() const;
    void ShowCompletion();

    // Prints the whole text, one page per `LinesPerPage` lines.
    void Print(QPrinter& printer);

    // Has the file changed on disk since it was loaded or saved here?
    bool ChangedOnDisk() const;
    // Takes the file as it is on disk now as the known state.
    void AcceptDiskState();
    // The file's size and modification time as this view last read or wrote
    // it (false when there was none), and setting them back: a recovered
    // editor compares with what the lost one read.
    bool ReadStamp(long long& size, long long& mtimeNs) const;
    void SetReadStamp(long long size, long long mtimeNs);

    // Scripts larger than this are checked in the background while typing.
    static constexpr int kBackgroundCheckChars = 512 * 1024;
    // The engine's compile check of the current text, shown in place.
    ScriptDiagnostic CheckNow();
    // The same on a thread of its own; diagnosticChanged when it is shown.
    void CheckInBackground();
    bool Checking() const { return checkThread != nullptr; }
    const ScriptDiagnostic& Diagnostic() const { return diagnostic; }
    // Marks a run's error in this script as a compile error is marked, until
    // the next check.
    void ShowRunError(const ScriptDiagnostic& error);
    CScriptHighlighter* Highlighter() const { return highlighter; }

    // The bracket at the caret (or just before it) and its partner, as
    // document positions; -1 for none. Brackets in strings and comments do
    // not count.
    std::pair<int, int> MatchingBrackets() const;

    // The gutter (line numbers and the error marker).
    int GutterWidth() const;
    void PaintGutter(QPaintEvent* event, QWidget* gutter);

Q_SIGNALS:
    void lineReport(int line);
    void usesChanged();
    void diagnosticChanged();
    void loadFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void ShowLoadedText(QString text);
    void CheckInput(std::string& path, std::string& source) const;
    void TakeDiagnostic(const ScriptDiagnostic& checked);
    void AppendPiece();
    void StopPieces();
    bool HandleEditingKey(QKeyEvent* event);
    bool SelectionSpansLines() const;
    void IndentLines(bool outdent);
    // Line pass over lines first..last (0-based, clamped).
    void LinePasses(int first, int last);
    bool ScanBlock(const QTextBlock& block);
    int LineOfPosition(int position) const;
    void ShowDiagnostic();
    void InsertCompletion(const QString& word);
    struct DiskStamp {
        bool exists = false;
        long long size = 0;
        long long mtimeNs = 0;
        bool operator==(const DiskStamp&) const = default;
    };
    DiskStamp StampOf(const std::string& path) const;

    IMessageBox& messages;
    std::string baseFolder;
    std::string filePath;
    CScriptUses uses;
    QProgressBar* progress = nullptr;
    CScriptHighlighter* highlighter = nullptr;
    QWidget* gutter = nullptr;
    QCompleter* completer = nullptr;
    QStringListModel* completionModel = nullptr;
    QStringList functionNames;

    // What was read, to write the same bytes back while the text is the same.
    ScriptFormat format;
    std::string loadedBytes;
    ScriptFormat loadedFormat;
    DiskStamp diskStamp;
    ScriptDiagnostic diagnostic;

    // A large script still arriving: the whole text and how much is shown.
    bool inPieces = false;
    QString pendingText; // null when nothing is pending
    qsizetype pendingAt = 0;
    QTimer* pieceTimer = nullptr;

    QThread* checkThread = nullptr; // a background check running
    int checkGeneration = 0;        // a result of an older one is dropped
    bool checkAgain = false;        // the text changed while it ran
    mutable std::string checkedPath;
};
