#pragma once
// The Output tab: which macro ran last, and everything the running script
// writes. AppendOutput may be called from a script's worker thread: the text
// joins a bounded buffer that the user-interface thread empties into the
// output box every kDrainMs, so a script printing without pause neither
// floods the window's event queue nor waits for it.

#include "ports/ScriptOutput.h"
#include "run/OutputBuffer.h"

#include <QWidget>

#include <string>

class QLabel;
class QPlainTextEdit;
class QTimer;

class COutputPage : public QWidget, public IScriptOutput {
    Q_OBJECT
public:
    // The output box keeps at most this many characters (the oldest go).
    static constexpr int kOutputLimit = 100000;
    // How long output may wait before it is shown.
    static constexpr int kDrainMs = 50;

    explicit COutputPage(QWidget* parent = nullptr);

    void AppendOutput(const std::string& text) override;
    std::string LastOutputText() const override;
    void ClearOutput() override;
    void SetLastRun(const std::string& text) override;
    // User-interface thread: shows the output still waiting (before a run's
    // end or input request is handled, so those come after its output).
    void FlushOutput();

    QString OutputText() const;
    QString LastRunText() const;
    QPlainTextEdit* OutputBox() const { return output; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void InsertOutput(const QString& text);

    QLabel* lastRun = nullptr;
    QPlainTextEdit* output = nullptr;
    QTimer* drainTimer = nullptr;
    COutputBuffer pending{kOutputLimit};
};
