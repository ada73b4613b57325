// trainersim as a separate process on its own pseudo-terminal: started with
// --link, fed commands on standard input, its answers read from standard
// output and its frame log from standard error.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>

namespace crvl::e2e {

class SimProcess {
public:
    ~SimProcess();

    // Starts build/bin/trainersim with args plus --link linkPath; true once
    // the terminal is there (its path is the first line of output).
    bool Start(const QString& linkPath, const QStringList& args);

    // Sends one command and returns its answer: the output that arrives
    // until the line count is reached or the time is up.
    std::string Command(const std::string& line, int answerLines = 1, int waitMs = 3000);

    // Everything the simulator logged so far.
    std::string Log();
    // Waits until the log holds text; true when it does.
    bool WaitForLog(const std::string& text, int waitMs = 5000);

    void Stop();

private:
    QProcess process_;
    std::string log_;
};

} // namespace crvl::e2e
