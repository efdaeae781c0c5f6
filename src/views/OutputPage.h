#pragma once
// The Output tab: which macro ran last, and everything the running script
// writes. AppendOutput may be called from a script's worker thread; the text
// reaches the output box through the user-interface thread's event queue.

#include "run/RunnerHost.h"

#include <QWidget>

#include <mutex>
#include <string>

class QLabel;
class QPlainTextEdit;

class COutputPage : public QWidget, public IScriptOutput {
    Q_OBJECT
public:
    // The output box keeps at most this many characters (the oldest go).
    static constexpr int kOutputLimit = 100000;

    explicit COutputPage(QWidget* parent = nullptr);

    void AppendOutput(const std::string& text) override;
    std::string LastOutputText() const override;
    void ClearOutput() override;
    void SetLastRun(const std::string& text) override;

    QString OutputText() const;
    QString LastRunText() const;
    QPlainTextEdit* OutputBox() const { return output; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void InsertOutput(const QString& text);

    QLabel* lastRun = nullptr;
    QPlainTextEdit* output = nullptr;
    mutable std::mutex lastOutputMutex;
    std::string lastOutput;
};
