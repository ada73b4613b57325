#pragma once

namespace crvl::update {

class UnattendedRun;

// While it lives, SIGTERM, SIGINT and SIGHUP (a service stop, Ctrl-C, a
// closed terminal) do not end the process: they ask the run to stop, as
// Quit does, so that it lets go of the line and says where it left the
// trainer. One at a time.
class SignalStop {
public:
    explicit SignalStop(UnattendedRun& run);
    ~SignalStop();
    SignalStop(const SignalStop&) = delete;
    SignalStop& operator=(const SignalStop&) = delete;
};

} // namespace crvl::update
