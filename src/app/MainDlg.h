#pragma once
// "Tessera Wingmate", the program's one window. For now it holds the macro
// tree over the library of the home folder, the four tabs, the Macro menu's
// library commands, Options and About, and the tray with the quick menu. The
// run queue, the runner, the hook, the timer and the pages join it later.

#include "app/AppSettings.h"
#include "app/TrayState.h"
#include "library/MacroLibrary.h"
#include "ports/MessageBox.h"
#include "ports/SettingsStore.h"

#include <QHash>
#include <QMainWindow>

#include <string>

class CMacroTree;
class QAction;
class QLabel;
class QSystemTrayIcon;
class QTabWidget;

class CMainDlg : public QMainWindow {
    Q_OBJECT
public:
    CMainDlg(std::string home, ISettingsStore& store, IMessageBox& messages,
             QWidget* parent = nullptr);
    ~CMainDlg() override;

    // Reads the settings, puts up the root "My Macros", loads the library,
    // adds the tray icon and applies the start-up settings.
    void Start();

    CMacroLibrary& Library() { return library; }
    CAppSettings& Settings() { return settings; }
    CMacroTree* Tree() const { return tree; }
    QAction* CommandAction(int command) const { return commandActions.value(command); }
    bool HasTray() const { return tray != nullptr; }

public Q_SLOTS:
    void ShowFromTray();
    void HideToTray();
    // Greys the Macro menu for the entry clicked in the tree.
    void UpdateCommandState(int32_t id);
    // Shows the entry in the Manager tab.
    void SelectMacro(int32_t id);
    void ShowManagerTab();
    void SaveMacros();
    // Saves the library and the settings and ends the program.
    void ExitProgram();
    void OpenOptions();
    void OpenAbout();
    // The quick menu with its bottom-right corner at `anchor` (screen).
    void ShowQuickMenu(const QPoint& anchor);
    void RefreshTrayState();

Q_SIGNALS:
    // Execute on an entry (menu, tree, quick menu): for the run queue.
    void executeRequested(int32_t id);
    // Edit on an entry: for the script editor.
    void editRequested(int32_t id);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildWindow();
    void AddTray();
    void LoadLibrary();

    std::string home;
    ISettingsStore& store;
    IMessageBox& messages;
    CAppSettings settings;
    CMacroLibrary library;
    ProgramState state;

    CMacroTree* tree = nullptr;
    QTabWidget* tabs = nullptr;
    QLabel* managerSummary = nullptr;
    QSystemTrayIcon* tray = nullptr;
    QHash<int, QAction*> commandActions;
    bool closing = false;
};
