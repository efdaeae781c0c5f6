#include "app/WingmateApp.h"

#include "program/AppSettings.h"
#include "program/IniSettingsStore.h"
#include "program/InstanceSocket.h"
#include "app/MainDlg.h"
#include "app/SignalExit.h"
#include "library/HomeFolder.h"
#include "library/MacroFile.h"
#include "ports/UiText.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace {
constexpr int kConnectTimeoutMs = 1000;
constexpr qsizetype kMaxRequestBytes = 4096;
constexpr int kAnswerTries = 10;
constexpr unsigned long kRetryMs = 200;
} // namespace

CWingmateApp::CWingmateApp(IMessageBox& messageBox, QString path, QObject* parent)
    : QObject(parent), messages(messageBox), socketPath(std::move(path)),
      lockPath(socketPath.toStdString() + ".lock") {}

CWingmateApp::~CWingmateApp() {
    if (server)
        server->close();
    if (lockFd >= 0)
        ::close(lockFd);
}

// The copy that holds the lock may still be starting: give it a few seconds
// to answer, then tell the user anyway (this copy never runs beside it).
void CWingmateApp::TellRunningCopy() {
    QLocalSocket probe;
    for (int tries = 0; tries < kAnswerTries; ++tries) {
        probe.connectToServer(socketPath);
        if (probe.waitForConnected(kConnectTimeoutMs))
            break;
        QThread::msleep(kRetryMs);
    }
    // Only a copy of this user's own is told anything.
    std::string why;
    const bool answered = probe.state() == QLocalSocket::ConnectedState &&
                          PeerIsThisUser(static_cast<int>(probe.socketDescriptor()), why);
    if (!why.empty())
        qWarning("Wingmate: not asking %s to come forward: %s", qPrintable(socketPath),
                 why.c_str());
    messages.Show(UiText(kAlreadyRunningText), "Wingmate", MessageButtons::Ok);
    if (answered) {
        probe.write(QByteArray(kShowRequest) + '\n');
        probe.waitForBytesWritten(kConnectTimeoutMs);
        probe.disconnectFromServer();
    }
}

bool CWingmateApp::ClaimInstance() {
    std::string error;
    lockFd = TakeInstanceLock(lockPath, error);
    if (lockFd == -1) {
        TellRunningCopy();
        return false;
    }
    if (lockFd < 0) {
        messages.Show(error, UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
        return false;
    }
    // Holding the lock, no other copy runs: a socket file left there is a
    // dead copy's.
    QLocalServer::removeServer(socketPath);
    server = new QLocalServer(this);
    // Only this user may connect.
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketPath)) {
        // The only copy runs on; a second start and wingmatectl cannot reach it.
        qWarning("Wingmate: cannot listen on %s: %s", qPrintable(socketPath),
                 qPrintable(server->errorString()));
        return true;
    }
    connect(server, &QLocalServer::newConnection, this, &CWingmateApp::OnNewConnection);
    return true;
}

void CWingmateApp::OnNewConnection() {
    while (QLocalSocket* client = server->nextPendingConnection()) {
        // Another user's process is cut off before it is read.
        std::string why;
        if (!PeerIsThisUser(static_cast<int>(client->socketDescriptor()), why)) {
            qWarning("Wingmate: refused a connection on %s: %s", qPrintable(socketPath),
                     why.c_str());
            client->abort();
            client->deleteLater();
            continue;
        }
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] { OnReadable(client); });
        if (client->bytesAvailable() > 0)
            OnReadable(client);
    }
}

void CWingmateApp::OnReadable(QLocalSocket* client) {
    while (client->canReadLine()) {
        const QString line = QString::fromUtf8(client->readLine(kMaxRequestBytes)).trimmed();
        if (line == QLatin1String(kShowRequest))
            Q_EMIT showRequested();
        else if (!line.isEmpty())
            Q_EMIT requestReceived(line, client);
    }
    // A client that sends an endless line is cut off.
    if (client->bytesAvailable() > kMaxRequestBytes)
        client->abort();
}

bool CWingmateApp::PrepareHome(const std::string& home, std::string& error) {
    if (!EnsureHomeLayout(home)) {
        error = UiFormat(UI_TEXT("Wingmate", "Could not create the Wingmate folder %1"), {home});
        return false;
    }
    std::string why;
    if (!CheckHomeFolder(home, why)) {
        error =
            UiFormat(UI_TEXT("Wingmate", "Wingmate does not use the folder %1 because another "
                                         "user could change the macros and libraries in it: %2"),
                     {home, why});
        return false;
    }
    if (::chdir(home.c_str()) != 0) {
        error = UiFormat(UI_TEXT("Wingmate", "Could not enter the Wingmate folder %1: %2"),
                         {home, std::strerror(errno)});
        return false;
    }
    return true;
}

bool CWingmateApp::EnsureSettingsStore(ISettingsStore& store) {
    if (store.Exists())
        return true;
    CAppSettings defaults;
    return store.Create(defaults.Values());
}

int CWingmateApp::Run(const ProgramParts& parts) {
    // Until the window exists a signal (a logout, a kill during start-up)
    // closes whatever box is open and ends the start cleanly.
    CSignalExit signalExit;
    const auto early = connect(&signalExit, &CSignalExit::exitRequested, this, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    if (!ClaimInstance() || signalExit.Received())
        return 0;
    const std::string home = WingmateHomeFolder();
    std::string error;
    if (!PrepareHome(home, error)) {
        std::fprintf(stderr, "Wingmate: %s\n", error.c_str());
        messages.Show(error, UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
        return 1;
    }
    // Temporary files a kill during a save left behind.
    RemoveStaleLibraryTemporaries(home);
    CIniSettingsStore store(SettingsFilePath());
    std::error_code noLibrary;
    const bool firstStart = !store.Exists() &&
                            !std::filesystem::exists(home + "/Macros.mcf", noLibrary) &&
                            !std::filesystem::is_symlink(home + "/Macros.mcf", noLibrary);
    if (!EnsureSettingsStore(store))
        qWarning("Wingmate: cannot create the settings file %s", store.Path().c_str());

    if (signalExit.Received())
        return 0;
    MainDlgServices services(store, messages);
    services.runner = parts.runner;
    services.stopScripts = parts.stopScripts;
    services.launcher = parts.launcher;
    services.makeKeyHook = parts.makeKeyHook;
    services.loadFunctionNames = parts.loadFunctionNames;
    services.activeWindow = parts.activeWindow;
    services.typeKeys = parts.typeKeys;
    services.clipboardText = parts.clipboardText;
    services.windowPicker = parts.windowPicker;
    services.makeRecordSource = parts.makeRecordSource;
    services.firstStart = firstStart;
    CMainDlg window(home, std::move(services));
    connect(this, &CWingmateApp::showRequested, &window, &CMainDlg::ShowFromTray);
    connect(this, &CWingmateApp::requestReceived, &window, &CMainDlg::HandleInstanceRequest);
    disconnect(early);
    // Came while the window was being built: nothing was changed yet.
    if (signalExit.Received())
        return 0;
    connect(&signalExit, &CSignalExit::exitRequested, &window, &CMainDlg::EndForSession);
    connect(qApp, &QGuiApplication::commitDataRequest, &window, &CMainDlg::EndForSession);
    if (parts.connectRunner)
        parts.connectRunner(window);
    window.Start();
    // A signal during the start's message boxes ended the program before
    // the event loop ran: do not start one that nothing would end.
    if (window.Ended())
        return 0;
    return QApplication::exec();
}
