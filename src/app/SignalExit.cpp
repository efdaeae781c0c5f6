#include "app/SignalExit.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
// One program-wide pipe: signal handlers cannot reach an object.
int pipeEnds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void OnSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Non-blocking: a full pipe already holds a request.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}
} // namespace

bool CSignalExit::InstallHandlers() {
    if (pipeEnds[0] >= 0)
        return true;
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
    return true;
}

CSignalExit::CSignalExit(QObject* parent) : QObject(parent) {
    if (!InstallHandlers())
        return;
    // A signal already in the pipe makes it readable at once.
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &CSignalExit::OnReadable);
}

CSignalExit::~CSignalExit() {
    if (!notifier)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

void CSignalExit::OnReadable() {
    unsigned char bytes[16];
    const ssize_t got = ::read(pipeEnds[0], bytes, sizeof bytes);
    if (got > 0) {
        received = bytes[got - 1];
        Q_EMIT exitRequested(received);
    }
}
