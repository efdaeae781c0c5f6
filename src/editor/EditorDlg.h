#pragma once
// CEditorDlg: the script editor window. The Window Declarations tree on the
// left quarter, the script on the rest, the "Line: " indicator and a progress
// bar along the bottom. Modeless and independent: any number may be open,
// each on its own script; it only reads and writes files (and, when the main
// window gives it a runner, runs its script as a macro would).

#include "editor/EditorRecovery.h"
#include "editor/ScriptView.h"
#include "ports/Clock.h"
#include "ports/UiText.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CFindDlg;
class IFileChooser;
class IMessageBox;
class QLabel;
class QMenu;
class QPrinter;
class QProgressBar;
class QUrl;
class TDecTree;

// How a run started from an editor ended.
struct EditorRunEnd {
    bool failed = false;
    std::string error;   // the first line of what the run reported, when it failed
    std::string logPath; // the script's log; empty when the run wrote none
};

// What the main window offers an editor for its Run command.
class IEditorRunner {
public:
    using Ended = std::function<void(const EditorRunEnd&)>;
    virtual ~IEditorRunner() = default;
    // Starts the saved script at `path` as a macro runs, recorded in the run
    // log. Returns "" when it started, else a sentence saying why not.
    // `ended` is called once, on the user-interface thread, when a started
    // run ends.
    virtual std::string RunScript(const std::string& path, Ended ended) = 0;
};

struct EditorServices {
    EditorServices(IMessageBox& messageBox, IFileChooser& fileChooser)
        : messages(messageBox), files(fileChooser) {}
    IMessageBox& messages;
    IFileChooser& files;
    std::string home;                            // program folder; empty: no owner
    IEditorRunner* runner = nullptr;             // null: Run says it cannot run
    std::function<bool(const QUrl&)> openUrl;    // null: the desktop's viewer
    std::function<bool(QPrinter&)> setUpPrinter; // null: the print dialog
    CEditorRecovery* recovery = nullptr;         // null: no recovery copies
    const IClock* clock = nullptr;               // null: the system clock
};

namespace EditorCommand {
constexpr int kOpen = 57601;
constexpr int kSaveAllMenu = 32816;
constexpr int kSaveScriptAs = 32787;
constexpr int kSaveScript = 57603;
constexpr int kSaveDeclarations = 32785;
constexpr int kSaveAll = 32786;
constexpr int kPrint = 57607;
constexpr int kRefreshDecs = 32827;
constexpr int kExit = 32782;
constexpr int kUndo = 57643;
constexpr int kRedo = 57644;
constexpr int kCopy = 57634;
constexpr int kCut = 57635;
constexpr int kPaste = 57637;
constexpr int kFind = 57636;
constexpr int kReplace = 57641;
constexpr int kHelpWingmate = 32783;
constexpr int kHelpTessera = 32784;
// Commands of our own.
constexpr int kRun = 40001;
constexpr int kGoToLine = 40002;
constexpr int kComplete = 40003;
// Reopen with / save with an encoding: the base plus the ScriptEncoding.
constexpr int kReopenWith = 40010;
constexpr int kSaveWith = 40020;
} // namespace EditorCommand

class CEditorDlg : public QMainWindow {
    Q_OBJECT
public:
    static constexpr const char* kTitleSuffix = UI_TEXT("Wingmate", " - Tessera Wingmate Editor");

    explicit CEditorDlg(EditorServices services, QWidget* parent = nullptr);
    ~CEditorDlg() override;

    void SetPathToLoad(const std::string& path) { pathToLoad = path; }
    // What Load does with a path that names no file.
    enum class MissingFile { Refuse, OfferToCreate };
    // Loads the path to load (nothing for an empty one). false after saying
    // "Could not load file: PATH". A macro's script that does not exist yet
    // can be created instead: the window then keeps its path, empty.
    bool Load(MissingFile missing = MissingFile::Refuse);
    void RunCommand(int command);
    // Shows a recovered copy: its text, modified, as the script at its path
    // (untitled for none). The file itself is not touched until a save; the
    // copy stays this editor's until it saves or discards.
    void Recover(const EditorRecoveryCopy& copy);

    // The recovery copy of the unsaved text. The owner's timer calls
    // TickRecovery often: a second after the first edit not yet copied, the
    // copy is written, or deleted when the text is back to its saved state.
    // WriteRecoveryNow does the same at once (the session ends). false with
    // `error` when the copy could not be written; tried again at the next
    // edit.
    bool TickRecovery(std::string* error);
    bool WriteRecoveryNow(std::string* error);
    // This editor's copy; empty while it has none.
    const std::string& RecoveryFile() const { return recoveryFile; }

    // The script's folder: where use-file names are taken from.
    std::string ScriptFolder() const;
    void ReloadDeclarations();
    // Saves; false when the save failed or the user cancelled the dialog.
    bool SaveScript();
    bool SaveScriptAs();
    bool SaveDeclarations();
    bool SaveAll();

    CScriptView* View() const { return view; }
    TDecTree* Tree() const { return tree; }
    QLabel* DeclarationsLabel() const { return declLabel; }
    QLabel* LineLabel() const { return lineLabel; }
    QLabel* ColumnLabel() const { return columnLabel; }
    QLabel* StatusLabel() const { return statusLabel; }
    // The script's encoding, mark and line break, at the bottom right.
    QLabel* EncodingLabel() const { return encodingLabel; }
    // Reads the script again in `encoding`, after asking when it holds
    // changes; false when it was not read.
    bool ReopenWith(ScriptEncoding encoding);
    // Saves the script in `encoding` from now on; the old one stays when the
    // save fails.
    bool SaveWith(ScriptEncoding encoding);
    const QString& StatusText() const { return statusText; }
    bool RunPending() const { return runPending; }
    QProgressBar* Progress() const { return progress; }
    const std::string& UseList() const { return useList; }
    bool DeclarationsEdited() const { return declarationsEdited; }
    CFindDlg* FindDialog() const;
    QAction* CommandAction(int command) const;
    // Asks whether to reload a script changed on disk (done when the window
    // is activated).
    void CheckDisk();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildEncodingMenus(QMenu* fileMenu);
    void ShowEncoding();
    // Moves the window (and shrinks it if need be) so all of its frame is on
    // its screen.
    void FitOnItsScreen();
    void ApplyLayout(int width, int height);
    void SetTitle(const std::string& path);
    bool MayReplaceChangedFile();
    bool MayReplaceChangedDeclarations();
    void ScanLoadedText();
    void AfterLoad();
    void OfferToCreate();
    void MarkRecoveryPending();
    std::vector<EditorRecoveryCopy::Declarations> EditedDeclarations() const;
    void RecoverDeclarations(const std::vector<EditorRecoveryCopy::Declarations>& recovered);
    void OnUsesChanged();
    void ReloadDeclarations(bool reread);
    // Asks "Save script and declarations?"; false when the user cancelled or
    // the save failed.
    bool AskToSave();
    void Open();
    void Print();
    void OpenFind(bool replaceMode);
    void OpenHelp(const std::string& file);
    void Run();
    void RunEnded(const std::string& path, const EditorRunEnd& end);
    void GoToLine();
    void ShowStatus(const QString& text);
    void DropRecoveryCopy();
    int64_t Now() const;

    EditorServices services;
    std::unique_ptr<IMessageBox> ownMessages;
    std::unique_ptr<IFileChooser> ownFiles;
    IMessageBox* messages = nullptr; // this window's boxes
    IFileChooser* files = nullptr;   // this window's file dialogs
    std::string pathToLoad;
    std::string titlePath; // the path the title names
    std::string useList;
    std::vector<std::string> usedFiles; // the use list's files at the last reload
    QWidget* client = nullptr;
    QLabel* declLabel = nullptr;
    TDecTree* tree = nullptr;
    QWidget* splitHandle = nullptr;
    double treeShare = 0.25; // the tree's share of the width (the user may drag it)
    CScriptView* view = nullptr;
    QLabel* lineLabel = nullptr;
    QLabel* columnLabel = nullptr;
    QProgressBar* progress = nullptr;
    QLabel* statusLabel = nullptr;
    QLabel* encodingLabel = nullptr;
    QString statusText; // the whole of what the status label shows
    QPointer<CFindDlg> findDlg;
    QHash<int, QAction*> actions;
    bool declarationsEdited = false; // a declaration changed since the last save
    bool checkingDisk = false;
    bool closing = false;
    bool shownOnce = false;
    bool refreshing = false; // Refresh Decs is taking the new use list
    bool runPending = false; // a run started here has not ended yet
    bool runEnded = false;   // the last run started here has ended
    CSystemClock systemClock;
    std::string recoveryFile;
    bool recoveryPending = false; // an edit not yet in the copy
    int64_t pendingSince = 0;
    bool recovering = false; // Recover is replacing the text
};
