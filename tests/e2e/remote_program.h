// A program under test as a process of its own, driven through its remote
// control: the test listens on a local socket in the user's runtime folder,
// starts the program with CRVL_REMOTE_UI naming it, and sends one command
// per line (click, type, key, text, modal, ...), as docs/remote-ui.md
// describes.
#pragma once

#include <QLocalServer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QLocalSocket;

namespace crvl::e2e {

// Polls done() every 20 ms, letting the test's own event loop run (the
// simulator's output is read there), until it holds or the time is up.
bool WaitFor(const std::function<bool()>& done, int waitMs = 5000);

class RemoteProgram {
public:
    struct Reply {
        bool ok = false;
        std::string value; // the answer, or why the command failed
    };

    RemoteProgram();
    ~RemoteProgram();
    RemoteProgram(const RemoteProgram&) = delete;
    RemoteProgram& operator=(const RemoteProgram&) = delete;

    // Starts build/bin/<program> in workDir, offscreen, with extra
    // environment variables; true once its remote control has connected.
    bool Start(const QString& program, const QString& workDir, const QStringList& environment);

    // One command, its fields joined by tabs.
    Reply Ask(const std::vector<std::string>& fields);
    // A command that must succeed: a failure is a test failure.
    void Do(const std::vector<std::string>& fields);

    std::string Text(const std::string& path);
    // The accessible description (a lamp's "green, lit", a chart's rhythm).
    std::string Description(const std::string& path);
    bool Exists(const std::string& path);
    // The class name of the active modal window, "" when there is none.
    std::string ModalClass();
    std::string ModalTitle();
    // Waits until the active modal window is of that class.
    bool WaitForModal(const std::string& className, int waitMs = 5000);
    bool WaitForPopup(const std::string& className, int waitMs = 5000);
    // x, y, width, height in the parent widget.
    std::vector<int> Geometry(const std::string& path);

    // What the program wrote on stdout and stderr.
    std::string Output() const;
    // Ends the program if it still runs.
    void Stop();

private:
    std::vector<std::string> Fields(const std::vector<std::string>& command);

    QLocalServer server_;
    QLocalSocket* socket_ = nullptr;
    QProcess process_;
    QString outputFile_;
    std::string pending_;
};

} // namespace crvl::e2e
