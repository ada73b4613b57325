// SIGTERM, SIGINT and SIGHUP (a service stop, Ctrl-C, a logout or a closed
// terminal) as a Qt signal on the thread that made the object: the handler
// only writes a byte into a pipe whose reading end a socket notifier
// watches, so the program ends from its event loop, the way its Exit does.
// One object per program; on systems without these signals it never fires.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace crvl {

class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

signals:
    // Once per signal received.
    void Received(int signal);

private:
    void ReadPipe();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace crvl
