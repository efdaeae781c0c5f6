#include "views/SchedulerPage.h"
#include "views/QtText.h"
#include "views/TabChain.h"

#include "ports/Clock.h"
#include "ports/MessageBox.h"
#include "ports/UiText.h"
#include "schedule/Schedule.h"
#include "views/IconSet.h"
#include "views/MacroTree.h"
#include "views/MainWindowOps.h"
#include "views/ScheduleControls.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTextCharFormat>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kIdRole = Qt::UserRole;

TreeIcon RowIcon(int32_t scheduleType) {
    if (scheduleType == static_cast<int32_t>(ScheduleType::Repeated))
        return TreeIcon::Repeated;
    if (scheduleType == static_cast<int32_t>(ScheduleType::SingleOccurrence))
        return TreeIcon::SingleOccurrence;
    return TreeIcon::NotScheduled;
}

int32_t DraggedId(const QMimeData* mime) {
    if (!mime || !mime->hasFormat(QString::fromLatin1(CMacroTree::kMacroIdMime)))
        return 0;
    bool ok = false;
    const int32_t id = mime->data(QString::fromLatin1(CMacroTree::kMacroIdMime)).toInt(&ok);
    return ok ? id : 0;
}

} // namespace

// ---- CScheduleList

CScheduleList::CScheduleList(CSchedulerPage* owner, QWidget* parent)
    : QTreeWidget(parent), page(owner) {
    setObjectName(QStringLiteral("dayList"));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setAllColumnsShowFocus(true);
    setIconSize(QSize(15, 15));
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DropOnly);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::AlternateBase, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
}

void CScheduleList::ShowRows(const std::vector<DayListRow>& rows) {
    clear();
    setColumnCount(3);
    setHeaderLabels({tr("Time"), tr("Run Time"), tr("Name")});
    headerItem()->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    setColumnWidth(0, 80);
    setColumnWidth(1, 150);
    setColumnWidth(2, 300);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const DayListRow& row : rows) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, Text(UiText(row.timeText.c_str()))); // "Repeated" translated
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(1, Text(row.runTimeText));
        item->setText(2, Text(row.nameText));
        item->setData(0, kIdRole, row.id);
        if (!row.IsFixed())
            item->setIcon(0, TreeIconImage(RowIcon(row.scheduleType)));
        else
            item->setForeground(0, QColor(0x44, 0x44, 0x44));
        items.append(item);
    }
    addTopLevelItems(items);
}

int32_t CScheduleList::RowId(const QTreeWidgetItem* item) {
    return item ? item->data(0, kIdRole).toInt() : 0;
}

void CScheduleList::ShowClickedMacro(const QPoint& at) {
    const int32_t id = RowId(itemAt(at));
    if (id == 0)
        return;
    if (const CMacroNode* node = page->library.FindById(id))
        page->ShowMacro(*node);
}

void CScheduleList::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        ShowClickedMacro(event->position().toPoint());
    QTreeWidget::mouseReleaseEvent(event);
}

void CScheduleList::mouseDoubleClickEvent(QMouseEvent* event) {
    ShowClickedMacro(event->position().toPoint());
    QTreeWidget::mouseDoubleClickEvent(event);
}

void CScheduleList::dragEnterEvent(QDragEnterEvent* event) {
    if (DraggedId(event->mimeData()) == 0) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void CScheduleList::dragMoveEvent(QDragMoveEvent* event) {
    if (DraggedId(event->mimeData()) == 0) {
        event->ignore();
        return;
    }
    // The row under the cursor is the one the drop will use.
    if (QTreeWidgetItem* item = itemAt(event->position().toPoint()))
        setCurrentItem(item);
    else
        clearSelection();
    event->acceptProposedAction();
}

void CScheduleList::dropEvent(QDropEvent* event) {
    const int32_t id = DraggedId(event->mimeData());
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (id == 0 || !item) {
        event->ignore();
        return;
    }
    // The tree's drag moves nothing when it ends here: the entry stays put.
    event->acceptProposedAction();
    page->DropMacro(id, indexOfTopLevelItem(item));
}

// ---- CSchedulerPage

CSchedulerPage::CSchedulerPage(CMacroLibrary& model, IMainWindowOps& mainWindow,
                               IMessageBox& messageBox, const IClock* timeSource, QWidget* parent)
    : QWidget(parent), library(model), ops(mainWindow), messages(messageBox), clock(timeSource) {
    setObjectName(QStringLiteral("schedulerPage"));
    BuildPage();
}

CSchedulerPage::~CSchedulerPage() = default;

int64_t CSchedulerPage::Now() const {
    if (clock)
        return clock->Now();
    return CSystemClock().Now();
}

void CSchedulerPage::BuildPage() {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(6, 6, 6, 6);
    page->setSpacing(4);

    calendar = new QCalendarWidget(this);
    calendar->setObjectName(QStringLiteral("calendar"));
    calendar->setAccessibleName(tr("Schedule Calendar"));
    // Qt's month arrows carry only an icon: name them for a screen reader.
    const std::pair<const char*, const char*> arrows[] = {
        {"qt_calendar_prevmonth", QT_TR_NOOP("Previous Month")},
        {"qt_calendar_nextmonth", QT_TR_NOOP("Next Month")}};
    for (const auto& [objectName, accessibleName] : arrows)
        if (auto* arrow = calendar->findChild<QToolButton*>(QString::fromLatin1(objectName)))
            arrow->setAccessibleName(tr(accessibleName));
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    const PickerDateTime today = PickerFromTime(Now());
    calendar->setSelectedDate(QDate(today.year, today.month, today.day));

    formGroup = new QGroupBox(tr("Macro Name: None Selected"), this);
    formGroup->setObjectName(QStringLiteral("formGroup"));
    auto* form = new QGridLayout(formGroup);
    form->setContentsMargins(6, 2, 6, 4);
    form->setHorizontalSpacing(6);
    form->setVerticalSpacing(4);
    const ScheduleControls controls = MakeScheduleControls(formGroup, this);
    notScheduledButton = controls.notScheduled;
    singleButton = controls.single;
    repeatedButton = controls.repeated;
    QButtonGroup* types = controls.types;
    frequencyEdit = controls.frequency;
    frequencyEdit->setText(QStringLiteral("1"));
    unitList = controls.units;
    unitList->setCurrentIndex(-1);
    datePicker = controls.date;
    timePicker = controls.time;

    auto* frequencyLabel = new QLabel(tr("Frequency: Every"), formGroup);
    frequencyLabel->setBuddy(frequencyEdit);
    dateLabel = new QLabel(tr("Starting On:"), formGroup);
    dateLabel->setObjectName(QStringLiteral("dateLabel"));
    dateLabel->setBuddy(datePicker);
    auto* timeLabel = new QLabel(tr("At Time:"), formGroup);
    timeLabel->setBuddy(timePicker);
    auto* frequencyRow = new QHBoxLayout;
    frequencyRow->addWidget(frequencyEdit);
    frequencyRow->addWidget(unitList, 1);

    updateButton = new QPushButton(tr("&Update"), formGroup);
    findButton = new QPushButton(tr("F&ind"), formGroup);
    manageButton = new QPushButton(tr("M&anage"), formGroup);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {updateButton, findButton, manageButton}) {
        button->setAutoDefault(false);
        // As wide as the text needs, so that the form fits beside the calendar.
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 20);
        buttons->addWidget(button);
    }

    form->addWidget(notScheduledButton, 0, 0, 1, 2);
    form->addWidget(singleButton, 1, 0, 1, 2);
    form->addWidget(repeatedButton, 2, 0, 1, 2);
    // "Frequency: Every" reads on into the box and the unit on the next line,
    // which keeps the form narrow enough to stand beside the calendar.
    form->addWidget(frequencyLabel, 3, 0, 1, 2);
    form->addLayout(frequencyRow, 4, 1);
    form->addWidget(dateLabel, 5, 0);
    form->addWidget(datePicker, 5, 1);
    form->addWidget(timeLabel, 6, 0);
    form->addWidget(timePicker, 6, 1);
    form->addLayout(buttons, 7, 0, 1, 2);
    form->setColumnStretch(1, 1);
    form->setRowStretch(8, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(calendar, 0, Qt::AlignTop);
    top->addWidget(formGroup, 1);
    page->addLayout(top);

    auto* tasksLabel = new QLabel(tr("Scheduled Tasks:"), this);
    dayList = new CScheduleList(this, this);
    dayList->setAccessibleName(tr("Scheduled Tasks"));
    tasksLabel->setBuddy(dayList);
    page->addWidget(tasksLabel);
    page->addWidget(dayList, 1);

    SetTabChain({calendar, notScheduledButton, singleButton, repeatedButton, frequencyEdit,
                 unitList, datePicker, timePicker, updateButton, findButton, manageButton,
                 dayList});

    // Page start: not scheduled, and nothing to update until a macro is shown.
    frequencyEdit->setText(QStringLiteral("1"));
    notScheduledButton->setChecked(true);
    ApplyScheduleRule();
    for (QWidget* control :
         std::initializer_list<QWidget*>{updateButton, findButton, manageButton, notScheduledButton,
                                         singleButton, repeatedButton})
        control->setEnabled(false);
    RefreshDayList();

    connect(types, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            ApplyScheduleRule();
    });
    connect(updateButton, &QPushButton::clicked, this, &CSchedulerPage::Update);
    connect(findButton, &QPushButton::clicked, this, &CSchedulerPage::Find);
    connect(manageButton, &QPushButton::clicked, this, &CSchedulerPage::Manage);
    connect(calendar, &QCalendarWidget::selectionChanged, this, &CSchedulerPage::RefreshCalendar);
    connect(calendar, &QCalendarWidget::currentPageChanged, this, [this] { MarkBoldDays(); });
}

int CSchedulerPage::CheckedScheduleType() const {
    if (notScheduledButton->isChecked())
        return 0;
    if (singleButton->isChecked())
        return 1;
    return 2;
}

void CSchedulerPage::ApplyScheduleRule() {
    const ScheduleControlState state = ScheduleTypeRule(CheckedScheduleType());
    frequencyEdit->setEnabled(state.frequency);
    unitList->setEnabled(state.frequency);
    datePicker->setEnabled(state.pickers);
    timePicker->setEnabled(state.pickers);
    dateLabel->setText(QString::fromLatin1(state.dateLabel));
}

CalendarDate CSchedulerPage::SelectedDate() const {
    const QDate date = calendar->selectedDate();
    return CalendarDate{date.year(), date.month(), date.day()};
}

void CSchedulerPage::ShowMacro(const CMacro& record) {
    const ScheduleFormValues values = ScheduleFormFor(record, Now());
    QRadioButton* const buttons[] = {notScheduledButton, singleButton, repeatedButton};
    buttons[values.scheduleType]->setChecked(true);
    datePicker->setDate(QDate(values.start.year, values.start.month, values.start.day));
    timePicker->setTime(QTime(values.start.hour, values.start.minute, values.start.second));
    unitList->setCurrentIndex(values.unitIndex);
    formGroup->setTitle(tr("Macro Name: %1").arg(Text(record.name)));
    frequencyEdit->setText(Text(values.frequencyText));
    ApplyScheduleRule();
    shownId = record.id;
    if (shownId > 0) {
        for (QWidget* control :
             std::initializer_list<QWidget*>{updateButton, findButton, manageButton,
                                             notScheduledButton, singleButton, repeatedButton})
            control->setEnabled(true);
    }
}

void CSchedulerPage::MarkBoldDays() {
    calendar->setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    // The shown month and the days of its neighbours the calendar shows.
    const QDate shown(calendar->yearShown(), calendar->monthShown(), 1);
    for (int offset = -1; offset <= 1; ++offset) {
        const QDate month = shown.addMonths(offset);
        const uint32_t mask = BoldDayMask(library, month.year(), month.month());
        for (int day = 1; day <= month.daysInMonth(); ++day)
            if (mask & (uint32_t{1} << (day - 1)))
                calendar->setDateTextFormat(QDate(month.year(), month.month(), day), bold);
    }
}

void CSchedulerPage::RefreshCalendar() {
    MarkBoldDays();
    RefreshDayList();
}

void CSchedulerPage::RefreshDayList() {
    dayRows = BuildDayList(library, SelectedDate());
    dayList->ShowRows(dayRows);
}

bool CSchedulerPage::DropMacro(int32_t id, int row) {
    CMacroNode* node = id != 0 ? library.FindById(id) : nullptr;
    if (!node)
        return false;
    if (!ApplyDrop(*node, dayRows, row, SelectedDate(), Now(), messages))
        return false;
    const CMacro record = *node;
    ops.PropagateMacroChange(record);
    // Keep the dropped macro's row in view after the rebuild.
    for (int i = 0; i < dayList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = dayList->topLevelItem(i);
        if (CScheduleList::RowId(item) == record.id) {
            dayList->setCurrentItem(item);
            dayList->scrollToItem(item);
            break;
        }
    }
    return true;
}

void CSchedulerPage::Update() {
    CMacroNode* node = library.FindById(shownId);
    if (!node) {
        messages.Show(tr("Could Not Update Macro").toStdString(),
                      UI_TEXT("Wingmate", "Wingmate Error"));
        return;
    }
    ScheduleFormValues values;
    values.scheduleType = CheckedScheduleType();
    values.frequencyText = frequencyEdit->text().toStdString();
    values.unitIndex = unitList->currentIndex();
    const QDate date = datePicker->date();
    const QTime time = timePicker->time();
    values.start = PickerDateTime{date.year(), date.month(),  date.day(),
                                  time.hour(), time.minute(), time.second()};
    const ScheduleFormRead read = ReadScheduleForm(values, node->unit);
    if (!read.frequencyMessage.empty()) {
        messages.Show(read.frequencyMessage, UI_TEXT("Wingmate", "Wingmate Error"));
        frequencyEdit->setText(Text(read.frequencyText));
    }
    ApplyScheduleFields(*node, read);
    const CMacro record = *node;
    ops.PropagateMacroChange(record);
}

void CSchedulerPage::Find() {
    if (!tree)
        return;
    if (QTreeWidgetItem* item = tree->FindItem(shownId)) {
        tree->setCurrentItem(item);
        tree->scrollToItem(item);
    }
}

void CSchedulerPage::Manage() {
    if (!library.FindById(shownId))
        return;
    ops.CommitManagerForm();
    ops.SelectMacro(shownId);
    ops.ShowManagerTab();
}
