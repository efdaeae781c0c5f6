// Options and About, the single-instance rule, the start-up folders, the icon
// set and the main window skeleton.

#include "QtTestUtil.h"

#include "app/AboutDlg.h"
#include "program/InstanceSocket.h"
#include "app/MainDlg.h"
#include "app/OptionsDlg.h"
#include "app/WingmateApp.h"
#include "fakes/Fakes.h"
#include "fakes/TestFiles.h"
#include "library/LibraryTestUtil.h"
#include "views/IconSet.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// In a forked child: becomes uid 65534 and opens a local socket; -1 on failure.
int ForeignSocket() {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0)
        return -1;
    return ::socket(AF_UNIX, SOCK_STREAM, 0);
}

sockaddr_un AddressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    return address;
}
} // namespace

class DialogsQtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The box shows whether the entry is on; OK writes or removes it, and an
    // unchanged box leaves the user's own entry alone.
    void autostartBoxWritesAndRemovesTheEntry_data() {
        QTest::addColumn<QString>("before"); // "" = no file
        QTest::addColumn<bool>("shownChecked");
        QTest::addColumn<bool>("check");
        QTest::addColumn<QString>("after"); // "" = no file, "*" = a fresh entry
        QTest::newRow("turn on") << "" << false << true << "*";
        QTest::newRow("turn off") << "[Desktop Entry]\nExec=x\n" << true << false << "";
        QTest::newRow("hidden entry counts as off, turning on rewrites it")
            << "[Desktop Entry]\nHidden=true\n"
            << false << true << "*";
        QTest::newRow("switched off by GNOME's key counts as off")
            << "[Desktop Entry]\nExec=x\nX-GNOME-Autostart-enabled=false\n"
            << false << true << "*";
        QTest::newRow("unchanged on keeps the user's entry")
            << "[Desktop Entry]\nExec=mine\n"
            << true << true << "[Desktop Entry]\nExec=mine\n";
        QTest::newRow("unchanged off writes nothing") << "" << false << false << "";
    }
    void autostartBoxWritesAndRemovesTheEntry() {
        QFETCH(QString, before);
        QFETCH(bool, shownChecked);
        QFETCH(bool, check);
        QFETCH(QString, after);
        QTemporaryDir dir;
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        const std::string path = dir.path().toStdString() + "/autostart/wingmate.desktop";
        if (!before.isEmpty()) {
            std::filesystem::create_directories(dir.path().toStdString() + "/autostart");
            std::ofstream(path) << before.toStdString();
        }
        CAppSettings settings;
        CMemorySettingsStore store;
        CRecordingMessageBox messages;
        COptionsDlg options(settings, store, messages);
        QCOMPARE(options.autostartBox->isChecked(), shownChecked);
        options.autostartBox->setChecked(check);
        options.accept();
        qunsetenv("XDG_CONFIG_HOME");
        QVERIFY(messages.shown.empty());
        if (after.isEmpty()) {
            QVERIFY(!std::filesystem::exists(path));
        } else if (after == QStringLiteral("*")) {
            const std::string text = ReadFile(path);
            QVERIFY(text.find("Exec=\"") != std::string::npos);
            QVERIFY(text.find("Hidden") == std::string::npos);
        } else {
            QCOMPARE(QString::fromStdString(ReadFile(path)), after);
        }
    }

    void optionsOpensWithTheSettings() {
        CAppSettings settings;
        settings.enableScheduler = 0;
        settings.hideAtStartup = 1;
        settings.defaultDelay = 350;
        CMemorySettingsStore store;
        CRecordingMessageBox messages;
        COptionsDlg options(settings, store, messages);
        QCOMPARE(options.windowTitle(), QStringLiteral("Wingmate Options"));
        QVERIFY(options.triggersBox->isChecked());
        QVERIFY(!options.schedulerBox->isChecked());
        QVERIFY(options.hideBox->isChecked());
        QCOMPARE(options.delayBox->text(), QStringLiteral("350"));
        QCOMPARE(options.linesBox->text(), QStringLiteral("1000"));
    }

    void optionsOkCutsTheDelayWithTheMessageAndSaves() {
        CAppSettings settings;
        CMemorySettingsStore store;
        store.exists = true;
        CRecordingMessageBox messages;
        COptionsDlg options(settings, store, messages);
        options.delayBox->setText(QStringLiteral("600001"));
        options.linesBox->clear();
        options.schedulerBox->setChecked(false);
        options.accept();
        QCOMPARE(options.result(), int(QDialog::Accepted));
        QCOMPARE(settings.defaultDelay, 600000u);
        QCOMPARE(settings.autoClearLines, 0u);
        QCOMPARE(settings.enableScheduler, 0);
        QCOMPARE(messages.shown.size(), size_t(1));
        QCOMPARE(messages.shown[0].text,
                 std::string("Maximum delay is 600000 milliseconds.\nValue set to 600000"));
        QCOMPARE(messages.shown[0].title, std::string("Wingmate Error"));
        QCOMPARE(store.writes.size(), size_t(1));
        QCOMPARE(store.values.at("DefDel"), std::string("600000"));
    }

    void optionsCancelChangesNothing() {
        CAppSettings settings;
        CMemorySettingsStore store;
        store.exists = true;
        CRecordingMessageBox messages;
        COptionsDlg options(settings, store, messages);
        options.delayBox->setText(QStringLiteral("999999"));
        options.triggersBox->setChecked(false);
        options.reject();
        QCOMPARE(settings.defaultDelay, 200u);
        QCOMPARE(settings.enableTriggers, 1);
        QVERIFY(store.writes.empty());
        QVERIFY(messages.shown.empty());
    }

    // Alt and a letter reaches every control: a check box toggles, a number
    // box takes the focus.
    void optionsControlsHaveMnemonics_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("control");
        QTest::newRow("triggers") << int(Qt::Key_T) << "enableTriggers";
        QTest::newRow("scheduler") << int(Qt::Key_S) << "enableScheduler";
        QTest::newRow("hide") << int(Qt::Key_H) << "hideAtStartup";
        QTest::newRow("run missed") << int(Qt::Key_R) << "runMissed";
        QTest::newRow("log in") << int(Qt::Key_L) << "autostart";
        QTest::newRow("delay") << int(Qt::Key_D) << "defaultDelay";
        QTest::newRow("lines") << int(Qt::Key_A) << "autoClearLines";
    }
    void optionsControlsHaveMnemonics() {
        QFETCH(int, key);
        QFETCH(QString, control);
        CAppSettings settings;
        CMemorySettingsStore store;
        CRecordingMessageBox messages;
        COptionsDlg options(settings, store, messages);
        options.show();
        options.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&options));
        auto* target = options.findChild<QWidget*>(control);
        QVERIFY(target);
        auto* box = qobject_cast<QCheckBox*>(target);
        const bool before = box && box->isChecked();
        QTest::keyClick(&options, Qt::Key(key), Qt::AltModifier);
        if (box)
            QTRY_COMPARE(box->isChecked(), !before);
        else
            QTRY_VERIFY(target->hasFocus());
        options.reject();
        QVERIFY(store.writes.empty());
    }

    void optionsBoxesTakeDigitsOnly() {
        CAppSettings settings;
        CMemorySettingsStore store;
        CRecordingMessageBox messages;
        COptionsDlg options(settings, store, messages);
        options.delayBox->clear();
        QTest::keyClicks(options.delayBox, QStringLiteral("-12x3"));
        QCOMPARE(options.delayBox->text(), QStringLiteral("123"));
    }

    void aboutShowsNameAndVersion() {
        CAboutDlg about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Wingmate"));
        auto* text = about.findChild<QLabel*>(QStringLiteral("aboutText"));
        QVERIFY(text);
        QVERIFY(text->text().contains(QStringLiteral("Tessera Wingmate")));
        QVERIFY(text->text().contains(CAboutDlg::VersionText()));
    }

    void secondInstanceIsToldAndBringsTheFirstForward() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("wingmate.sock"));
        CRecordingMessageBox firstMessages, secondMessages;
        CWingmateApp first(firstMessages, path);
        QVERIFY(first.ClaimInstance());
        QSignalSpy shown(&first, &CWingmateApp::showRequested);

        CWingmateApp second(secondMessages, path);
        QVERIFY(!second.ClaimInstance());
        QCOMPARE(secondMessages.shown.size(), size_t(1));
        QCOMPARE(secondMessages.shown[0].text,
                 std::string("Wingmate already running.  Click OK to view."));
        QCOMPARE(secondMessages.shown[0].buttons, MessageButtons::Ok);
        QVERIFY(shown.wait(2000));
        QVERIFY(firstMessages.shown.empty());
        // Only the owner may use the socket.
        const auto perms = std::filesystem::status(path.toStdString()).permissions();
        QVERIFY((perms & (std::filesystem::perms::group_all |
                          std::filesystem::perms::others_all)) == std::filesystem::perms::none);
    }

    void otherRequestsArePassedOn() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("wingmate.sock"));
        CRecordingMessageBox messages;
        CWingmateApp app(messages, path);
        QVERIFY(app.ClaimInstance());
        QSignalSpy requests(&app, &CWingmateApp::requestReceived);
        QLocalSocket client;
        client.connectToServer(path);
        QVERIFY(client.waitForConnected(1000));
        client.write("run Backup\n");
        client.flush();
        QVERIFY(requests.wait(2000));
        QCOMPARE(requests[0][0].toString(), QStringLiteral("run Backup"));
    }

    void staleSocketFileDoesNotBlockTheStart() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("wingmate.sock"));
        std::ofstream(path.toStdString()) << "left over";
        CRecordingMessageBox messages;
        {
            CWingmateApp app(messages, path);
            QVERIFY(app.ClaimInstance());
        }
        // Once the first copy is gone, a new start runs again.
        CWingmateApp again(messages, path);
        QVERIFY(again.ClaimInstance());
        QVERIFY(messages.shown.empty());
    }

    // A copy that holds the lock but does not listen yet (still starting)
    // keeps its socket file, and no second copy runs beside it.
    void aCopyStillStartingKeepsTheInstance() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("wingmate.sock"));
        std::ofstream(path.toStdString()) << "being set up";
        std::string error;
        const int held = TakeInstanceLock(path.toStdString() + ".lock", error);
        QVERIFY(held >= 0);
        CRecordingMessageBox messages;
        CWingmateApp second(messages, path);
        QVERIFY(!second.ClaimInstance());
        QVERIFY(std::filesystem::exists(path.toStdString()));
        QCOMPARE(messages.shown.size(), size_t(1));
        QCOMPARE(messages.shown[0].text, std::string(kAlreadyRunningText));
        ::close(held);
        CWingmateApp third(messages, path);
        QVERIFY(third.ClaimInstance());
    }

    void instanceSocketFollowsTheRuntimeFolder() {
        QTemporaryDir dir;
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
        InstancePaths paths;
        std::string error;
        QVERIFY(ResolveInstancePaths(true, paths, error));
        QCOMPARE(QString::fromStdString(paths.socket),
                 dir.filePath(QStringLiteral("wingmate/wingmate.sock")));
        // Without a runtime folder: the cache folder, never a shared /tmp one.
        const QByteArray savedCache = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_RUNTIME_DIR", dir.filePath(QStringLiteral("missing")).toUtf8());
        qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
        QVERIFY(ResolveInstancePaths(false, paths, error));
        QCOMPARE(QString::fromStdString(paths.socket),
                 dir.filePath(QStringLiteral("cache/wingmate/wingmate.sock")));
        qputenv("XDG_RUNTIME_DIR", saved);
        qputenv("XDG_CACHE_HOME", savedCache);
    }

    // Another user (uid 65534) who took the lock file and listens on the
    // socket first neither makes the program give up nor hears from it, and
    // its connections are cut off unread.
    void anotherUserCannotTakeOverTheInstance() {
        if (::geteuid() != 0)
            QSKIP("acting as another user needs root");
        QTemporaryDir dir;
        ::chmod(dir.path().toLocal8Bit().constData(), 0777);
        const std::string path = dir.filePath(QStringLiteral("wingmate.sock")).toStdString();
        const std::string lock = path + ".lock";
        std::ofstream(lock) << "";
        ::chmod(lock.c_str(), 0666);
        QCOMPARE(::chown(lock.c_str(), 65534, 65534), 0);
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t listener = ::fork();
        if (listener == 0) {
            const int fd = ForeignSocket();
            sockaddr_un address = AddressOf(path);
            if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
                ::listen(fd, 4) != 0)
                ::_exit(3);
            (void)!::write(ready[1], "r", 1);
            ::pause();
            ::_exit(0);
        }
        char byte = 0;
        QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
        ::close(ready[0]);
        ::close(ready[1]);

        CRecordingMessageBox messages;
        CWingmateApp app(messages, QString::fromStdString(path));
        const bool claimed = app.ClaimInstance();
        ::kill(listener, SIGKILL);
        ::waitpid(listener, nullptr, 0);
        QVERIFY(claimed);
        QVERIFY(messages.shown.empty());
        struct stat info {};
        QCOMPARE(::stat(lock.c_str(), &info), 0);
        QCOMPARE(info.st_uid, ::geteuid());

        QSignalSpy shown(&app, &CWingmateApp::showRequested);
        QSignalSpy requests(&app, &CWingmateApp::requestReceived);
        ::chmod(path.c_str(), 0777); // the socket itself no longer keeps them out
        const pid_t client = ::fork();
        if (client == 0) {
            const int fd = ForeignSocket();
            sockaddr_un address = AddressOf(path);
            if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
                ::_exit(3);
            const char request[] = "show\nrun Backup\nstatus\n";
            ::_exit(::write(fd, request, sizeof request - 1) > 0 ? 0 : 4);
        }
        int status = -1;
        ::waitpid(client, &status, 0);
        QCOMPARE(WEXITSTATUS(status), 0);
        // A request of our own, after the other user's, is the only one heard.
        QLocalSocket own;
        own.connectToServer(QString::fromStdString(path));
        QVERIFY(own.waitForConnected(1000));
        own.write("run Mine\n");
        own.flush();
        QVERIFY(requests.wait(2000));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0][0].toString(), QStringLiteral("run Mine"));
        QVERIFY(shown.isEmpty());
    }

    void homeIsLaidOutAndMadeCurrent() {
        QTemporaryDir dir;
        const auto before = std::filesystem::current_path();
        const std::string home = dir.filePath(QStringLiteral("home/Wingmate")).toStdString();
        std::string error;
        QVERIFY(CWingmateApp::PrepareHome(home, error));
        QVERIFY(std::filesystem::is_directory(home + "/Scripts"));
        QCOMPARE(std::filesystem::current_path(), std::filesystem::path(home));
        std::filesystem::current_path(before);

        std::ofstream(dir.filePath(QStringLiteral("file")).toStdString()) << "x";
        QVERIFY(!CWingmateApp::PrepareHome(dir.filePath(QStringLiteral("file/sub")).toStdString(),
                                           error));
        QVERIFY(!error.empty());

        // A home others can write to is not entered.
        ::chmod(home.c_str(), 0777);
        QVERIFY(!CWingmateApp::PrepareHome(home, error));
        QVERIFY(error.find("writable by others") != std::string::npos);
        QCOMPARE(std::filesystem::current_path(), before);
    }

    void settingsStoreIsCreatedWithDefaultsAtFirstStart() {
        CMemorySettingsStore store;
        QVERIFY(CWingmateApp::EnsureSettingsStore(store));
        QVERIFY(store.exists);
        QCOMPARE(store.values.at("Set1"), std::string("7"));
        QCOMPARE(store.values.at("DefDel"), std::string("200"));
        QCOMPARE(store.values.at("AutoClear"), std::string("1000"));
        // An existing store is left as it is.
        store.values["Set1"] = "5";
        QVERIFY(CWingmateApp::EnsureSettingsStore(store));
        QCOMPARE(store.values.at("Set1"), std::string("5"));
    }

    // Every icon role has artwork that draws something; WINGMATE_ICON_SHEET
    // names a PNG file to receive all of them side by side for a look.
    void everyIconRoleDraws() {
        std::vector<QIcon> icons{ProgramIcon()};
        for (int role = 0; role < kTreeIconCount; ++role)
            icons.push_back(TreeIconImage(static_cast<TreeIcon>(role)));
        for (TrayIcon role :
             {TrayIcon::Idle, TrayIcon::Running, TrayIcon::Recording, TrayIcon::Disabled,
              TrayIcon::TriggersDisabled, TrayIcon::SchedulerDisabled})
            icons.push_back(TrayIconImage(role));
        for (int role = 0; role <= int(ToolIcon::Help); ++role)
            icons.push_back(ToolIconImage(static_cast<ToolIcon>(role)));
        for (int role = 0; role <= int(PageIcon::Log); ++role)
            icons.push_back(PageIconImage(static_cast<PageIcon>(role)));
        QCOMPARE(icons.size(), size_t(30));

        QImage sheet(int(icons.size()) * 52, 52, QImage::Format_ARGB32);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        for (size_t i = 0; i < icons.size(); ++i) {
            const QImage image = icons[i].pixmap(48, 48).toImage();
            QVERIFY2(!image.isNull(), qPrintable(QString::number(i)));
            int opaque = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    opaque += qAlpha(image.pixel(x, y)) > 0;
            QVERIFY2(opaque > 48 * 48 / 10, qPrintable(QStringLiteral("icon %1 is blank").arg(i)));
            painter.drawImage(int(i) * 52 + 2, 2, image);
        }
        painter.end();
        const QByteArray sheetPath = qgetenv("WINGMATE_ICON_SHEET");
        if (!sheetPath.isEmpty())
            QVERIFY(sheet.save(QString::fromLocal8Bit(sheetPath)));
    }

    void mainWindowShowsTheLibraryAndGreysEntryCommands() {
        QTemporaryDir dir;
        const std::string home = dir.path().toStdString();
        {
            CMacroLibrary saved;
            const int32_t root =
                saved.InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into);
            saved.InsertRecord(Record("Tidy"), root, InsertPosition::Into);
            saved.File().SetPaths(home);
            QVERIFY(saved.Save());
        }
        CMemorySettingsStore store;
        store.exists = true;
        CRecordingMessageBox messages;
        CMainDlg window(home, MainDlgServices(store, messages));
        window.Start();
        QVERIFY(messages.shown.empty());
        QCOMPARE(ItemShape(window.Tree()->invisibleRootItem()), std::string("My Macros(Tidy)"));

        const int32_t root = window.Library().Root()->id;
        const int32_t tidy = window.Library().Root()->firstChild->id;
        window.UpdateCommandState(root);
        for (int command :
             {MacroCommand::kCut, MacroCommand::kCopy, MacroCommand::kDelete,
              MacroCommand::kPasteIn, MacroCommand::kPasteAfter, MacroCommand::kPasteBefore})
            QVERIFY(!window.CommandAction(command)->isEnabled());
        window.UpdateCommandState(tidy);
        QVERIFY(window.CommandAction(MacroCommand::kCut)->isEnabled());
        QVERIFY(!window.CommandAction(MacroCommand::kPasteAfter)->isEnabled());

        // The Macro menu acts through the tree on the caret entry.
        window.Tree()->setCurrentItem(window.Tree()->FindItem(tidy));
        window.CommandAction(MacroCommand::kCopy)->trigger();
        window.CommandAction(MacroCommand::kPasteAfter)->trigger();
        QCOMPARE(ItemShape(window.Tree()->invisibleRootItem()),
                 std::string("My Macros(Tidy,Tidy)"));

        // Exit saves the library (and keeps the previous file as the backup).
        window.ExitProgram();
        CMacroLibrary reloaded;
        reloaded.File().SetPaths(home);
        QVERIFY(reloaded.Load());
        QCOMPARE(Shape(reloaded.Root()), std::string("My Macros(Tidy,Tidy)"));
        QVERIFY(std::filesystem::exists(home + "/Macros.bak"));
        QCOMPARE(store.writes.size(), size_t(1));
    }

    void mainWindowReportsABadLibraryAndKeepsTheRoot() {
        QTemporaryDir dir;
        const std::string home = dir.path().toStdString();
        std::ofstream(home + "/Macros.mcf", std::ios::binary) << std::string("\x00\x20\x00\x00", 4);
        CMemorySettingsStore store;
        CRecordingMessageBox messages;
        CMainDlg window(home, MainDlgServices(store, messages));
        window.Start();
        QCOMPARE(messages.shown.size(), size_t(1));
        QCOMPARE(messages.shown[0].text, std::string("Could not load Macro File"));
        QCOMPARE(messages.shown[0].title, std::string("Bad Load"));
        QCOMPARE(ItemShape(window.Tree()->invisibleRootItem()), std::string("My Macros"));
    }

    void mainWindowStartsQuietlyWithoutALibraryFile() {
        QTemporaryDir dir;
        CMemorySettingsStore store;
        CRecordingMessageBox messages;
        CMainDlg window(dir.path().toStdString(), MainDlgServices(store, messages));
        window.Start();
        QVERIFY(messages.shown.empty());
        QCOMPARE(ItemShape(window.Tree()->invisibleRootItem()), std::string("My Macros"));
    }
};

QTEST_MAIN(DialogsQtTest)
#include "DialogsQtTest.moc"
