#pragma once
// "Tessera - Input Required": the dialog a running script opens to ask for a
// line of text, and the adapters that reach the user-interface thread from a
// script's worker thread (the input prompt and Alert's message box).

#include "ports/Desktop.h"
#include "ports/InputPrompt.h"
#include "ports/MessageBox.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPlainTextEdit;

class CInputDlg : public QDialog {
    Q_OBJECT
public:
    explicit CInputDlg(const QString& instructions, QWidget* parent = nullptr);

    // The edit line's text after OK; empty otherwise.
    QString EnteredText() const { return entered; }

    QPlainTextEdit* instructionsBox = nullptr;
    QLineEdit* inputLine = nullptr;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString entered;
};

// Runs `work` on `context`'s thread and waits for it: directly when called
// on that thread, else through a blocking queued call.
void RunOnThreadOf(QObject* context, const std::function<void()>& work);

// The input prompt on the user-interface thread. The dialog can be swapped
// for tests.
class CQtInputPrompt : public QObject, public IInputPrompt {
    Q_OBJECT
public:
    using Asker = std::function<std::optional<std::string>(const std::string& instructions)>;

    explicit CQtInputPrompt(QWidget* owner);
    void SetAsker(Asker replacement) { ask = std::move(replacement); }

    std::optional<std::string> AskInput(const std::string& instructions) override;

private:
    QWidget* owner;
    Asker ask;
};

// An Alert function for the desktop port: shows the message (titled
// "Tessera") with `messages` on the user-interface thread of `context` and
// waits for OK.
// Makes every alert waiting for its box give up, now and from now on (the
// program is ending). Any thread.
void AbandonAlerts();

std::function<DesktopResult(const std::string&)> MakeAlertFn(QObject* context,
                                                             IMessageBox& messages);
