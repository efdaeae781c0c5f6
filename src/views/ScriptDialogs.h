#pragma once
// The dialogs a running script opens (Choose, Confirm, ChooseFile,
// ChooseFolder), shown on the user-interface thread of their owner window
// while the script's worker waits; a Stop closes the open dialog. They are
// not modal, so the main window's Stop stays within reach.

#include "ports/Dialogs.h"

#include <QDialog>

#include <functional>

class QLabel;
class QListWidget;

// "Tessera - Choose": the prompt above a list with one item selected; Enter
// (or a double click) picks the selected item, Escape cancels.
class CChooseDlg : public QDialog {
    Q_OBJECT
public:
    CChooseDlg(const QString& prompt, const QStringList& items, int selected,
               QWidget* parent = nullptr);
    // The picked item's index after OK; -1 otherwise.
    int ChosenIndex() const { return chosen; }

    QLabel* promptLabel = nullptr;
    QListWidget* list = nullptr;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int chosen = -1;
};

class CQtScriptDialogs : public QObject, public IScriptDialogs {
    Q_OBJECT
public:
    using NotifyFn = std::function<void(const std::string& title, const std::string& text,
                                        std::function<void(bool shown)> shown)>;
    // `notify` shows a notification and says, then or later, whether anything
    // showed it; called on the owner's thread.
    CQtScriptDialogs(QWidget* owner, NotifyFn notify);

    DesktopResult Choose(const std::string& prompt, const std::vector<std::string>& items,
                         size_t selected, std::optional<size_t>& chosen,
                         const StopCheck& stopRequested) override;
    DesktopResult Confirm(const std::string& text, bool& yes,
                          const StopCheck& stopRequested) override;
    DesktopResult ChooseFile(const std::string& folder, const std::string& filter,
                             std::optional<std::string>& path,
                             const StopCheck& stopRequested) override;
    DesktopResult ChooseFolder(const std::string& folder, std::optional<std::string>& path,
                               const StopCheck& stopRequested) override;
    DesktopResult Notify(const std::string& title, const std::string& text,
                         const StopCheck& stopRequested) override;

Q_SIGNALS:
    // A dialog was shown (tests drive it from here).
    void DialogShown(QDialog* dialog);

private:
    // Builds the dialog on the owner's thread.
    using MakeFn = std::function<QDialog*(QWidget* owner)>;
    // The answer of a finished dialog: "" for a cancel.
    using ReadFn = std::function<std::string(QDialog* dialog, int result)>;
    // Shows the dialog and waits for its answer; false after a Stop (which
    // closes the dialog).
    bool Ask(const MakeFn& make, const ReadFn& read, const StopCheck& stopRequested,
             std::string& answer);
    DesktopResult AskPath(const MakeFn& make, std::optional<std::string>& path,
                          const StopCheck& stopRequested);

    QWidget* owner;
    NotifyFn notify;
};
