#pragma once
// "Wingmate Options": the start-up flags, the recording delay and the log
// line limit, and whether the desktop starts Wingmate at login. OK applies
// the boxes to the settings and saves them, and writes or removes the
// autostart entry when that box changed.

#include "program/AppSettings.h"
#include "ports/MessageBox.h"
#include "ports/SettingsStore.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

class COptionsDlg : public QDialog {
    Q_OBJECT
public:
    COptionsDlg(CAppSettings& settings, ISettingsStore& store, IMessageBox& messages,
                QWidget* parent = nullptr);

    QCheckBox* triggersBox = nullptr;
    QCheckBox* schedulerBox = nullptr;
    QCheckBox* hideBox = nullptr;
    QCheckBox* runMissedBox = nullptr;
    QCheckBox* autostartBox = nullptr;
    QLineEdit* delayBox = nullptr;
    QLineEdit* linesBox = nullptr;

public Q_SLOTS:
    void accept() override;

private:
    CAppSettings& settings;
    ISettingsStore& store;
    IMessageBox& messages;
};
