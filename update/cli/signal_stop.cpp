#include "update/cli/signal_stop.h"

#include "update/cli/unattended_run.h"

#include <atomic>
#include <csignal>

namespace crvl::update {
namespace {

// What the handler reaches: set before the handlers are installed, cleared
// after they are gone. Its stop request only stores to lock-free atomics.
std::atomic<UnattendedRun*> g_run{nullptr};
static_assert(std::atomic<UnattendedRun*>::is_always_lock_free);
static_assert(StopFlag::is_always_lock_free);

#if defined(SIGHUP)
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
#else
constexpr int kSignals[] = {SIGTERM, SIGINT};
#endif

extern "C" void OnSignal(int) {
    if (UnattendedRun* run = g_run.load()) {
        run->RequestStop();
    }
}

void Install(void (*handler)(int)) {
    for (const int signal : kSignals) {
#if defined(_WIN32)
        std::signal(signal, handler);
#else
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
#endif
    }
}

} // namespace

SignalStop::SignalStop(UnattendedRun& run) {
    g_run.store(&run);
    Install(OnSignal);
}

SignalStop::~SignalStop() {
    Install(SIG_DFL);
    g_run.store(nullptr);
}

} // namespace crvl::update
