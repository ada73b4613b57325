#include "tests/e2e/remote_program.h"

#include "tools/remote_ui/remote_ui_socket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>

namespace crvl::e2e {

namespace {

// Undoes the remote control's escapes of backslash, tab and line breaks.
std::string Unescape(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        switch (text[++i]) {
        case 't':
            plain += '\t';
            break;
        case 'n':
            plain += '\n';
            break;
        case 'r':
            plain += '\r';
            break;
        default:
            plain += text[i];
        }
    }
    return plain;
}

std::string Joined(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& field : fields)
        line += (line.empty() ? "" : "\t") + field;
    return line;
}

} // namespace

bool WaitFor(const std::function<bool()>& done, int waitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= waitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(20);
    }
    return true;
}

RemoteProgram::RemoteProgram() = default;

RemoteProgram::~RemoteProgram() {
    Stop();
}

bool RemoteProgram::Start(const QString& program, const QString& workDir,
                          const QStringList& environment) {
    static std::atomic<int> serial{0};
    // One name per test process and program: tests run side by side.
    const QString name =
        QStringLiteral("crvl-e2e-%1-%2").arg(QCoreApplication::applicationPid()).arg(serial++);
    if (const Status listening = remote_ui::Listen(server_, name); !listening.ok()) {
        ADD_FAILURE() << listening.message();
        return false;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Offscreen unless the test names a platform (the screenshots run on X11).
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("CRVL_REMOTE_UI"), name);
    // The program looks in the runtime folder the test listens in, also
    // where XDG_RUNTIME_DIR is unset and Qt chose one for the test.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"),
               QFileInfo(server_.fullServerName()).absolutePath());
    for (const QString& entry : environment) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        env.insert(entry.left(equals), entry.mid(equals + 1));
    }
    // The output goes to a file: a pipe nobody reads could fill and stop
    // the program.
    outputFile_ = workDir + QStringLiteral("/") + program + QStringLiteral(".out");
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(workDir);
    process_.setStandardOutputFile(outputFile_);
    process_.setStandardErrorFile(outputFile_, QIODevice::Append);
    process_.start(QStringLiteral(CRVL_BIN_DIR "/") + program, {});
    if (!process_.waitForStarted(5000)) {
        ADD_FAILURE() << program.toStdString() << " did not start";
        return false;
    }
    if (!server_.waitForNewConnection(10000)) {
        ADD_FAILURE() << program.toStdString() << " did not connect: " << Output();
        return false;
    }
    socket_ = server_.nextPendingConnection();
    return socket_ != nullptr;
}

RemoteProgram::Reply RemoteProgram::Ask(const std::vector<std::string>& fields) {
    if (socket_ == nullptr)
        return {false, "not connected"};
    socket_->write((Joined(fields) + "\n").c_str());
    socket_->flush();
    QElapsedTimer clock;
    clock.start();
    std::size_t end = 0;
    while ((end = pending_.find('\n')) == std::string::npos) {
        if (clock.elapsed() > 10000 || socket_->state() != QLocalSocket::ConnectedState)
            return {false, "no answer to " + Joined(fields)};
        socket_->waitForReadyRead(100);
        pending_ += socket_->readAll().toStdString();
    }
    const std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    const std::size_t tab = line.find('\t');
    const std::string status = line.substr(0, tab);
    const std::string value = tab == std::string::npos ? "" : Unescape(line.substr(tab + 1));
    return {status == "ok", value};
}

void RemoteProgram::Do(const std::vector<std::string>& fields) {
    const Reply reply = Ask(fields);
    EXPECT_TRUE(reply.ok) << Joined(fields) << ": " << reply.value;
}

std::string RemoteProgram::Text(const std::string& path) {
    return Ask({"text", path}).value;
}

std::string RemoteProgram::Description(const std::string& path) {
    const std::string both = Ask({"accessible", path}).value;
    const std::size_t tab = both.find('\t');
    return tab == std::string::npos ? "" : both.substr(tab + 1);
}

bool RemoteProgram::Exists(const std::string& path) {
    return Ask({"exists", path}).value == "1";
}

std::vector<std::string> RemoteProgram::Fields(const std::vector<std::string>& command) {
    const Reply reply = Ask(command);
    std::vector<std::string> fields;
    std::istringstream parts(reply.value);
    for (std::string field; std::getline(parts, field, '\t');)
        fields.push_back(field);
    fields.resize(2);
    return fields;
}

std::string RemoteProgram::ModalClass() {
    return Fields({"modal"})[0];
}

std::string RemoteProgram::ModalTitle() {
    return Fields({"modal"})[1];
}

bool RemoteProgram::WaitForModal(const std::string& className, int waitMs) {
    return WaitFor([&] { return ModalClass() == className; }, waitMs);
}

bool RemoteProgram::WaitForPopup(const std::string& className, int waitMs) {
    return WaitFor([&] { return Fields({"popup"})[0] == className; }, waitMs);
}

std::vector<int> RemoteProgram::Geometry(const std::string& path) {
    std::istringstream numbers(Ask({"geometry", path}).value);
    std::vector<int> box(4, 0);
    for (int& n : box)
        numbers >> n;
    return box;
}

std::string RemoteProgram::Output() const {
    QFile file(outputFile_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

void RemoteProgram::Stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

} // namespace crvl::e2e
