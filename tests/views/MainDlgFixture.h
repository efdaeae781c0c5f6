#pragma once
// A home folder with My Macros(Daily(Backup),Tidy) and a main window over
// it, with recording fakes for the runner, the pages, the notifier and the
// key hook: shared by the main window's Qt tests.

#include "app/MainDlg.h"
#include "fakes/FakeKeyHook.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/Fakes.h"
#include "library/LibraryTestUtil.h"

#include <QTemporaryDir>
#include <QUrl>

#include <memory>
#include <string>
#include <vector>

namespace {

// Records the names it is given; ends a run only when told (like a script).
class CRecordingRunner : public IMacroRunner {
public:
    int Run(CMacro macro) override {
        started.push_back(macro.name);
        return 1;
    }
    std::vector<std::string> started;
};

// The Manager form as the main window sees it.
class CFakeManagerForm : public IManagerForm {
public:
    CMacro ReadForm() override {
        calls.push_back("ReadForm");
        CMacro record = form;
        record.id = shownId;
        return record;
    }
    void ShowMacro(const CMacro& record) override {
        calls.push_back("ShowMacro " + record.name);
        form = record;
        shownId = record.id;
    }
    void ShowLastRun(const CMacro& record) override {
        calls.push_back("ShowLastRun " + record.name);
    }
    void ClearForm() override {
        calls.push_back("ClearForm");
        form = CMacro();
        shownId = 0;
    }
    int32_t ShownId() const override { return shownId; }
    bool HasEdits() const override { return edited; }

    CMacro form;
    int32_t shownId = 0;
    bool edited = false;
    std::vector<std::string> calls;
};

class CFakeSchedulerForm : public ISchedulerForm {
public:
    void ShowMacro(const CMacro& record) override { shown.push_back(record.name); }
    void RefreshCalendar() override { ++refreshes; }
    std::vector<std::string> shown;
    int refreshes = 0;
};

class CRecordingNotifier : public IDesktopNotifier {
public:
    void Notify(const std::string& title, const std::string& text) override {
        shown.push_back(title + " | " + text);
    }
    std::vector<std::string> shown;
};

// A home folder with My Macros(Daily(Backup),Tidy) and a window over it.
struct Fixture {
    Fixture() : services(store, messages) {
        home = dir.path().toStdString();
        CMacroLibrary saved;
        const int32_t root = saved.InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into);
        const int32_t daily = saved.InsertRecord(Record("Daily", 2), root, InsertPosition::Into);
        CMacro backup = Record("Backup");
        backup.triggerKey = "<CTRL><K>";
        saved.InsertRecord(backup, daily, InsertPosition::Into);
        saved.InsertRecord(Record("Tidy"), daily, InsertPosition::After);
        saved.File().SetPaths(home);
        saved.Save();
        store.exists = true;
        services.runner = &runner;
        services.launcher = &launcher;
        services.clock = &clock;
        services.notifier = &notifier;
        services.makeKeyHook = [this](KeyHookReportFn fn, std::string*) {
            report = std::move(fn);
            auto port = std::make_unique<CRecordingKeyHook>();
            hookPort = port.get();
            return std::unique_ptr<IKeyHook>(std::move(port));
        };
        services.openUrl = [this](const QUrl& url) {
            opened.push_back(url.toLocalFile().toStdString());
            return true;
        };
    }
    std::unique_ptr<CMainDlg> Make() {
        auto window = std::make_unique<CMainDlg>(home, services);
        window->Start();
        return window;
    }
    int32_t Id(CMainDlg& window, const std::string& name) {
        int32_t id = 0;
        CMacroLibrary::ForEachPreOrder(window.Library().Root(), [&](CMacroNode& node) {
            if (node.name != name)
                return true;
            id = node.id;
            return false;
        });
        return id;
    }

    QTemporaryDir dir;
    std::string home;
    CMemorySettingsStore store;
    CRecordingMessageBox messages;
    CRecordingRunner runner;
    CRecordingLauncher launcher;
    CFakeClock clock{1700000000};
    CRecordingNotifier notifier;
    MainDlgServices services;
    KeyHookReportFn report;
    CRecordingKeyHook* hookPort = nullptr;
    std::vector<std::string> opened;
};

} // namespace
