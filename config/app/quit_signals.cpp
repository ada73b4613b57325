#include "config/app/quit_signals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace crvl {

#ifdef Q_OS_UNIX
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// [0] is written by the handler, [1] read by the notifier.
int g_pipe[2] = {-1, -1};

void OnSignal(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    // Nothing else is safe in a handler; a full pipe loses only a repeat.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[0], &byte, 1);
}

} // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return;
    for (const int end : g_pipe) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, O_NONBLOCK);
    }
    notifier_ = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitSignals::ReadPipe);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    for (const int signal : kSignals)
        std::signal(signal, SIG_DFL);
    for (int& end : g_pipe) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void QuitSignals::ReadPipe() {
    unsigned char byte = 0;
    while (::read(g_pipe[1], &byte, 1) == 1)
        emit Received(byte);
}
#else
QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {}
QuitSignals::~QuitSignals() = default;
void QuitSignals::ReadPipe() {}
#endif

} // namespace crvl
