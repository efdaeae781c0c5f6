#include "views/ScheduleControls.h"

#include "ports/UiText.h"
#include "schedule/Schedule.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTimeEdit>

ScheduleControls MakeScheduleControls(QWidget* parent, QWidget* groupOwner) {
    ScheduleControls controls;
    controls.notScheduled =
        new QRadioButton(QCoreApplication::translate("ScheduleControls", "Not Scheduled"), parent);
    controls.single = new QRadioButton(
        QCoreApplication::translate("ScheduleControls", "Single Occurrence"), parent);
    controls.repeated =
        new QRadioButton(QCoreApplication::translate("ScheduleControls", "Repeated"), parent);
    controls.notScheduled->setObjectName(QStringLiteral("notScheduledButton"));
    controls.single->setObjectName(QStringLiteral("singleButton"));
    controls.repeated->setObjectName(QStringLiteral("repeatedButton"));
    controls.types = new QButtonGroup(groupOwner);
    controls.types->addButton(controls.notScheduled, 0);
    controls.types->addButton(controls.single, 1);
    controls.types->addButton(controls.repeated, 2);

    // Digits only, like the number-only edit box it stands for.
    controls.frequency = new QLineEdit(parent);
    controls.frequency->setObjectName(QStringLiteral("frequencyEdit"));
    controls.frequency->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,9}")), controls.frequency));
    controls.frequency->setMaximumWidth(
        controls.frequency->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    controls.units = new QComboBox(parent);
    controls.units->setObjectName(QStringLiteral("unitList"));
    for (int unit = 0; unit < kScheduleUnitCount; ++unit)
        controls.units->addItem(QString::fromStdString(UiText(UnitListText(unit))));

    controls.date = new QDateEdit(parent);
    controls.date->setObjectName(QStringLiteral("datePicker"));
    controls.date->setCalendarPopup(true);
    controls.date->setMinimumDate(QDate(100, 1, 1)); // any start the form can show
    controls.date->setDisplayFormat(QStringLiteral("d MMM yyyy"));
    controls.time = new QTimeEdit(parent);
    controls.time->setObjectName(QStringLiteral("timePicker"));
    controls.time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return controls;
}
