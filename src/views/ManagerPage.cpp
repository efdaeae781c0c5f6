#include "views/ManagerPage.h"
#include "views/QtText.h"
#include "views/TabChain.h"

#include "ports/Clock.h"
#include "ports/MessageBox.h"
#include "ports/UiText.h"
#include "schedule/Schedule.h"
#include "triggers/TriggerEdit.h"
#include "views/IconSet.h"
#include "views/MainWindowOps.h"
#include "views/ScheduleControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

const char* const kPrefixTexts[] = {"<NONE>", "<CTRL>", "<SHIFT>"};

QString DefaultChooser(QWidget* parent, CManagerPage::BrowseKind kind, const QString& current) {
    if (kind == CManagerPage::BrowseKind::ScriptFile)
        return QFileDialog::getOpenFileName(
            parent, CManagerPage::tr("Script File"), current,
            CManagerPage::tr("Script Files (*.tsc);;All Files (*)"));
    return QFileDialog::getOpenFileName(parent, CManagerPage::tr("Executable"), current,
                                        CManagerPage::tr("All Files (*)"));
}

// Buttons keep some room around their text whatever the style's padding.
void GiveRoom(std::initializer_list<QPushButton*> buttons) {
    for (QPushButton* button : buttons) {
        const int text =
            button->fontMetrics().horizontalAdvance(button->text().remove(QLatin1Char('&')));
        button->setMinimumWidth(qMax(button->sizeHint().width(), text + 24));
    }
}

// A label whose mnemonic focuses `buddy`.
QLabel* BuddyLabel(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* result = new QLabel(text, parent);
    result->setBuddy(buddy);
    return result;
}

} // namespace

// Date and time pickers hold a PickerDateTime.
static void SetPickers(QDateEdit* date, QTimeEdit* time, const PickerDateTime& at) {
    date->setDate(QDate(at.year, at.month, at.day));
    time->setTime(QTime(at.hour, at.minute, at.second));
}

static PickerDateTime ReadPickers(const QDateEdit* date, const QTimeEdit* time) {
    PickerDateTime at;
    const QDate day = date->date();
    const QTime clock = time->time();
    at.year = day.year();
    at.month = day.month();
    at.day = day.day();
    at.hour = clock.hour();
    at.minute = clock.minute();
    at.second = clock.second();
    return at;
}

CManagerPage::CManagerPage(CMacroLibrary& model, IMainWindowOps& mainWindow,
                           IMessageBox& messageBox, const IClock* timeSource, QWidget* parent)
    : QWidget(parent), library(model), ops(mainWindow), messages(messageBox), clock(timeSource) {
    setObjectName(QStringLiteral("managerPage"));
    BuildForm();
    ClearForm();
}

CManagerPage::~CManagerPage() = default;

int64_t CManagerPage::Now() const {
    if (clock)
        return clock->Now();
    return CSystemClock().Now();
}

void CManagerPage::BuildForm() {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 6, 8, 6);
    page->setSpacing(4);

    // Name, files and description, labels in one column.
    auto* entry = new QGridLayout;
    entry->setHorizontalSpacing(6);
    entry->setVerticalSpacing(4);
    entry->setColumnStretch(1, 1);
    auto label = [this](const QString& text, QWidget* buddy) {
        return BuddyLabel(this, text, buddy);
    };

    nameEdit = new QLineEdit(this);
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    macroSetBox = new QCheckBox(tr("Macr&o Set"), this);
    macroSetBox->setObjectName(QStringLiteral("macroSetBox"));
    iconLabel = new QLabel(this);
    iconLabel->setFixedSize(20, 20);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameEdit, 1);
    nameRow->addWidget(macroSetBox);
    nameRow->addWidget(iconLabel);
    entry->addWidget(label(tr("Macro &Name:"), nameEdit), 0, 0);
    entry->addLayout(nameRow, 0, 1, 1, 2);

    fileEdit = new QLineEdit(this);
    fileEdit->setObjectName(QStringLiteral("fileEdit"));
    fileBrowse = new QPushButton(tr("Browse..."), this);
    entry->addWidget(label(tr("F&ile:"), fileEdit), 1, 0);
    entry->addWidget(fileEdit, 1, 1);
    entry->addWidget(fileBrowse, 1, 2);

    executableEdit = new QLineEdit(this);
    executableEdit->setObjectName(QStringLiteral("executableEdit"));
    executableBrowse = new QPushButton(tr("Browse..."), this);
    entry->addWidget(label(tr("Executa&ble:"), executableEdit), 2, 0);
    entry->addWidget(executableEdit, 2, 1);
    entry->addWidget(executableBrowse, 2, 2);

    useTesseraBox = new QCheckBox(tr("&Use Tessera"), this);
    useTesseraBox->setObjectName(QStringLiteral("useTesseraBox"));
    entry->addWidget(useTesseraBox, 3, 1, 1, 2);

    descriptionEdit = new QPlainTextEdit(this);
    descriptionEdit->setObjectName(QStringLiteral("descriptionEdit"));
    descriptionEdit->setTabChangesFocus(true);
    const int lineHeight = descriptionEdit->fontMetrics().lineSpacing();
    descriptionEdit->setFixedHeight(lineHeight * 2 + 12);
    auto* descriptionLabel = label(tr("Descri&ption:"), descriptionEdit);
    descriptionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    entry->addWidget(descriptionLabel, 4, 0, Qt::AlignTop);
    entry->addWidget(descriptionEdit, 4, 1, 1, 2);
    page->addLayout(entry);

    // Trigger combination: prefix, keys, Clear.
    auto* triggerGroup = new QGroupBox(tr("Trigger Combination"), this);
    auto* triggerRow = new QHBoxLayout(triggerGroup);
    triggerRow->setContentsMargins(8, 2, 8, 4);
    prefixList = new QComboBox(triggerGroup);
    prefixList->setObjectName(QStringLiteral("prefixList"));
    for (const char* text : kPrefixTexts)
        prefixList->addItem(QString::fromLatin1(text));
    triggerEdit = new CTriggerEdit(triggerGroup);
    triggerEdit->setObjectName(QStringLiteral("triggerEdit"));
    triggerEdit->setPlaceholderText(tr("Press the keys"));
    clearTriggerButton = new QPushButton(tr("Cle&ar"), triggerGroup);
    auto* prefixLabel = new QLabel(tr("Prefi&x:"), triggerGroup);
    prefixLabel->setBuddy(prefixList);
    triggerRow->addWidget(prefixLabel);
    triggerRow->addWidget(prefixList);
    triggerRow->addSpacing(6);
    triggerRow->addWidget(triggerEdit, 1);
    triggerRow->addWidget(clearTriggerButton);
    triggerHeldNote = new QLabel(tr("Held by another program"), triggerGroup);
    triggerHeldNote->setObjectName(QStringLiteral("triggerHeldNote"));
    triggerHeldNote->setToolTip(
        tr("Another program holds these keys: the macro still runs, but the focused window "
           "gets the keys too."));
    triggerHeldNote->hide();
    triggerRow->addWidget(triggerHeldNote);
    page->addWidget(triggerGroup);
    QGridLayout* extrasGrid = BuildExtras(page);

    // Run schedule: the three types on the left, the times on the right.
    auto* scheduleGroup = new QGroupBox(tr("Run Schedule"), this);
    auto* schedule = new QGridLayout(scheduleGroup);
    schedule->setContentsMargins(8, 2, 8, 4);
    schedule->setHorizontalSpacing(6);
    schedule->setVerticalSpacing(4);
    const ScheduleControls controls = MakeScheduleControls(scheduleGroup, this);
    notScheduledButton = controls.notScheduled;
    singleButton = controls.single;
    repeatedButton = controls.repeated;
    QButtonGroup* types = controls.types;
    frequencyEdit = controls.frequency;
    unitList = controls.units;
    datePicker = controls.date;
    timePicker = controls.time;
    auto* frequencyRow = new QHBoxLayout;
    frequencyRow->addWidget(frequencyEdit);
    frequencyRow->addWidget(unitList);
    frequencyRow->addStretch(1);

    auto* frequencyLabel = new QLabel(tr("Fre&quency: Every"), scheduleGroup);
    frequencyLabel->setBuddy(frequencyEdit);
    dateLabel = new QLabel(tr("Starting Date:"), scheduleGroup);
    dateLabel->setObjectName(QStringLiteral("dateLabel"));
    dateLabel->setBuddy(datePicker);
    auto* timeLabel = new QLabel(tr("At Tim&e:"), scheduleGroup);
    timeLabel->setBuddy(timePicker);

    schedule->addWidget(notScheduledButton, 0, 0);
    schedule->addWidget(singleButton, 1, 0);
    schedule->addWidget(repeatedButton, 2, 0);
    schedule->setColumnMinimumWidth(1, 10);
    schedule->addWidget(frequencyLabel, 0, 2);
    schedule->addLayout(frequencyRow, 0, 3);
    schedule->addWidget(dateLabel, 1, 2);
    schedule->addWidget(datePicker, 1, 3, Qt::AlignLeft);
    schedule->addWidget(timeLabel, 2, 2);
    schedule->addWidget(timePicker, 2, 3, Qt::AlignLeft);
    schedule->setColumnStretch(3, 1);
    page->addWidget(scheduleGroup);

    // Last run and the buttons.
    auto* bottom = new QGridLayout;
    bottom->setHorizontalSpacing(6);
    lastRunEdit = new QLineEdit(this);
    lastRunEdit->setObjectName(QStringLiteral("lastRunEdit"));
    lastRunEdit->setAccessibleName(tr("Last Run"));
    lastRunEdit->setReadOnly(true);
    lastRunEdit->setFocusPolicy(Qt::ClickFocus);
    bottom->addWidget(new QLabel(tr("Last Run:"), this), 0, 0);
    bottom->addWidget(lastRunEdit, 0, 1);
    page->addLayout(bottom);

    addButton = new QPushButton(tr("A&dd Macro"), this);
    addButton->setObjectName(QStringLiteral("addButton"));
    clearFieldsButton = new QPushButton(tr("&Clear Fields"), this);
    clearFieldsButton->setObjectName(QStringLiteral("clearFieldsButton"));
    // Enter in the form does nothing: no button is a default button.
    addButton->setAutoDefault(false);
    clearFieldsButton->setAutoDefault(false);
    wizardButton = new QPushButton(tr("&Wizard"), this);
    wizardButton->setObjectName(QStringLiteral("wizardButton"));
    wizardButton->setAutoDefault(false);
    wizardButton->setVisible(false);
    // The buttons share the Last Run row: the page fits the window's height.
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(wizardButton);
    buttons->addWidget(addButton);
    buttons->addWidget(clearFieldsButton);
    bottom->addLayout(buttons, 0, 2);
    page->addStretch(1);

    // The labels of the three parts line up in one column.
    QWidget* filterLabel = extrasGrid->itemAtPosition(2, 0)->widget();
    const int labelWidth = qMax(qMax(frequencyLabel->sizeHint().width(),
                                     fontMetrics().horizontalAdvance(tr("Executable:"))),
                                filterLabel->sizeHint().width());
    entry->setColumnMinimumWidth(0, labelWidth);
    bottom->setColumnMinimumWidth(0, labelWidth);

    extrasGrid->setColumnMinimumWidth(0, labelWidth);
    GiveRoom({fileBrowse, executableBrowse, clearTriggerButton, pickWindowButton, addButton,
              clearFieldsButton});
    SetTabChain({nameEdit,
                 macroSetBox,
                 fileEdit,
                 fileBrowse,
                 executableEdit,
                 executableBrowse,
                 useTesseraBox,
                 descriptionEdit,
                 prefixList,
                 triggerEdit,
                 clearTriggerButton,
                 abbreviationEdit,
                 expandImmediatelyBox,
                 matchCaseBox,
                 replaceTextEdit,
                 filterEdit,
                 filterFieldList,
                 filterModeList,
                 pickWindowButton,
                 notScheduledButton,
                 singleButton,
                 repeatedButton,
                 frequencyEdit,
                 unitList,
                 datePicker,
                 timePicker,
                 lastRunEdit,
                 addButton,
                 clearFieldsButton});

    connect(macroSetBox, &QCheckBox::toggled, this, [this] { ApplyRules(); });
    connect(useTesseraBox, &QCheckBox::toggled, this, [this] { ApplyRules(); });
    connect(types, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            ApplyRules();
    });
    connect(addButton, &QPushButton::clicked, this, &CManagerPage::AddMacro);
    connect(clearFieldsButton, &QPushButton::clicked, this, &CManagerPage::ClearFields);
    connect(wizardButton, &QPushButton::clicked, this, &CManagerPage::RunWizard);
    connect(clearTriggerButton, &QPushButton::clicked, this, &CManagerPage::ClearTrigger);
    connect(fileBrowse, &QPushButton::clicked, this, [this] { Browse(BrowseKind::ScriptFile); });
    connect(executableBrowse, &QPushButton::clicked, this,
            [this] { Browse(BrowseKind::Executable); });
}

QGridLayout* CManagerPage::BuildExtras(QVBoxLayout* page) {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    grid->setColumnStretch(1, 1);
    auto label = [this](const QString& text, QWidget* buddy) {
        return BuddyLabel(this, text, buddy);
    };
    abbreviationEdit = new QLineEdit(this);
    abbreviationEdit->setObjectName(QStringLiteral("abbreviationEdit"));
    abbreviationEdit->setToolTip(
        tr("Typed in any window and followed by a space, Tab, Enter or punctuation, it is "
           "erased and the macro runs (up to %1 characters).")
            .arg(MacroExtras::kMaxAbbreviation));
    expandImmediatelyBox = new QCheckBox(tr("Expand immediatel&y"), this);
    expandImmediatelyBox->setObjectName(QStringLiteral("expandImmediatelyBox"));
    expandImmediatelyBox->setToolTip(tr("Runs as soon as the abbreviation is typed, without "
                                        "waiting for the end of the word."));
    matchCaseBox = new QCheckBox(tr("Match case"), this);
    matchCaseBox->setObjectName(QStringLiteral("matchCaseBox"));
    matchCaseBox->setToolTip(
        tr("The replacement follows the case of the typing: \"Sig\" gives \"Signature\"."));
    auto* abbreviationRow = new QHBoxLayout;
    abbreviationRow->addWidget(abbreviationEdit, 1);
    abbreviationRow->addWidget(expandImmediatelyBox);
    abbreviationRow->addWidget(matchCaseBox);
    grid->addWidget(label(tr("Abbre&viation:"), abbreviationEdit), 0, 0);
    grid->addLayout(abbreviationRow, 0, 1, 1, 2);

    replaceTextEdit = new QPlainTextEdit(this);
    replaceTextEdit->setObjectName(QStringLiteral("replaceTextEdit"));
    replaceTextEdit->setTabChangesFocus(true);
    replaceTextEdit->setFixedHeight(replaceTextEdit->fontMetrics().lineSpacing() * 2 + 12);
    replaceTextEdit->setToolTip(
        tr("Typed instead of running the script when not empty. $|$ marks where the caret "
           "ends; {clipboard} is replaced by the clipboard's text and {date:%Y-%m-%d} by "
           "today's date in that format."));
    auto* replaceLabel = label(tr("Replace with text:"), replaceTextEdit);
    replaceLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    replaceLabel->setWordWrap(true); // keeps to the form's label column
    grid->addWidget(replaceLabel, 1, 0, Qt::AlignTop);
    grid->addWidget(replaceTextEdit, 1, 1, 1, 2);

    filterEdit = new QLineEdit(this);
    filterEdit->setObjectName(QStringLiteral("filterEdit"));
    filterEdit->setPlaceholderText(tr("Every window"));
    filterEdit->setToolTip(
        tr("The keys and the abbreviation work only in the windows this names: * matches "
           "any text, or a regular expression after re:. Empty: every window."));
    filterFieldList = new QComboBox(this);
    filterFieldList->setObjectName(QStringLiteral("filterFieldList"));
    filterFieldList->addItem(tr("by class"));
    filterFieldList->addItem(tr("by title"));
    filterModeList = new QComboBox(this);
    filterModeList->setObjectName(QStringLiteral("filterModeList"));
    filterModeList->addItem(tr("Only these"));
    filterModeList->addItem(tr("All but these"));
    pickWindowButton = new QPushButton(tr("Pic&k Window"), this);
    pickWindowButton->setObjectName(QStringLiteral("pickWindowButton"));
    pickWindowButton->setAutoDefault(false);
    pickWindowButton->setToolTip(tr("Click a window to take its class or title."));
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterEdit, 1);
    filterRow->addWidget(filterFieldList);
    filterRow->addWidget(filterModeList);
    filterRow->addWidget(pickWindowButton);
    grid->addWidget(label(tr("Windows matchin&g:"), filterEdit), 2, 0);
    grid->addLayout(filterRow, 2, 1, 1, 2);

    // One line, so the page keeps its height; the whole text is its tooltip.
    extrasNote = new QLabel(this);
    extrasNote->setObjectName(QStringLiteral("extrasNote"));
    extrasNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    extrasNote->setStyleSheet(dark ? QStringLiteral("color: #ff8a80;")
                                   : QStringLiteral("color: #b00020;"));
    extrasNote->hide();
    grid->addWidget(extrasNote, 3, 1, 1, 2);
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    abbreviationWarning = abbreviationEdit->addAction(warning, QLineEdit::TrailingPosition);
    filterWarning = filterEdit->addAction(warning, QLineEdit::TrailingPosition);
    abbreviationWarning->setVisible(false);
    filterWarning->setVisible(false);
    page->addLayout(grid);

    connect(abbreviationEdit, &QLineEdit::textChanged, this, [this] { RefreshExtrasNotes(); });
    connect(replaceTextEdit, &QPlainTextEdit::textChanged, this, [this] { RefreshExtrasNotes(); });
    connect(filterEdit, &QLineEdit::textChanged, this, [this] { RefreshExtrasNotes(); });
    connect(pickWindowButton, &QPushButton::clicked, this, &CManagerPage::PickWindow);
    return grid;
}

void CManagerPage::RefreshExtrasNotes() {
    const ExtrasFieldProblems problems = ExtrasProblems(FormValues().extras);
    QStringList notes;
    auto say = [&notes](QString field, const std::string& problem) {
        if (!problem.empty())
            notes << tr("%1 It is not saved until it is mended.")
                         .arg(field.remove(QLatin1Char('&')) + QLatin1Char(' ') + Text(problem));
    };
    say(tr("Abbre&viation:"), problems.abbreviation);
    say(tr("Replace with text:"), problems.replacement);
    say(tr("Windows matchin&g:"), problems.filter);
    extrasNoteText = notes.join(QLatin1Char(' '));
    extrasNote->setToolTip(notes.join(QLatin1Char('\n')));
    extrasNote->setVisible(!notes.isEmpty());
    FitExtrasNote();
    abbreviationWarning->setVisible(!problems.abbreviation.empty());
    abbreviationWarning->setToolTip(Text(problems.abbreviation));
    filterWarning->setVisible(!problems.filter.empty());
    filterWarning->setToolTip(Text(problems.filter));
}

void CManagerPage::FitExtrasNote() {
    const int width = extrasNote->width() > 1 ? extrasNote->width() : filterEdit->width();
    extrasNote->setText(
        extrasNote->fontMetrics().elidedText(extrasNoteText, Qt::ElideRight, width));
}

void CManagerPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitExtrasNote();
}

void CManagerPage::PickWindow() {
    if (!windowPicker) {
        messages.Show(UiText(UI_TEXT("Wingmate", "Windows cannot be picked on this desktop.")),
                      UI_TEXT("Wingmate", "Wingmate Error"));
        return;
    }
    PickedWindow picked;
    std::string error;
    if (!windowPicker->PickNextClicked(picked, error)) {
        if (!error.empty())
            messages.Show(UiFormat(UI_TEXT("Wingmate", "No window was picked: %1"), {error}),
                          UI_TEXT("Wingmate", "Wingmate Error"));
        return;
    }
    const bool byTitle = filterFieldList->currentIndex() == 1;
    const std::string pattern = PatternForPickedWindow(picked, byTitle);
    if (pattern.empty()) {
        messages.Show(UiText(byTitle ? UI_TEXT("Wingmate", "The window picked has no title.")
                                     : UI_TEXT("Wingmate", "The window picked has no class.")),
                      UI_TEXT("Wingmate", "Wingmate Error"));
        return;
    }
    filterEdit->setText(Text(pattern));
    filterEdit->setFocus(Qt::OtherFocusReason);
}

void CManagerPage::SetHookControl(IKeyHookControl* control) {
    triggerEdit->SetHookControl(control);
}

int CManagerPage::CheckedScheduleType() const {
    if (notScheduledButton->isChecked())
        return 0;
    if (singleButton->isChecked())
        return 1;
    return 2;
}

ManagerFormValues CManagerPage::FormValues() const {
    ManagerFormValues values;
    values.name = nameEdit->text().toStdString();
    values.macroSet = macroSetBox->isChecked();
    values.scriptFile = fileEdit->text().toStdString();
    values.executable = executableEdit->text().toStdString();
    values.useTessera = useTesseraBox->isChecked();
    values.description = descriptionEdit->toPlainText().toStdString();
    values.prefixIndex = prefixList->currentIndex();
    values.triggerKey = triggerEdit->text().toStdString();
    values.scheduleType = CheckedScheduleType();
    values.frequencyText = frequencyEdit->text().toStdString();
    values.unitIndex = unitList->currentIndex();
    values.start = ReadPickers(datePicker, timePicker);
    values.lastRunText = lastRunEdit->text().toStdString();
    values.extras.abbreviation = abbreviationEdit->text().toStdString();
    values.extras.expandImmediately = expandImmediatelyBox->isChecked();
    values.extras.matchCase = matchCaseBox->isChecked();
    values.extras.replaceWithText = replaceTextEdit->toPlainText().toStdString();
    values.extras.filter.pattern = filterEdit->text().toStdString();
    values.extras.filter.matchTitle = filterFieldList->currentIndex() == 1;
    values.extras.filter.exclude = filterModeList->currentIndex() == 1;
    return values;
}

void CManagerPage::SetFormValues(const ManagerFormValues& values) {
    const QSignalBlocker blockSet(macroSetBox);
    const QSignalBlocker blockTessera(useTesseraBox);
    nameEdit->setText(Text(values.name));
    macroSetBox->setChecked(values.macroSet);
    fileEdit->setText(Text(values.scriptFile));
    executableEdit->setText(Text(values.executable));
    useTesseraBox->setChecked(values.useTessera);
    descriptionEdit->setPlainText(Text(values.description));
    prefixList->setCurrentIndex(values.prefixIndex);
    triggerEdit->setText(Text(values.triggerKey));
    QRadioButton* const buttons[] = {notScheduledButton, singleButton, repeatedButton};
    buttons[values.scheduleType == 1 || values.scheduleType == 2 ? values.scheduleType : 0]
        ->setChecked(true);
    frequencyEdit->setText(Text(values.frequencyText));
    unitList->setCurrentIndex(values.unitIndex);
    SetPickers(datePicker, timePicker, values.start);
    lastRunEdit->setText(Text(values.lastRunText));
    lastRunEdit->setCursorPosition(0);
    abbreviationEdit->setText(Text(values.extras.abbreviation));
    expandImmediatelyBox->setChecked(values.extras.expandImmediately);
    matchCaseBox->setChecked(values.extras.matchCase);
    replaceTextEdit->setPlainText(Text(values.extras.replaceWithText));
    filterEdit->setText(Text(values.extras.filter.pattern));
    filterFieldList->setCurrentIndex(values.extras.filter.matchTitle ? 1 : 0);
    filterModeList->setCurrentIndex(values.extras.filter.exclude ? 1 : 0);
    shownValues = FormValues();
}

void CManagerPage::ApplyRules() {
    const ManagerControlState state = ManagerControls(
        macroSetBox->isChecked(), CheckedScheduleType(), useTesseraBox->isChecked());
    fileEdit->setEnabled(state.scriptFile);
    fileBrowse->setEnabled(state.scriptFile);
    executableEdit->setEnabled(state.executable);
    executableBrowse->setEnabled(state.executable);
    useTesseraBox->setEnabled(state.useTessera);
    prefixList->setEnabled(state.trigger);
    triggerEdit->setEnabled(state.trigger);
    clearTriggerButton->setEnabled(state.trigger);
    // A macro set has no trigger, so no abbreviation or window filter either.
    for (QWidget* extra : std::initializer_list<QWidget*>{
             abbreviationEdit, expandImmediatelyBox, matchCaseBox, replaceTextEdit, filterEdit,
             filterFieldList, filterModeList, pickWindowButton})
        extra->setEnabled(state.trigger);
    notScheduledButton->setEnabled(state.scheduleType);
    singleButton->setEnabled(state.scheduleType);
    repeatedButton->setEnabled(state.scheduleType);
    frequencyEdit->setEnabled(state.schedule.frequency);
    unitList->setEnabled(state.schedule.frequency);
    datePicker->setEnabled(state.schedule.pickers);
    timePicker->setEnabled(state.schedule.pickers);
    dateLabel->setText(QString::fromStdString(UiText(state.schedule.dateLabel)));
    iconLabel->setPixmap(TreeIconImage(state.icon).pixmap(18, 18));
    iconLabel->setToolTip(state.icon == TreeIcon::MacroSet ? tr("Macro set") : tr("Macro"));
}

CMacro CManagerPage::ReadForm() {
    const CMacroNode* shown = shownId != 0 ? library.FindById(shownId) : nullptr;
    const ManagerFormRead read =
        ReadManagerForm(FormValues(), shownId, shown ? &shown->extras : nullptr);
    if (!read.frequencyMessage.empty()) {
        messages.Show(read.frequencyMessage, UI_TEXT("Wingmate", "Wingmate Error"));
        frequencyEdit->setText(Text(read.frequencyText));
    }
    return read.record;
}

void CManagerPage::ShowMacro(const CMacro& record) {
    const CMacroNode* node = library.FindById(record.id);
    if (!node)
        return;
    macroSetBox->setEnabled(MacroSetBoxEnabled(*node));
    ManagerFormValues values = ManagerFormFor(record, Now());
    // Shown again after a commit: a field that could not be stored keeps
    // what the user typed, and still differs from the entry.
    const bool again = record.id == shownId;
    const MacroExtras typed = FormValues().extras;
    if (again)
        values.extras = KeepBadExtras(values.extras, typed);
    SetFormValues(values);
    if (again)
        shownValues.extras = record.extras;
    shownId = record.id;
    ApplyRules();
    RefreshTriggerNote();
    RefreshExtrasNotes();
}

void CManagerPage::RefreshTriggerNote() {
    triggerHeldNote->setVisible(shownId != 0 && heldElsewhere && heldElsewhere(shownId));
}

void CManagerPage::ShowLastRun(const CMacro& record) {
    if (record.id != shownId)
        return;
    lastRunEdit->setText(Text(record.lastRunText));
    lastRunEdit->setCursorPosition(0);
    shownValues.lastRunText = FormValues().lastRunText;
}

void CManagerPage::ClearForm() {
    shownId = 0;
    triggerHeldNote->hide();
    macroSetBox->setEnabled(true);
    SetFormValues(BlankManagerForm(Now()));
    ApplyRules();
    RefreshExtrasNotes();
    ClearTrigger();
}

void CManagerPage::ClearTrigger() {
    triggerEdit->clear();
    prefixList->setCurrentIndex(static_cast<int>(TriggerPrefix::None));
    if (isVisible())
        triggerEdit->setFocus(Qt::OtherFocusReason);
}

void CManagerPage::AddMacro() {
    CMacro record = ReadForm();
    record.lastRunText.clear();
    // A new entry has no stored extras: a field that cannot work stays empty
    // rather than taking the shown entry's.
    record.extras = ExtrasToStore(FormValues().extras, MacroExtras());
    const std::string error = AddMacroError(record);
    if (!error.empty()) {
        messages.Show(error, UI_TEXT("Wingmate", "Wingmate Error"));
        return;
    }
    record.id = 0;
    const int32_t newId = ops.AddMacroAtCaret(record);
    if (newId > 0) {
        shownId = newId;
        // The new entry has not run: its Last Run box must not carry the
        // text of the entry the form showed before.
        lastRunEdit->clear();
        shownValues = FormValues();
        shownValues.extras = record.extras; // a field not stored is still an edit
    }
}

void CManagerPage::RunWizard() {
    if (!wizardRunner)
        return;
    if (std::optional<CMacro> record = wizardRunner()) {
        record->id = 0;
        ops.AddMacroAtCaret(*record);
    }
}

void CManagerPage::ClearFields() {
    ops.SelectMacro(shownId);
    ClearForm();
}

void CManagerPage::Browse(BrowseKind kind) {
    QLineEdit* box = kind == BrowseKind::ScriptFile ? fileEdit : executableEdit;
    const QString chosen =
        fileChooser ? fileChooser(kind, box->text()) : DefaultChooser(this, kind, box->text());
    if (!chosen.isEmpty())
        box->setText(chosen);
}
