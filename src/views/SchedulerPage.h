#pragma once
// CSchedulerPage: the Scheduler tab. A month calendar with the scheduled days
// in bold, the day list (CScheduleList) of the macros that run on the
// selected day grouped under hour rows, and a form that edits the schedule of
// one macro. Macros are scheduled with the form and Update, or by dragging an
// entry from the macro tree onto a row of the day list.

#include "library/MacroLibrary.h"
#include "views/PageForms.h"
#include "views/ScheduleDay.h"

#include <QTreeWidget>

#include <QWidget>

#include <cstdint>
#include <vector>

class CMacroTree;
class CSchedulerPage;
class IClock;
class IMainWindowOps;
class IMessageBox;
class QCalendarWidget;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

// The day list: "Time", "Run Time" and "Name" columns; the row's macro id in
// Qt::UserRole of column 0 (0 for the fixed rows). Accepts entries dragged
// from the macro tree.
class CScheduleList : public QTreeWidget {
    Q_OBJECT
public:
    explicit CScheduleList(CSchedulerPage* page, QWidget* parent = nullptr);

    // Replaces every column and row.
    void ShowRows(const std::vector<DayListRow>& rows);
    static int32_t RowId(const QTreeWidgetItem* item);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ShowClickedMacro(const QPoint& at);

    CSchedulerPage* page;
};

class CSchedulerPage : public QWidget, public ISchedulerForm {
    Q_OBJECT
public:
    // `clock` gives "now" (the system clock when null).
    CSchedulerPage(CMacroLibrary& library, IMainWindowOps& ops, IMessageBox& messages,
                   const IClock* clock = nullptr, QWidget* parent = nullptr);
    ~CSchedulerPage() override;

    // Find makes the shown macro the tree's current item.
    void SetTree(CMacroTree* macroTree) { tree = macroTree; }

    // Fills the schedule form from the record; enables the form's buttons for
    // a record with an id.
    void ShowMacro(const CMacro& record) override;
    // Bold days of the shown month and its neighbours, then RefreshDayList.
    void RefreshCalendar() override;
    // Rebuilds the day list for the calendar's selected date.
    void RefreshDayList();
    // Schedules the entry `id` from row `row` of the day list (a drop).
    // false when nothing changed.
    bool DropMacro(int32_t id, int row);
    int32_t ShownId() const { return shownId; }
    const std::vector<DayListRow>& DayRows() const { return dayRows; }

    // The form's buttons.
    void Update();
    void Find();
    void Manage();

    QCalendarWidget* calendar = nullptr;
    QGroupBox* formGroup = nullptr;
    QRadioButton* notScheduledButton = nullptr;
    QRadioButton* singleButton = nullptr;
    QRadioButton* repeatedButton = nullptr;
    QLineEdit* frequencyEdit = nullptr;
    QComboBox* unitList = nullptr;
    QLabel* dateLabel = nullptr;
    QDateEdit* datePicker = nullptr;
    QTimeEdit* timePicker = nullptr;
    QPushButton* updateButton = nullptr;
    QPushButton* findButton = nullptr;
    QPushButton* manageButton = nullptr;
    CScheduleList* dayList = nullptr;

private:
    friend class CScheduleList;
    void BuildPage();
    void ApplyScheduleRule();
    int CheckedScheduleType() const;
    CalendarDate SelectedDate() const;
    void MarkBoldDays();
    int64_t Now() const;

    CMacroLibrary& library;
    IMainWindowOps& ops;
    IMessageBox& messages;
    const IClock* clock;
    CMacroTree* tree = nullptr;
    int32_t shownId = 0;
    std::vector<DayListRow> dayRows;
};
