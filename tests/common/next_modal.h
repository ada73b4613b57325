#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace crvl::test {

// Runs action on the next modal widget that opens (a dialog or message box),
// so a test can answer a dialog that blocks in its own event loop.
inline void onNextModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start(5);
}

} // namespace crvl::test
