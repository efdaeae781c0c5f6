#pragma once
// Turns SIGTERM, SIGINT and SIGHUP (logout, shutdown, kill, Ctrl+C) into a
// Qt signal on the user-interface thread, so the program ends as Exit does.
// The handler only writes the signal's number into a pipe; a socket notifier
// on the other end does the work in the event loop.

#include <QObject>

class QSocketNotifier;

class CSignalExit : public QObject {
    Q_OBJECT
public:
    // Installs the handlers without a notifier: called first thing at start,
    // a signal that comes before the event loop exists waits in the pipe.
    static bool InstallHandlers();

    explicit CSignalExit(QObject* parent = nullptr);
    ~CSignalExit() override;
    CSignalExit(const CSignalExit&) = delete;
    CSignalExit& operator=(const CSignalExit&) = delete;

    // false when the pipe could not be made (the signals then keep their
    // default action).
    bool Installed() const { return notifier != nullptr; }
    // The last signal read from the pipe, 0 while none came.
    int Received() const { return received; }

Q_SIGNALS:
    void exitRequested(int signalNumber);

private:
    void OnReadable();

    QSocketNotifier* notifier = nullptr;
    int received = 0;
};
