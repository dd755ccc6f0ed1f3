// Termination signals reach the program through a socket pair: the handler only writes one
// byte (all a signal handler may safely do), the event loop reads it and runs the callback.
#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/Signals.h"

namespace zelm {

namespace {

constexpr std::array TerminationSignals = {SIGTERM, SIGINT, SIGHUP};

int signalPipe[2] = {-1, -1};
std::function<void()> onTermination;

extern "C" void WriteSignalByte(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

void DrainAndRun() {
    char bytes[64];
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (onTermination) onTermination();
}

// Made once; the notifier belongs to the application object and ends with it.
bool OpenSignalPipe() {
    if (signalPipe[0] >= 0) return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return false;
    auto* notifier =
        new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] { DrainAndRun(); });
    return true;
}

void SetDisposition(void (*action)(int)) {
    struct sigaction sa = {};
    sa.sa_handler = action;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : TerminationSignals)
        ::sigaction(sig, &sa, nullptr);
}

} // namespace

void OnTerminationSignal(std::function<void()> handler) {
    onTermination = std::move(handler);
    if (!onTermination || !OpenSignalPipe()) {
        SetDisposition(SIG_DFL);
        return;
    }
    SetDisposition(WriteSignalByte);
}

} // namespace zelm
