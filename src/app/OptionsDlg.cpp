#include "app/OptionsDlg.h"

#include "app/Autostart.h"
#include "app/OptionsLogic.h"
#include "library/HomeFolder.h"
#include "views/QtText.h"
#include "ports/UiText.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
QLineEdit* DigitsBox(QWidget* parent, const QString& name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    box->setAlignment(Qt::AlignRight);
    box->setMaximumWidth(90);
    return box;
}

} // namespace

COptionsDlg::COptionsDlg(CAppSettings& appSettings, ISettingsStore& settingsStore,
                         IMessageBox& messageBox, QWidget* parent)
    : QDialog(parent), settings(appSettings), store(settingsStore), messages(messageBox) {
    setWindowTitle(tr("Wingmate Options"));
    auto* layout = new QVBoxLayout(this);

    auto* group = new QGroupBox(tr("Initialization"), this);
    auto* flags = new QVBoxLayout(group);
    triggersBox = new QCheckBox(tr("Enable &Triggers at Start-up"), group);
    schedulerBox = new QCheckBox(tr("Enable &Scheduler at Start-up"), group);
    hideBox = new QCheckBox(tr("&Hide Wingmate at Start-up"), group);
    triggersBox->setObjectName(QStringLiteral("enableTriggers"));
    schedulerBox->setObjectName(QStringLiteral("enableScheduler"));
    hideBox->setObjectName(QStringLiteral("hideAtStartup"));
    flags->addWidget(triggersBox);
    flags->addWidget(schedulerBox);
    flags->addWidget(hideBox);
    layout->addWidget(group);
    runMissedBox = new QCheckBox(tr("&Run macros missed while the computer slept"), this);
    runMissedBox->setObjectName(QStringLiteral("runMissed"));
    layout->addWidget(runMissedBox);
    autostartBox = new QCheckBox(tr("Start Wingmate when I &log in"), this);
    autostartBox->setObjectName(QStringLiteral("autostart"));
    layout->addWidget(autostartBox);

    auto* numbers = new QGridLayout;
    delayBox = DigitsBox(this, QStringLiteral("defaultDelay"));
    linesBox = DigitsBox(this, QStringLiteral("autoClearLines"));
    // Every control has a mnemonic: the dialog works from the keyboard alone.
    auto* delayLabel = new QLabel(tr("Default &Delay for Recording:"), this);
    delayLabel->setBuddy(delayBox);
    auto* linesLabel = new QLabel(tr("Automatically clear Log file &after"), this);
    linesLabel->setBuddy(linesBox);
    numbers->addWidget(delayLabel, 0, 0);
    numbers->addWidget(delayBox, 0, 1);
    numbers->addWidget(new QLabel(tr("milliseconds"), this), 0, 2);
    numbers->addWidget(linesLabel, 1, 0);
    numbers->addWidget(linesBox, 1, 1);
    numbers->addWidget(new QLabel(tr("lines"), this), 1, 2);
    auto* note = new QLabel(tr("(Enter 0 to never automatically clear the Log file)"), this);
    note->setEnabled(false);
    numbers->addWidget(note, 2, 0, 1, 3);
    layout->addLayout(numbers);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    const OptionsForm form = OptionsFormFrom(settings);
    triggersBox->setChecked(form.enableTriggers);
    schedulerBox->setChecked(form.enableScheduler);
    hideBox->setChecked(form.hideAtStartup);
    runMissedBox->setChecked(form.runMissed);
    autostartBox->setChecked(AutostartEnabled(AutostartFilePath()));
    delayBox->setText(Text(form.delayText));
    linesBox->setText(Text(form.linesText));
}

void COptionsDlg::accept() {
    OptionsForm form;
    form.enableTriggers = triggersBox->isChecked();
    form.enableScheduler = schedulerBox->isChecked();
    form.hideAtStartup = hideBox->isChecked();
    form.runMissed = runMissedBox->isChecked();
    form.delayText = delayBox->text().toStdString();
    form.linesText = linesBox->text().toStdString();
    ApplyOptions(settings, form, messages, store);
    // Only a change is written: an entry the user edited stays as it is.
    const std::string autostartPath = AutostartFilePath();
    if (autostartBox->isChecked() != AutostartEnabled(autostartPath)) {
        std::string error;
        if (!SetAutostart(autostartPath, autostartBox->isChecked(),
                          ExecutableFolder() + "/wingmate", &error))
            messages.Show(error, UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
    }
    QDialog::accept();
}
