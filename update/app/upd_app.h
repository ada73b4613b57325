#pragma once

#include "update/core/command_line.h"

#include <QApplication>
#include <QString>

class QLocalServer;

// The updater's window program: one instance per user; crvlupd.ini and the
// loaders are found in the program's own folder.
class CUpdApp : public QApplication {
    Q_OBJECT
public:
    CUpdApp(int& argc, char** argv);
    ~CUpdApp() override;

    // Runs the main dialog and returns the process exit code.
    int Run(const crvl::update::CommandLine& commandLine);

    // The name of the per-user instance server.
    static QString InstanceName();

private:
    // True when another instance answered and was asked to come forward.
    bool ForwardToRunningInstance();

    QLocalServer* server_ = nullptr;
};
