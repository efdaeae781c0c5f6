#pragma once
// The run-schedule controls the Manager and Scheduler pages both show: the
// three schedule types, the frequency box with its unit list, and the start
// date and time pickers, made the same way for both.

class QButtonGroup;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QRadioButton;
class QTimeEdit;
class QWidget;

struct ScheduleControls {
    QRadioButton* notScheduled = nullptr;
    QRadioButton* single = nullptr;
    QRadioButton* repeated = nullptr;
    QButtonGroup* types = nullptr; // ids 0, 1, 2 as the schedule type
    QLineEdit* frequency = nullptr;
    QComboBox* units = nullptr;
    QDateEdit* date = nullptr;
    QTimeEdit* time = nullptr;
};

// Creates the controls as children of `parent` (the button group is owned by
// `groupOwner`); the caller lays them out.
ScheduleControls MakeScheduleControls(QWidget* parent, QWidget* groupOwner);
