// remote_ui_relay NAME: the test's end of the remote control, inside Wine.
// On Windows the control's local socket is a named pipe, which a test
// running outside Wine cannot open; this console program listens on it
// instead and relays: each command line read from standard input goes to
// the program, and the program's answer line is written to standard output.
// It prints "listening" once the pipe is there and "connected" when the
// program has come; it ends at the end of its input (exit 0), when no
// program comes within 60 s or an answer does not come within 30 s (exit 1;
// the reason on standard error), and on a bad command line (exit 2).
#include "tools/remote_ui/remote_ui_socket.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>

#include <cstdio>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

constexpr int kConnectWaitMs = 60000;
constexpr int kAnswerWaitMs = 30000;

int Fail(const std::string& reason) {
    std::cerr << "remote_ui_relay: " << reason << std::endl;
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
#ifdef _WIN32
    // Lines end in \n both ways, as the test outside Wine writes and reads
    // them; text mode would add a \r to every answer.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: remote_ui_relay NAME" << std::endl;
        return 2;
    }
    QLocalServer server;
    if (const crvl::Status listening = crvl::remote_ui::Listen(server, QString::fromUtf8(argv[1]));
        !listening.ok())
        return Fail(listening.message());
    std::cout << "listening" << std::endl;
    if (!server.waitForNewConnection(kConnectWaitMs))
        return Fail("no program connected");
    QLocalSocket* program = server.nextPendingConnection();
    std::cout << "connected" << std::endl;

    std::string command;
    while (std::getline(std::cin, command)) {
        program->write(QByteArray::fromStdString(command + "\n"));
        if (!program->waitForBytesWritten(kAnswerWaitMs))
            return Fail("the program took no command: " + program->errorString().toStdString());
        while (!program->canReadLine()) {
            if (!program->waitForReadyRead(kAnswerWaitMs))
                return Fail("no answer to \"" + command +
                            "\": " + program->errorString().toStdString());
        }
        QByteArray answer = program->readLine();
        while (answer.endsWith('\n') || answer.endsWith('\r'))
            answer.chop(1);
        std::cout << answer.toStdString() << std::endl;
    }
    return 0;
}
