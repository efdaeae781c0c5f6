#include "views/ScriptDialogs.h"

#include "run/ReplyWait.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

namespace {

QString Q(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A script may ask while another program has the focus: come to the front.
void ToFront(QDialog* dialog) {
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

// Qt's name filter for a script's filter: Qt's own form passes as it is,
// bare patterns are joined by spaces.
QString NameFilter(const std::string& filter) {
    if (filter.find('(') != std::string::npos)
        return Q(filter);
    QStringList patterns;
    for (const std::string& pattern : FileFilterPatterns(filter))
        patterns << Q(pattern);
    return patterns.join(QLatin1Char(' '));
}

QFileDialog* MakeChooser(QWidget* owner, const QString& title, const std::string& folder) {
    auto* dialog = new QFileDialog(owner, title, Q(folder));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    return dialog;
}

} // namespace

CChooseDlg::CChooseDlg(const QString& prompt, const QStringList& items, int selected,
                       QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QCoreApplication::translate("CQtScriptDialogs", "Tessera - Choose"));
    auto* layout = new QVBoxLayout(this);
    promptLabel = new QLabel(prompt, this);
    promptLabel->setWordWrap(true);
    layout->addWidget(promptLabel);
    list = new QListWidget(this);
    list->addItems(items);
    list->setCurrentRow(selected);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CChooseDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CChooseDlg::reject);
    connect(list, &QListWidget::itemDoubleClicked, this, &CChooseDlg::accept);
    layout->addWidget(buttons);
}

void CChooseDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    list->setFocus();
    if (list->currentItem())
        list->scrollToItem(list->currentItem());
}

void CChooseDlg::accept() {
    chosen = list->currentRow();
    QDialog::accept();
}

CQtScriptDialogs::CQtScriptDialogs(QWidget* ownerWindow, NotifyFn notifyFn)
    : QObject(ownerWindow), owner(ownerWindow), notify(std::move(notifyFn)) {}

bool CQtScriptDialogs::Ask(const MakeFn& make, const ReadFn& read, const StopCheck& stopRequested,
                           std::string& answer) {
    if (QThread::currentThread() == thread()) {
        // On the window's own thread there is no one to wait for: ask here.
        std::unique_ptr<QDialog> dialog(make(owner));
        answer = read(dialog.get(), dialog->exec());
        return true;
    }
    // The dialog is the window thread's; the worker only learns its answer.
    auto open = std::make_shared<QPointer<QDialog>>();
    const CReplyWait wait;
    QMetaObject::invokeMethod(
        this,
        [this, open, make, read, give = wait.Giver()] {
            QDialog* dialog = make(owner);
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            *open = dialog;
            connect(dialog, &QDialog::finished, dialog,
                    [dialog, read, give](int result) { give(read(dialog, result)); });
            ToFront(dialog);
            Q_EMIT DialogShown(dialog);
        },
        Qt::QueuedConnection);
    if (wait.WaitUnless(stopRequested, &answer))
        return true;
    // Posted after the show, so the dialog exists by the time this runs.
    QMetaObject::invokeMethod(
        this,
        [open] {
            if (*open)
                (*open)->reject();
        },
        Qt::QueuedConnection);
    return false;
}

DesktopResult CQtScriptDialogs::Choose(const std::string& prompt,
                                       const std::vector<std::string>& items, size_t selected,
                                       std::optional<size_t>& chosen,
                                       const StopCheck& stopRequested) {
    QStringList texts;
    for (const std::string& item : items)
        texts << Q(item);
    const QString question = Q(prompt);
    auto make = [question, texts, selected](QWidget* parent) -> QDialog* {
        return new CChooseDlg(question, texts, int(selected), parent);
    };
    auto read = [](QDialog* dialog, int) {
        const int index = static_cast<CChooseDlg*>(dialog)->ChosenIndex();
        return index < 0 ? std::string() : std::to_string(index);
    };
    std::string answer;
    if (Ask(make, read, stopRequested, answer) && !answer.empty())
        chosen = std::stoul(answer);
    return DesktopResult::Ok();
}

// Yes and No, No the default: a stray Enter meant for another window must
// not say Yes.
DesktopResult CQtScriptDialogs::Confirm(const std::string& text, bool& yes,
                                        const StopCheck& stopRequested) {
    const QString question = Q(text);
    auto make = [question](QWidget* parent) -> QDialog* {
        auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Tessera"), question,
                                    QMessageBox::Yes | QMessageBox::No, parent);
        box->setDefaultButton(QMessageBox::No);
        box->setEscapeButton(QMessageBox::No);
        return box;
    };
    auto read = [](QDialog* dialog, int) {
        auto* box = static_cast<QMessageBox*>(dialog);
        return box->clickedButton() == box->button(QMessageBox::Yes) ? std::string("yes")
                                                                     : std::string();
    };
    std::string answer;
    yes = Ask(make, read, stopRequested, answer) && answer == "yes";
    return DesktopResult::Ok();
}

DesktopResult CQtScriptDialogs::AskPath(const MakeFn& make, std::optional<std::string>& path,
                                        const StopCheck& stopRequested) {
    auto read = [](QDialog* dialog, int result) {
        const QStringList chosen = static_cast<QFileDialog*>(dialog)->selectedFiles();
        // "=" marks an answer, so that no path reads as a cancel.
        return result == QDialog::Accepted && !chosen.isEmpty() ? "=" + chosen.first().toStdString()
                                                                : std::string();
    };
    std::string answer;
    if (Ask(make, read, stopRequested, answer) && !answer.empty())
        path = answer.substr(1);
    return DesktopResult::Ok();
}

DesktopResult CQtScriptDialogs::ChooseFile(const std::string& folder, const std::string& filter,
                                           std::optional<std::string>& path,
                                           const StopCheck& stopRequested) {
    const QString nameFilter = NameFilter(filter);
    auto make = [folder, nameFilter](QWidget* parent) -> QDialog* {
        QFileDialog* dialog = MakeChooser(
            parent, QCoreApplication::translate("CQtScriptDialogs", "Tessera - Choose a File"),
            folder);
        dialog->setFileMode(QFileDialog::ExistingFile);
        if (!nameFilter.isEmpty())
            dialog->setNameFilter(nameFilter);
        return dialog;
    };
    return AskPath(make, path, stopRequested);
}

DesktopResult CQtScriptDialogs::ChooseFolder(const std::string& folder,
                                             std::optional<std::string>& path,
                                             const StopCheck& stopRequested) {
    auto make = [folder](QWidget* parent) -> QDialog* {
        QFileDialog* dialog = MakeChooser(
            parent, QCoreApplication::translate("CQtScriptDialogs", "Tessera - Choose a Folder"),
            folder);
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
        return dialog;
    };
    return AskPath(make, path, stopRequested);
}

// Shown on the window's thread; the script goes on at once.
// Waits for the notification service's answer (it comes within its reply
// time), so that a notification nothing showed is an error, not a success.
DesktopResult CQtScriptDialogs::Notify(const std::string& title, const std::string& text,
                                       const StopCheck& stopRequested) {
    if (QThread::currentThread() == thread()) {
        // The window's own thread cannot wait for the answer it delivers.
        notify(title, text, {});
        return DesktopResult::Ok();
    }
    const CReplyWait wait;
    QMetaObject::invokeMethod(
        this,
        [this, title, text, give = wait.Giver()] {
            notify(title, text, [give](bool shown) { give(shown ? "1" : ""); });
        },
        Qt::QueuedConnection);
    std::string shown;
    if (!wait.WaitUnless(stopRequested, &shown))
        return DesktopResult::Ok(); // stopped: the run ends anyway
    if (shown.empty())
        return DesktopResult::Fail("no notification service or tray showed the notification");
    return DesktopResult::Ok();
}
