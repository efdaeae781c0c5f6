#pragma once
// CManagerPage: the Manager tab, a form that shows one entry of the library.
// It writes nothing into the library itself: the main window reads the form
// back (ReadForm) at its commit points, and Add Macro hands a new record to
// the main window.

#include "library/MacroLibrary.h"
#include "views/ManagerForm.h"

#include "views/PageForms.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

class CTriggerEdit;
class IClock;
class IWindowPicker;
class QAction;
class IKeyHookControl;
class IMainWindowOps;
class IMessageBox;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;
class QVBoxLayout;

class CManagerPage : public QWidget, public IManagerForm {
    Q_OBJECT
public:
    enum class BrowseKind { ScriptFile, Executable };
    // Asks for a file to open; an empty answer is Cancel.
    using FileChooser = std::function<QString(BrowseKind kind, const QString& current)>;

    // `clock` gives "now" for the pickers of a blank form (the system clock
    // when null).
    CManagerPage(CMacroLibrary& library, IMainWindowOps& ops, IMessageBox& messages,
                 const IClock* clock = nullptr, QWidget* parent = nullptr);
    ~CManagerPage() override;

    // The trigger box releases this hook while it has the focus.
    void SetHookControl(IKeyHookControl* control);
    // Whether another program holds the keys of entry `id`'s trigger: a note
    // beside the trigger says so.
    void SetHeldElsewhereQuery(std::function<bool(int32_t)> query) {
        heldElsewhere = std::move(query);
        RefreshTriggerNote();
    }
    void RefreshTriggerNote() override;
    // Replaces the file-open dialog of the Browse buttons (tests).
    void SetFileChooser(FileChooser chooser) { fileChooser = std::move(chooser); }
    // Runs the Macro Wizard for the hidden Wizard button; the macro it made,
    // if it finished. Without one the button does nothing.
    using WizardRunner = std::function<std::optional<CMacro>()>;
    void SetWizardRunner(WizardRunner runner) { wizardRunner = std::move(runner); }
    // Answers Pick Window; without one the button says picking cannot work.
    void SetWindowPicker(IWindowPicker* picker) { windowPicker = picker; }

    // The form as a record with id = ShownId(). Shows the frequency message
    // (and corrects the box) when the frequency is out of range.
    CMacro ReadForm() override;
    // Fills the form from the record when the library has its entry; else
    // nothing changes.
    void ShowMacro(const CMacro& record) override;
    // The Last Run box follows the record when the form shows it.
    void ShowLastRun(const CMacro& record) override;
    // A blank form for a new entry (ShownId() 0).
    void ClearForm() override;
    int32_t ShownId() const override { return shownId; }
    bool HasEdits() const override { return FormValues() != shownValues; }

    // The buttons' actions. ClearFields commits the shown entry through the
    // main window, then clears the form (also the New Macro command).
    void AddMacro();
    void ClearFields();
    void ClearTrigger();
    // The wizard's macro goes in at the caret; the form keeps its entry.
    void RunWizard();
    void Browse(BrowseKind kind);
    // The window filter takes the class or title of the next window clicked.
    void PickWindow();

    // What the controls hold, and filling them (no rules are applied).
    ManagerFormValues FormValues() const;
    void SetFormValues(const ManagerFormValues& values);

    // The controls, for the main window's focus handling and for tests.
    QLineEdit* nameEdit = nullptr;
    QCheckBox* macroSetBox = nullptr;
    QLabel* iconLabel = nullptr;
    QLineEdit* fileEdit = nullptr;
    QPushButton* fileBrowse = nullptr;
    QLineEdit* executableEdit = nullptr;
    QPushButton* executableBrowse = nullptr;
    QCheckBox* useTesseraBox = nullptr;
    QPlainTextEdit* descriptionEdit = nullptr;
    QComboBox* prefixList = nullptr;
    CTriggerEdit* triggerEdit = nullptr;
    QPushButton* clearTriggerButton = nullptr;
    QLabel* triggerHeldNote = nullptr;
    QRadioButton* notScheduledButton = nullptr;
    QRadioButton* singleButton = nullptr;
    QRadioButton* repeatedButton = nullptr;
    QLineEdit* frequencyEdit = nullptr;
    QComboBox* unitList = nullptr;
    QLabel* dateLabel = nullptr;
    QDateEdit* datePicker = nullptr;
    QTimeEdit* timePicker = nullptr;
    QLineEdit* abbreviationEdit = nullptr;
    QCheckBox* expandImmediatelyBox = nullptr;
    QCheckBox* matchCaseBox = nullptr;
    QPlainTextEdit* replaceTextEdit = nullptr;
    QLineEdit* filterEdit = nullptr;
    QComboBox* filterModeList = nullptr;  // only these windows, all but these
    QComboBox* filterFieldList = nullptr; // class, title
    QPushButton* pickWindowButton = nullptr;
    // What is wrong with the extras fields, one line under them (hidden
    // when nothing), and a warning sign in a line edit that holds it.
    QLabel* extrasNote = nullptr;
    QAction* abbreviationWarning = nullptr;
    QAction* filterWarning = nullptr;
    QLineEdit* lastRunEdit = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* clearFieldsButton = nullptr;
    QPushButton* wizardButton = nullptr; // hidden

private:
    void BuildForm();
    // The abbreviation, replacement and window filter rows; their grid.
    QGridLayout* BuildExtras(QVBoxLayout* page);
    // The notes follow what the extras fields hold now.
    void RefreshExtrasNotes();
    // The note's text, cut with "..." to the width it has.
    void FitExtrasNote();
    void resizeEvent(QResizeEvent* event) override;
    // The "Macro Set", schedule-type and "Use Tessera" rules, and the icon.
    void ApplyRules();
    int CheckedScheduleType() const;
    int64_t Now() const;

    CMacroLibrary& library;
    IMainWindowOps& ops;
    IMessageBox& messages;
    const IClock* clock;
    FileChooser fileChooser;
    WizardRunner wizardRunner;
    IWindowPicker* windowPicker = nullptr;
    std::function<bool(int32_t)> heldElsewhere;
    int32_t shownId = 0;
    ManagerFormValues shownValues; // as last filled, for HasEdits
    QString extrasNoteText;        // the whole note
};
