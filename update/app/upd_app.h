#pragma once

#include <QApplication>
#include <QString>

class QLocalServer;

// The updater's program object: one instance per user, working directory
// set to the program's own, command line handed to the main dialog.
class CUpdApp : public QApplication {
    Q_OBJECT
public:
    CUpdApp(int& argc, char** argv);
    ~CUpdApp() override;

    // Runs the main dialog and returns the process exit code.
    int Run();

    // The name of the per-user instance server.
    static QString InstanceName();

private:
    // True when another instance answered; raise asks it to come forward.
    bool ForwardToRunningInstance(bool raise);

    QLocalServer* server_ = nullptr;
};
