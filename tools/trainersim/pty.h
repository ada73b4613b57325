#pragma once

#include "base/status.h"

#include <string>

namespace crvl::sim {

// The simulator's end of a pseudo-terminal. The program under test opens the
// slave path as its serial port. The simulator keeps a slave descriptor of
// its own open, so the master sees no gap (EIO) while the program closes and
// reopens its port; hanging up closes both, and the program's next read
// fails.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Creates the terminal in raw mode; a failure says which step failed and why.
    Status Open();
    // Makes linkPath a symbolic link to the slave (replacing an older link).
    Status MakeLink(const std::string& linkPath);

    bool IsOpen() const { return master_ >= 0; }
    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

    // The speed and stop bits the program set on its end (0 when unknown).
    int SlaveBaudRate() const;
    bool SlaveTwoStopBits() const;

    // Closes the master and the simulator's slave descriptor. The link, if
    // any, stays but names a device that does not exist: the terminal's
    // number is free now, and a link to it would lead to whichever terminal
    // gets the number next. So the port stays listed and cannot be opened,
    // as a port whose adapter has gone.
    void HangUp();
    // Removes the link MakeLink made (nothing without one).
    void RemoveLink();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

} // namespace crvl::sim
