#include "tests/e2e/sim_process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>

namespace crvl::e2e {

SimProcess::~SimProcess() {
    Stop();
}

bool SimProcess::Start(const QString& linkPath, const QStringList& args) {
    process_.setProgram(QStringLiteral(CRVL_BIN_DIR "/trainersim"));
    process_.setArguments(QStringList{QStringLiteral("--link"), linkPath} + args);
    process_.start();
    if (!process_.waitForStarted(5000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!process_.canReadLine() && clock.elapsed() < 5000)
        process_.waitForReadyRead(100);
    if (!process_.canReadLine())
        return false;
    process_.readLine(); // the terminal's path
    return QFileInfo::exists(linkPath);
}

std::string SimProcess::Command(const std::string& line, int answerLines, int waitMs) {
    process_.readAllStandardOutput(); // nothing stale
    process_.write((line + "\n").c_str());
    std::string answer;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < waitMs &&
           std::count(answer.begin(), answer.end(), '\n') < answerLines) {
        process_.waitForReadyRead(50);
        answer += process_.readAllStandardOutput().toStdString();
    }
    return answer;
}

std::string SimProcess::Log() {
    log_ += process_.readAllStandardError().toStdString();
    return log_;
}

bool SimProcess::WaitForLog(const std::string& text, int waitMs) {
    QElapsedTimer clock;
    clock.start();
    while (Log().find(text) == std::string::npos) {
        if (clock.elapsed() > waitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        process_.waitForReadyRead(20);
    }
    return true;
}

void SimProcess::Stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.write("quit\n");
    process_.closeWriteChannel();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

} // namespace crvl::e2e
