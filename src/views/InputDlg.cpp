#include "views/InputDlg.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "run/ReplyWait.h"

#include <list>
#include <mutex>

CInputDlg::CInputDlg(const QString& instructions, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Tessera - Input Required"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(tr("Input Instructions"), this);
    auto* groupLayout = new QVBoxLayout(group);
    instructionsBox = new QPlainTextEdit(group);
    instructionsBox->setReadOnly(true);
    instructionsBox->setPlainText(instructions);
    instructionsBox->setMinimumSize(320, 90);
    groupLayout->addWidget(instructionsBox);
    layout->addWidget(group);
    inputLine = new QLineEdit(this);
    layout->addWidget(inputLine);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CInputDlg::accept);
    layout->addWidget(buttons);
    inputLine->setFocus();
}

// A script may ask while another program has the focus: come to the front.
void CInputDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    raise();
    activateWindow();
    inputLine->setFocus();
}

void CInputDlg::accept() {
    entered = inputLine->text();
    QDialog::accept();
}

void RunOnThreadOf(QObject* context, const std::function<void()>& work) {
    if (QThread::currentThread() == context->thread())
        work();
    else
        QMetaObject::invokeMethod(context, work, Qt::BlockingQueuedConnection);
}

CQtInputPrompt::CQtInputPrompt(QWidget* ownerWindow) : QObject(ownerWindow), owner(ownerWindow) {
    ask = [this](const std::string& instructions) -> std::optional<std::string> {
        CInputDlg dialog(QString::fromUtf8(instructions.data(), qsizetype(instructions.size())),
                         owner);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.EnteredText().toStdString();
    };
}

std::optional<std::string> CQtInputPrompt::AskInput(const std::string& instructions) {
    std::optional<std::string> answer;
    RunOnThreadOf(this, [&] { answer = ask(instructions); });
    return answer;
}

namespace {
// The alerts whose workers wait for their box; the end of the program
// abandons them, so no worker waits for a box that will never be shown.
struct AlertWaits {
    std::mutex mutex;
    bool closed = false;
    std::list<CReplyWait> waiting;
};
AlertWaits& PendingAlerts() {
    static AlertWaits waits;
    return waits;
}
} // namespace

void AbandonAlerts() {
    AlertWaits& waits = PendingAlerts();
    std::lock_guard<std::mutex> lock(waits.mutex);
    waits.closed = true;
    for (const CReplyWait& wait : waits.waiting)
        wait.Abandon();
}

std::function<DesktopResult(const std::string&)> MakeAlertFn(QObject* context,
                                                             IMessageBox& messages) {
    QPointer<QObject> guard(context);
    return [guard, &messages](const std::string& message) {
        if (!guard)
            return DesktopResult::Fail("the Wingmate window is gone");
        if (QThread::currentThread() == guard->thread()) {
            messages.Show(message, "Tessera", MessageButtons::Ok);
            return DesktopResult::Ok();
        }
        AlertWaits& waits = PendingAlerts();
        std::list<CReplyWait>::iterator mine;
        {
            std::lock_guard<std::mutex> lock(waits.mutex);
            if (waits.closed)
                return DesktopResult::Fail("Wingmate is closing");
            mine = waits.waiting.emplace(waits.waiting.end());
        }
        const CReplyWait wait = *mine;
        QMetaObject::invokeMethod(
            guard.data(),
            [give = wait.Giver(), &messages, message] {
                bool closing = false;
                {
                    std::lock_guard<std::mutex> lock(PendingAlerts().mutex);
                    closing = PendingAlerts().closed;
                }
                if (!closing)
                    messages.Show(message, "Tessera", MessageButtons::Ok);
                give("");
            },
            Qt::QueuedConnection);
        const bool shown = wait.Wait();
        {
            std::lock_guard<std::mutex> lock(waits.mutex);
            waits.waiting.erase(mine);
        }
        return shown ? DesktopResult::Ok() : DesktopResult::Fail("the alert was closed");
    };
}
