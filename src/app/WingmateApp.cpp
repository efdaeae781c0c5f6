#include "app/WingmateApp.h"

#include "app/AppSettings.h"
#include "app/HomeFolder.h"
#include "app/IniSettingsStore.h"
#include "app/InstanceSocket.h"
#include "app/MainDlg.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
constexpr int kConnectTimeoutMs = 1000;
constexpr qsizetype kMaxRequestBytes = 4096;
} // namespace

CWingmateApp::CWingmateApp(IMessageBox& messageBox, QString path, QObject* parent)
    : QObject(parent), messages(messageBox), socketPath(std::move(path)) {}

CWingmateApp::~CWingmateApp() {
    if (server)
        server->close();
}

bool CWingmateApp::ClaimInstance() {
    {
        QLocalSocket probe;
        probe.connectToServer(socketPath);
        if (probe.waitForConnected(kConnectTimeoutMs)) {
            messages.Show(kAlreadyRunningText, "Wingmate", MessageButtons::Ok);
            probe.write(QByteArray(kShowRequest) + '\n');
            probe.waitForBytesWritten(kConnectTimeoutMs);
            probe.disconnectFromServer();
            return false;
        }
    }
    server = new QLocalServer(this);
    // Only this user may connect.
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketPath)) {
        // Nobody answered, so a socket file left there is stale.
        QLocalServer::removeServer(socketPath);
        if (!server->listen(socketPath)) {
            qWarning("Wingmate: cannot listen on %s: %s", qPrintable(socketPath),
                     qPrintable(server->errorString()));
            return true;
        }
    }
    connect(server, &QLocalServer::newConnection, this, &CWingmateApp::OnNewConnection);
    return true;
}

void CWingmateApp::OnNewConnection() {
    while (QLocalSocket* client = server->nextPendingConnection()) {
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
        error = "Could not create the Wingmate folder " + home;
        return false;
    }
    if (::chdir(home.c_str()) != 0) {
        error = "Could not enter the Wingmate folder " + home + ": " + std::strerror(errno);
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
    if (!ClaimInstance())
        return 0;
    const std::string home = WingmateHomeFolder();
    std::string error;
    if (!PrepareHome(home, error)) {
        messages.Show(error, "Wingmate Error", MessageButtons::Ok);
        return 1;
    }
    CIniSettingsStore store(SettingsFilePath());
    if (!EnsureSettingsStore(store))
        qWarning("Wingmate: cannot create the settings file %s", store.Path().c_str());

    MainDlgServices services(store, messages);
    services.runner = parts.runner;
    services.stopScripts = parts.stopScripts;
    services.launcher = parts.launcher;
    services.makeKeyHook = parts.makeKeyHook;
    CMainDlg window(home, std::move(services));
    connect(this, &CWingmateApp::showRequested, &window, &CMainDlg::ShowFromTray);
    connect(this, &CWingmateApp::requestReceived, &window, &CMainDlg::HandleInstanceRequest);
    if (parts.windowBuilt)
        parts.windowBuilt(window);
    window.Start();
    return QApplication::exec();
}
