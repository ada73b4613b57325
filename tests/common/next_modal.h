#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

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

// What the next message box showed.
struct SeenBox {
    bool shown = false;
    std::string title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* owner = nullptr;
};

// Answers the next message box with the given button (NoButton: accepts
// it, as OK does), passing over any other modal dialog (such as the one
// whose button leads to the box).
inline void onNextMessageBoxAnswer(SeenBox& seen, QMessageBox::StandardButton answer) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, &seen, answer] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            seen = {true, box->windowTitle().toStdString(), box->text().toStdString(), box->icon(),
                    box->parentWidget()};
            if (answer == QMessageBox::NoButton)
                box->accept();
            else
                box->button(answer)->click();
        }
    });
    timer->start(5);
}

// The same, answered with OK.
inline void onNextMessageBox(SeenBox& seen) {
    onNextMessageBoxAnswer(seen, QMessageBox::NoButton);
}

} // namespace crvl::test
