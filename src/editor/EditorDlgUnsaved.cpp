// What an editor keeps of unsaved work: declarations edited and not saved
// over a reload of the use list, and the recovery copy of its text.

#include "editor/DecTree.h"
#include "editor/EditorDlg.h"
#include "editor/EditorRecovery.h"
#include "editor/UseScanner.h"
#include "ports/MessageBox.h"
#include "views/QtText.h"
#include "ports/UiText.h"

#include <QProgressBar>
#include <QTextDocument>

#include <algorithm>

// Use-file names are taken from the script's folder; the process's current
// directory is left alone (other windows and the runner rely on it).
void CEditorDlg::ReloadDeclarations() {
    ReloadDeclarations(false);
}

// Reading the files again would drop declarations edited and not saved. They
// are kept (shown while their file is used, written by Save Declarations)
// unless the user discards them when asked: when the files are read again
// on request (Refresh Decs), or when an edited file drops out of the use
// list.
void CEditorDlg::ReloadDeclarations(bool reread) {
    const std::vector<std::string> used = UseListFiles(useList);
    std::vector<CDeclList::EditedFile> edited = tree->List().EditedFiles();
    const auto isUsed = [&used](const std::string& name) {
        return std::find(used.begin(), used.end(), name) != used.end();
    };
    if (!edited.empty()) {
        std::string names;
        bool dropped = false;
        for (const CDeclList::EditedFile& file : edited) {
            names += (names.empty() ? "" : ", ") + file.fileName;
            dropped =
                dropped || (!isUsed(file.fileName) && std::find(usedFiles.begin(), usedFiles.end(),
                                                                file.fileName) != usedFiles.end());
        }
        if ((reread || dropped) &&
            messages->Show(UiFormat(UI_TEXT("Wingmate", "The window declarations in %1 hold "
                                                        "changes that are not saved.\nKeep them? "
                                                        "No discards them and reads the files "
                                                        "again."),
                                    {names}),
                           UI_TEXT("Wingmate", "Declarations not saved"),
                           MessageButtons::YesNo) != MessageAnswer::Yes) {
            tree->List().ForgetEdited();
            edited.clear();
        }
        for (const CDeclList::EditedFile& file : edited)
            if (isUsed(file.fileName))
                tree->List().Forget(file.fileName); // shown again from `edited` below
    }
    usedFiles = used;
    tree->Clear();
    const std::string folder = ScriptFolder();
    for (const std::string& name : used) {
        const auto kept = std::find_if(edited.begin(), edited.end(),
                                       [&](const auto& file) { return file.fileName == name; });
        if (kept == edited.end())
            tree->Load(name, folder);
        else
            tree->LoadText(name, kept->text, kept->diskKnown ? &kept->diskText : nullptr, true);
    }
    const bool wasEdited = declarationsEdited;
    declarationsEdited = !tree->List().EditedFiles().empty();
    if (wasEdited)
        MarkRecoveryPending(); // the copy follows what is kept
}

int64_t CEditorDlg::Now() const {
    return (services.clock ? *services.clock : systemClock).Now();
}

void CEditorDlg::DropRecoveryCopy() {
    recoveryPending = false;
    if (recoveryFile.empty())
        return;
    CEditorRecovery::Remove(recoveryFile);
    recoveryFile.clear();
}

void CEditorDlg::MarkRecoveryPending() {
    if (!recoveryPending)
        pendingSince = Now();
    recoveryPending = true;
}

// Written a second after the first edit not yet copied, so a stream of
// edits still reaches the copy every second or two. A large script waits a
// second more per MiB (at most ten), so typing in it does not rewrite
// megabytes every second.
bool CEditorDlg::TickRecovery(std::string* error) {
    if (!services.recovery || !recoveryPending)
        return true;
    const int64_t delay = std::min<int64_t>(1 + view->document()->characterCount() / (1 << 20), 10);
    if (Now() - pendingSince < delay)
        return true;
    return WriteRecoveryNow(error);
}

bool CEditorDlg::WriteRecoveryNow(std::string* error) {
    if (!services.recovery)
        return true;
    recoveryPending = false;
    if (!view->IsModified() && !declarationsEdited) {
        DropRecoveryCopy();
        return true;
    }
    if (recoveryFile.empty())
        recoveryFile = services.recovery->NewCopyPath();
    EditorRecoveryCopy copy;
    copy.file = recoveryFile;
    copy.scriptPath = view->FilePath();
    const QByteArray text = view->ScriptText().toUtf8();
    copy.text.assign(text.constData(), size_t(text.size()));
    copy.latin1 = !view->Format().Utf8();
    copy.crlf = view->Format().lineEnd == LineEnd::CrLf;
    copy.disk.known = view->ReadStamp(copy.disk.size, copy.disk.mtimeNs);
    copy.textUnedited = !view->IsModified() && !copy.scriptPath.empty();
    if (declarationsEdited)
        copy.declarations = EditedDeclarations();
    return services.recovery->Write(copy, error);
}

// The script is read first when it can be, so that its declarations show and
// a change on disk made after this point is noticed; a missing or unreadable
// file is no reason to lose the text.
void CEditorDlg::Recover(const EditorRecoveryCopy& copy) {
    recovering = true;
    recoveryFile = copy.file;
    tree->Clear();
    useList.clear();
    const bool diskRead = !copy.scriptPath.empty() && view->Load(copy.scriptPath);
    // The file's own format where it agrees with the copy (a mark, a lone-CR
    // file); the copy decides the encoding family and CRLF.
    ScriptFormat format = diskRead ? view->Format() : ScriptFormat{};
    if (copy.latin1 == format.Utf8()) {
        format.encoding = copy.latin1 ? ScriptEncoding::Windows1252 : ScriptEncoding::Utf8;
        format.bom = false;
    }
    if (copy.crlf)
        format.lineEnd = LineEnd::CrLf;
    else if (format.lineEnd == LineEnd::CrLf)
        format.lineEnd = LineEnd::Lf;
    const QString onDisk = diskRead ? view->toPlainText() : QString();
    // A copy made for declarations alone takes the script as it is on disk
    // now, so a version written since is kept rather than replaced.
    const bool keepDiskText = diskRead && copy.textUnedited;
    if (!keepDiskText) {
        view->TakeRecoveredText(copy.scriptPath, Text(copy.text), format);
        if (diskRead && copy.disk.known)
            view->SetReadStamp(copy.disk.size, copy.disk.mtimeNs);
    }
    if (copy.declarations.empty()) {
        ScanLoadedText();
    } else {
        progress->show();
        view->LoadPass();
        progress->hide();
        if (view->UsesSeen())
            useList = view->TakeUseList();
        RecoverDeclarations(copy.declarations);
    }
    SetTitle(copy.scriptPath);
    view->SetModified(!keepDiskText &&
                      (!diskRead || copy.declarations.empty() || view->toPlainText() != onDisk));
    view->CheckNow();
    ShowEncoding();
    recovering = false;
}

// What the window's declarations files hold now, for a recovery copy: each
// file read since the window opened, its latest reading, in the canonical
// format. Files that did not read are left out, as saving leaves them.
std::vector<EditorRecoveryCopy::Declarations> CEditorDlg::EditedDeclarations() const {
    std::vector<EditorRecoveryCopy::Declarations> copies;
    for (CDeclList::EditedFile& file : tree->List().LatestFiles(false))
        copies.push_back({std::move(file.fileName), std::move(file.text), std::move(file.diskText),
                          file.diskKnown});
    return copies;
}

// The use list's files are shown from the copy where it has them and from
// disk otherwise; files the copy holds beyond the use list are shown after,
// so that saving writes them too. They stay unsaved until the user saves.
void CEditorDlg::RecoverDeclarations(
    const std::vector<EditorRecoveryCopy::Declarations>& recovered) {
    tree->Clear();
    const std::string folder = ScriptFolder();
    std::vector<bool> shown(recovered.size(), false);
    std::string rest = useList;
    for (size_t end = rest.find("::"); end != std::string::npos; end = rest.find("::")) {
        const std::string name = rest.substr(0, end);
        rest.erase(0, end + 2);
        const auto found = std::find_if(recovered.begin(), recovered.end(),
                                        [&](const auto& f) { return f.fileName == name; });
        if (found == recovered.end()) {
            tree->Load(name, folder);
            continue;
        }
        tree->LoadText(name, found->text, found->diskKnown ? &found->diskText : nullptr, true);
        shown[size_t(found - recovered.begin())] = true;
    }
    for (size_t k = 0; k < recovered.size(); ++k)
        if (!shown[k])
            tree->LoadText(recovered[k].fileName, recovered[k].text,
                           recovered[k].diskKnown ? &recovered[k].diskText : nullptr, true);
    declarationsEdited = true;
}
