#pragma once
// The application object: one running copy per user, the home folder as the
// current directory, the settings store laid out at the first start, then the
// main window for the life of the process.

#include "app/MainDlg.h"
#include "ports/MessageBox.h"
#include "ports/SettingsStore.h"

#include <QObject>
#include <QString>

#include <string>

// What main() hands the program: the runner, the process launcher, the key
// hook, the recorder's event source.
struct ProgramParts {
    IMacroRunner* runner = nullptr;
    std::function<void()> stopScripts; // the Stop command's reach into running scripts
    IProcessLauncher* launcher = nullptr;
    KeyHookFactory makeKeyHook;
    // The recorder's event source (see MainDlgServices::makeRecordSource).
    std::function<std::unique_ptr<IRecordSource>(std::string* why)> makeRecordSource;
    // Makes the script runner, whose ports post to the window, once the
    // window exists (before Start).
    std::function<void(CMainDlg&)> connectRunner;
    std::function<std::string()> loadFunctionNames; // the engine's, for the editors
    std::function<std::optional<ActiveWindow>()> activeWindow;
    std::function<std::string(const std::string& keys)> typeKeys;
    std::function<std::string()> clipboardText;
    IWindowPicker* windowPicker = nullptr; // Pick Window of the Manager page
};

class QLocalServer;
class QLocalSocket;

class CWingmateApp : public QObject {
    Q_OBJECT
public:
    // The instance lock is the socket's path with ".lock" appended.
    CWingmateApp(IMessageBox& messages, QString socketPath, QObject* parent = nullptr);
    ~CWingmateApp() override;

    // true: this copy holds the instance lock (for its whole life) and
    // answers on the socket. false: another copy holds it, or the lock could
    // not be taken; the user was told, and a running copy was asked to come
    // to the front. A socket file is removed only while holding the lock, so
    // a copy that is still starting never loses its socket.
    bool ClaimInstance();

    // Creates the home folder and its Scripts/ folder and makes it the
    // current directory. false with a reason when that fails.
    static bool PrepareHome(const std::string& home, std::string& error);
    // The installer's job: creates the settings store with the defaults when
    // it does not exist yet. false when it could not be created.
    static bool EnsureSettingsStore(ISettingsStore& store);

    // The whole start: the rules above, then the main window and the event
    // loop. Returns the process's exit code.
    int Run(const ProgramParts& parts = {});

    const QString& SocketPath() const { return socketPath; }

Q_SIGNALS:
    // Another start asked this copy to come to the front.
    void showRequested();
    // Any other request line from a client on the socket (without its line
    // end); the receiver may answer through `client`.
    void requestReceived(const QString& line, QLocalSocket* client);

private:
    void TellRunningCopy();
    void OnNewConnection();
    void OnReadable(QLocalSocket* client);

    IMessageBox& messages;
    QString socketPath;
    QLocalServer* server = nullptr;
    std::string lockPath;
    int lockFd = -1;
};
