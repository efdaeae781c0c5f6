// The main window's commands: the menu, the toolbar, what each command does
// and when it is available.

#include "app/MainDlg.h"
#include "library/HomeFolder.h"
#include "program/DeclarationsRecorder.h"

#include "triggers/KeyHook.h"
#include "views/HelpPage.h"
#include "views/IconSet.h"
#include "views/LogPage.h"
#include "views/MacroTree.h"
#include "views/MacroTreeLogic.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>

#include <filesystem>

namespace {
struct MenuItem {
    int command; // 0: a separator
    const char* text;
    bool checkable = false;
};
struct MenuColumn {
    const char* title;
    std::vector<MenuItem> items;
};

// The menu bar, in menu order.
const std::vector<MenuColumn>& MenuTable() {
    static const std::vector<MenuColumn> table = {
        {QT_TRANSLATE_NOOP("CMainDlg", "&File"),
         {{int(Command::Hide), QT_TRANSLATE_NOOP("CMainDlg", "&Hide")},
          {int(Command::MacroWizard), QT_TRANSLATE_NOOP("CMainDlg", "&Macro Wizard")},
          {0, ""},
          {int(Command::SaveMacros), QT_TRANSLATE_NOOP("CMainDlg", "&Save Macros")},
          {int(Command::RestoreMacros), QT_TRANSLATE_NOOP("CMainDlg", "&Restore Macros")},
          {0, ""},
          {int(Command::Exit), QT_TRANSLATE_NOOP("CMainDlg", "&Exit")}}},
        {QT_TRANSLATE_NOOP("CMainDlg", "&Macro"),
         {{int(Command::NewMacro), QT_TRANSLATE_NOOP("CMainDlg", "&New")},
          {0, ""},
          {MacroCommand::kCut, QT_TRANSLATE_NOOP("CMainDlg", "Cu&t")},
          {MacroCommand::kCopy, QT_TRANSLATE_NOOP("CMainDlg", "&Copy")},
          {MacroCommand::kDelete, QT_TRANSLATE_NOOP("CMainDlg", "&Delete")},
          {MacroCommand::kPasteIn, QT_TRANSLATE_NOOP("CMainDlg", "Paste &In")},
          {MacroCommand::kPasteAfter, QT_TRANSLATE_NOOP("CMainDlg", "Paste &After")},
          {MacroCommand::kPasteBefore, QT_TRANSLATE_NOOP("CMainDlg", "Paste &Before")},
          {0, ""},
          {MacroCommand::kExecute, QT_TRANSLATE_NOOP("CMainDlg", "E&xecute")},
          {int(Command::Stop), QT_TRANSLATE_NOOP("CMainDlg", "&Stop")}}},
        {QT_TRANSLATE_NOOP("CMainDlg", "&Script"),
         {{int(Command::NewScript), QT_TRANSLATE_NOOP("CMainDlg", "&New")},
          {int(Command::OpenScript), QT_TRANSLATE_NOOP("CMainDlg", "&Open")},
          {MacroCommand::kEdit, QT_TRANSLATE_NOOP("CMainDlg", "&Edit")}}},
        {QT_TRANSLATE_NOOP("CMainDlg", "&Record"),
         {{int(Command::RecordScript), QT_TRANSLATE_NOOP("CMainDlg", "&Script")},
          {int(Command::RecordDeclarations), QT_TRANSLATE_NOOP("CMainDlg", "&Declarations")}}},
        {QT_TRANSLATE_NOOP("CMainDlg", "&Log"),
         {{int(Command::SaveLogFile), QT_TRANSLATE_NOOP("CMainDlg", "&Save Log File")},
          {int(Command::ClearLogDisplay), QT_TRANSLATE_NOOP("CMainDlg", "Clear Log &Display")},
          {int(Command::ClearLogFile), QT_TRANSLATE_NOOP("CMainDlg", "Clear Log &File")}}},
        {QT_TRANSLATE_NOOP("CMainDlg", "&Tools"),
         {{int(Command::DisableScheduler), QT_TRANSLATE_NOOP("CMainDlg", "Disable &Scheduler"),
           true},
          {int(Command::DisableTriggers), QT_TRANSLATE_NOOP("CMainDlg", "Disable &Triggers"), true},
          {0, ""},
          {int(Command::Options), QT_TRANSLATE_NOOP("CMainDlg", "&Options")}}},
        {QT_TRANSLATE_NOOP("CMainDlg", "&Help"),
         {{int(Command::HelpWingmate), QT_TRANSLATE_NOOP("CMainDlg", "&Wingmate")},
          {int(Command::HelpTessera), QT_TRANSLATE_NOOP("CMainDlg", "&Tessera")},
          {0, ""},
          {int(Command::About), QT_TRANSLATE_NOOP("CMainDlg", "&About")}}},
    };
    return table;
}

struct ToolButton {
    int command; // 0: a separator
    ToolIcon icon;
    const char* text;
    const char* tooltip;
};
// Separators after Hide, after Macro Wizard, after Record Script and after
// Stop Macro.
constexpr ToolButton kToolbar[] = {
    {int(Command::Hide), ToolIcon::Hide, QT_TRANSLATE_NOOP("CMainDlg", "Hide"),
     QT_TRANSLATE_NOOP("CMainDlg", "Hide Wingmate")},
    {0, ToolIcon::Hide, "", ""},
    {int(Command::NewMacro), ToolIcon::NewMacro, QT_TRANSLATE_NOOP("CMainDlg", "New"),
     QT_TRANSLATE_NOOP("CMainDlg", "New Macro")},
    {int(Command::SaveMacros), ToolIcon::SaveMacros, QT_TRANSLATE_NOOP("CMainDlg", "Save"),
     QT_TRANSLATE_NOOP("CMainDlg", "Save Macros")},
    {int(Command::MacroWizard), ToolIcon::MacroWizard, QT_TRANSLATE_NOOP("CMainDlg", "Wizard"),
     QT_TRANSLATE_NOOP("CMainDlg", "Macro Wizard")},
    {0, ToolIcon::Hide, "", ""},
    {int(Command::NewScript), ToolIcon::NewScript, QT_TRANSLATE_NOOP("CMainDlg", "New Script"),
     QT_TRANSLATE_NOOP("CMainDlg", "New Script")},
    {int(Command::OpenScript), ToolIcon::OpenScript, QT_TRANSLATE_NOOP("CMainDlg", "Open Script"),
     QT_TRANSLATE_NOOP("CMainDlg", "Open Script")},
    {MacroCommand::kEdit, ToolIcon::EditScript, QT_TRANSLATE_NOOP("CMainDlg", "Edit Script"),
     QT_TRANSLATE_NOOP("CMainDlg", "Edit Script")},
    {int(Command::RecordScript), ToolIcon::RecordScript, QT_TRANSLATE_NOOP("CMainDlg", "Record"),
     QT_TRANSLATE_NOOP("CMainDlg", "Record Script")},
    {0, ToolIcon::Hide, "", ""},
    {MacroCommand::kExecute, ToolIcon::RunMacro, QT_TRANSLATE_NOOP("CMainDlg", "Run"),
     QT_TRANSLATE_NOOP("CMainDlg", "Run Macro")},
    {int(Command::Stop), ToolIcon::StopMacro, QT_TRANSLATE_NOOP("CMainDlg", "Stop"),
     QT_TRANSLATE_NOOP("CMainDlg", "Stop Macro")},
    {0, ToolIcon::Hide, "", ""},
    {int(Command::HelpWingmate), ToolIcon::Help, QT_TRANSLATE_NOOP("CMainDlg", "Help"),
     QT_TRANSLATE_NOOP("CMainDlg", "Wingmte Help")},
};

// Keys of the desktop's conventions where one exists; F5 and Shift+F5 run and
// stop as in most tools that run things. Shown in the menus; they work
// wherever the focus is in the window, the tree included (a text box keeps
// its own editing keys).
// A desktop theme without a binding for one (some have no Quit) gets the
// common key instead.
struct CommandShortcut {
    int command;
    QKeySequence::StandardKey standard; // UnknownKey: only the fallback
    QKeyCombination fallback;
};
const CommandShortcut kShortcuts[] = {
    {int(Command::NewMacro), QKeySequence::New, Qt::CTRL | Qt::Key_N},
    {int(Command::SaveMacros), QKeySequence::Save, Qt::CTRL | Qt::Key_S},
    {int(Command::Exit), QKeySequence::Quit, Qt::CTRL | Qt::Key_Q},
    {MacroCommand::kCut, QKeySequence::Cut, Qt::CTRL | Qt::Key_X},
    {MacroCommand::kCopy, QKeySequence::Copy, Qt::CTRL | Qt::Key_C},
    {MacroCommand::kPasteAfter, QKeySequence::Paste, Qt::CTRL | Qt::Key_V},
    {MacroCommand::kDelete, QKeySequence::Delete, QKeyCombination(Qt::Key_Delete)},
    {int(Command::HelpWingmate), QKeySequence::HelpContents, QKeyCombination(Qt::Key_F1)},
    {MacroCommand::kExecute, QKeySequence::UnknownKey, QKeyCombination(Qt::Key_F5)},
    {int(Command::Stop), QKeySequence::UnknownKey, Qt::SHIFT | Qt::Key_F5},
};

QList<QKeySequence> ShortcutsFor(int command) {
    for (const CommandShortcut& shortcut : kShortcuts) {
        if (shortcut.command != command)
            continue;
        QList<QKeySequence> keys;
        if (shortcut.standard != QKeySequence::UnknownKey)
            keys = QKeySequence::keyBindings(shortcut.standard);
        if (keys.isEmpty())
            keys.append(QKeySequence(shortcut.fallback));
        return keys;
    }
    return {};
}

// The entry commands UpdateCommandState decides.
constexpr int kEntryCommands[] = {
    MacroCommand::kCut,     MacroCommand::kCopy,       MacroCommand::kDelete,
    MacroCommand::kPasteIn, MacroCommand::kPasteAfter, MacroCommand::kPasteBefore,
    MacroCommand::kExecute, MacroCommand::kEdit,
};
} // namespace

void CMainDlg::BuildMenus() {
    for (const MenuColumn& column : MenuTable()) {
        QMenu* menu = menuBar()->addMenu(tr(column.title));
        for (const MenuItem& item : column.items) {
            if (item.command == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(tr(item.text));
            action->setCheckable(item.checkable);
            const int command = item.command;
            action->setShortcuts(ShortcutsFor(command));
            connect(action, &QAction::triggered, this, [this, command] { HandleCommand(command); });
            commandActions.insert(command, action);
        }
    }
    for (int command : kEntryCommands)
        commandActions.value(command)->setEnabled(false);
    commandActions.value(int(Command::Stop))->setEnabled(false);
}

void CMainDlg::BuildToolbar() {
    auto* toolbar = addToolBar(tr("Toolbar"));
    toolbar->setObjectName(QStringLiteral("toolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setIconSize(QSize(22, 22));
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    for (const ToolButton& button : kToolbar) {
        if (button.command == 0) {
            toolbar->addSeparator();
            continue;
        }
        QAction* action = toolbar->addAction(ToolIconImage(button.icon), tr(button.text));
        action->setToolTip(tr(button.tooltip));
        const int command = button.command;
        connect(action, &QAction::triggered, this, [this, command] { HandleCommand(command); });
        toolbarActions.insert(command, action);
    }
    toolbarActions.value(MacroCommand::kExecute)->setEnabled(false);
    toolbarActions.value(MacroCommand::kEdit)->setEnabled(false);
    toolbarActions.value(int(Command::Stop))->setEnabled(false);
}

// The menu table's commands; false for a command this window does not know.
bool CMainDlg::RunMenuCommand(int command) {
    switch (command) {
    case int(Command::Hide):
        HideToTray();
        break;
    case int(Command::SaveMacros):
        program->SaveMacros();
        break;
    case int(Command::RestoreMacros):
        program->RestoreMacros();
        break;
    case int(Command::Exit):
        ExitProgram();
        break;
    case int(Command::NewMacro):
        NewMacro();
        break;
    case MacroCommand::kCut:
    case MacroCommand::kCopy:
    case MacroCommand::kDelete:
    case MacroCommand::kPasteIn:
    case MacroCommand::kPasteAfter:
    case MacroCommand::kPasteBefore:
        tree->RunCommand(command);
        UpdateCommandState(tree->GetCaretId());
        break;
    case MacroCommand::kExecute:
        ExecuteEntry(tree->GetCaretId());
        break;
    case MacroCommand::kEdit:
        EditSelectedScript(tree->GetCaretId());
        break;
    case int(Command::NewScript):
        OpenEditor("", false);
        break;
    case int(Command::OpenScript):
        OpenScriptFile();
        break;
    case int(Command::Stop):
        program->Stop();
        break;
    case int(Command::RecordDeclarations):
        RecordDeclarations();
        break;
    case int(Command::MacroWizard):
        RunMacroWizard();
        break;
    case int(Command::RecordScript):
        RecordScript();
        break;
    case int(Command::SaveLogFile):
        logPage->SaveLogFileAs();
        break;
    case int(Command::ClearLogDisplay):
        logPage->ClearLogDisplay();
        break;
    case int(Command::ClearLogFile):
        logPage->ClearLogFile();
        break;
    case int(Command::DisableScheduler):
        program->SetSchedulerEnabled(!program->RunQueue().SchedulerEnabled());
        break;
    case int(Command::DisableTriggers):
        program->SetTriggersEnabled(!State().triggersEnabled);
        break;
    case int(Command::Options):
        OpenOptions();
        break;
    case int(Command::About):
        OpenAbout();
        break;
    case int(Command::HelpWingmate):
        OpenHelp("Wingmate.html");
        break;
    case int(Command::HelpTessera):
        OpenHelp("Tessera.html");
        break;
    default:
        return false;
    }
    return true;
}

void CMainDlg::ExecuteEntry(int32_t id) {
    program->Execute(id);
}

// Commits the form to the entry it shows, then a blank form on the Manager tab.
void CMainDlg::NewMacro() {
    if (managerForm) {
        SelectMacro(managerForm->ShownId());
        managerForm->ClearForm();
    }
    ShowManagerTab();
}

void CMainDlg::OpenHelp(const std::string& file) {
    OpenHelpPage(home, file, services.openUrl, messages);
}

void CMainDlg::RecordDeclarations() {
    if (!services.launcher) {
        messages.Show(tr("Unknown Error.  Could not execute %1")
                          .arg(QString::fromStdString(DeclarationsRecorderPath(home)))
                          .toStdString(),
                      tr("Wingmate Error").toStdString(), MessageButtons::Ok);
        return;
    }
    StartDeclarationsRecorder(home, *services.launcher, messages);
}

// Grey every entry command, then enable what the entry allows.
void CMainDlg::UpdateCommandState(int32_t id) {
    const CommandAvailability available = MenuAvailability(Library(), id);
    for (int command : kEntryCommands)
        commandActions.value(command)->setEnabled(available.IsEnabled(command));
    RefreshToolbar();
}

bool CMainDlg::SelectedIsMacro() const {
    const CMacroNode* node = Library().FindById(tree->GetCaretId());
    return node && node != Library().Root() && !node->IsMacroSet();
}

void CMainDlg::RefreshToolbar() {
    const RunButtons buttons = DecideRunButtons(State(), SelectedIsMacro());
    toolbarActions.value(MacroCommand::kExecute)->setEnabled(buttons.run);
    toolbarActions.value(MacroCommand::kEdit)->setEnabled(buttons.edit);
    toolbarActions.value(int(Command::Stop))->setEnabled(buttons.stop);
}
