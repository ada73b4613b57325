// The program object: makes sure only one copy runs per user, then shows the
// main dialog; the program ends when the dialog ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

namespace crvl {

class CConfigApp : public QObject {
    Q_OBJECT
public:
    // serverName: the name the running copy listens on; empty gives the
    // per-user default.
    explicit CConfigApp(QString serverName = {});

    static QString DefaultServerName();

    // True when another copy already runs; it has been asked to come to
    // the front.
    bool ForwardToRunningCopy();
    // Starts listening so that later copies can find this one; window is
    // brought forward when they ask.
    bool Listen(QWidget* window);

    // The whole start: single-instance check, then the modal dialog.
    int Run();

private:
    QString serverName_;
    QLocalServer* server_ = nullptr;
};

} // namespace crvl
