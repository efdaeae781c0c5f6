#pragma once
// The Log tab: the run log's lines appended since the program started, and
// the log-file buttons. It shows the program's run log (Wingmate.log).

#include "ports/MessageBox.h"
#include "run/RunLog.h"

#include <QWidget>

#include <functional>

class QPlainTextEdit;
class QPushButton;

class CLogPage : public QWidget, public IRunLogDisplay {
    Q_OBJECT
public:
    // Asks for the target of "Save Log File As"; empty when cancelled.
    using SavePathChooser = std::function<QString(QWidget* parent)>;

    CLogPage(IMessageBox& messages, CRunLog& runLog, QWidget* parent = nullptr);
    ~CLogPage() override;

    CRunLog& RunLog() { return runLog; }
    // Tests replace the file dialog.
    void SetSavePathChooser(SavePathChooser chooser) { chooseSavePath = std::move(chooser); }

    void AppendDisplayLine(const std::string& piece) override;
    void ClearDisplay() override;

    QString DisplayText() const;

public Q_SLOTS:
    void ClearLogFile();
    // The save-file dialog, then a copy of the log file there.
    void SaveLogFileAs();
    void ClearLogDisplay();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    IMessageBox& messages;
    CRunLog& runLog;
    QPlainTextEdit* display = nullptr;
    SavePathChooser chooseSavePath;
};
