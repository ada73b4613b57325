#include "tools/remote_ui/remote_ui_commands.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextEdit>
#include <QWidget>

#include <deque>
#include <functional>

namespace crvl::remote_ui {

namespace {

// What a path names: a widget, and the part of it to aim at (a menu entry
// is a part of its menu; anything else is the whole widget).
struct Target {
    QPointer<QWidget> widget;
    QRect area;
};

QString WithoutMnemonic(QString text) {
    return text.remove(QLatin1Char('&'));
}

bool Named(const QWidget* widget, const QString& name) {
    if (widget->objectName() == name || widget->accessibleName() == name ||
        QLatin1String(widget->metaObject()->className()) == name)
        return true;
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return WithoutMnemonic(button->text()) == name;
    return false;
}

QWidget* TopLevel(const QString& name) {
    if (name == QLatin1String("@modal"))
        return QApplication::activeModalWidget();
    if (name == QLatin1String("@popup"))
        return QApplication::activePopupWidget();
    if (name == QLatin1String("@active"))
        return QApplication::activeWindow();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && (Named(window, name) || window->windowTitle() == name))
            return window;
    }
    return nullptr;
}

// The nearest descendant of that name; a shown one before a hidden one.
QWidget* Descendant(QWidget* root, const QString& name) {
    QWidget* hidden = nullptr;
    std::deque<QWidget*> queue{root};
    while (!queue.empty()) {
        QWidget* widget = queue.front();
        queue.pop_front();
        for (QObject* child : widget->children()) {
            auto* childWidget = qobject_cast<QWidget*>(child);
            if (childWidget == nullptr || childWidget->isWindow())
                continue;
            if (Named(childWidget, name)) {
                if (childWidget->isVisibleTo(root))
                    return childWidget;
                if (hidden == nullptr)
                    hidden = childWidget;
            }
            queue.push_back(childWidget);
        }
    }
    return hidden;
}

// Where a click lands by default: the middle of the widget, but a check
// box or radio button reacts only to its box and caption, so its box.
QRect AimArea(QWidget* widget) {
    const bool radio = qobject_cast<QRadioButton*>(widget) != nullptr;
    if (!radio && qobject_cast<QCheckBox*>(widget) == nullptr)
        return widget->rect();
    QStyleOptionButton option;
    option.initFrom(widget);
    return widget->style()->subElementRect(
        radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, widget);
}

// A path is a top-level window, then names of widgets below it, split by
// "/". The last name may be an entry of a menu.
Target Resolve(const QString& path, QString& error) {
    const QStringList names = path.split(QLatin1Char('/'));
    QWidget* widget = TopLevel(names.front());
    if (widget == nullptr) {
        error = QStringLiteral("no window ") + names.front();
        return {};
    }
    for (qsizetype i = 1; i < names.size(); ++i) {
        QWidget* next = Descendant(widget, names[i]);
        if (next == nullptr && i == names.size() - 1) {
            if (auto* menu = qobject_cast<QMenu*>(widget)) {
                for (QAction* action : menu->actions()) {
                    if (WithoutMnemonic(action->text()) == names[i])
                        return {menu, menu->actionGeometry(action)};
                }
            }
        }
        if (next == nullptr) {
            error = QStringLiteral("no widget ") + names[i] + QStringLiteral(" in ") +
                    names.mid(0, i).join(QLatin1Char('/'));
            return {};
        }
        widget = next;
    }
    return {widget, AimArea(widget)};
}

// ---- input, queued behind the answer ---------------------------------------

void Later(const Target& target, std::function<void(QWidget*)> input) {
    QMetaObject::invokeMethod(
        qApp,
        [widget = target.widget, input = std::move(input)] {
            if (widget)
                input(widget);
        },
        Qt::QueuedConnection);
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void Click(QWidget* widget, QPoint at) {
    QPointer<QWidget> alive(widget);
    SendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    if (alive)
        SendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    if (alive)
        SendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

// Press, four moves with the button held, release: the widget that took
// the press gets every event, as when the mouse is grabbed.
void Drag(QWidget* widget, QPoint from, QPoint to) {
    SendMouse(widget, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    for (int step = 1; step <= 4; ++step)
        SendMouse(widget, QEvent::MouseMove, from + (to - from) * step / 4, Qt::NoButton,
                  Qt::LeftButton);
    SendMouse(widget, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

void SendKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QPointer<QWidget> alive(widget);
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    if (!alive)
        return;
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

// The key code of a typed character, as the keyboard would report it.
int KeyOf(QChar c) {
    if (c.isLetter() && c.unicode() < 0x80)
        return c.toUpper().unicode();
    if (c.unicode() >= 0x20 && c.unicode() < 0x7f)
        return c.unicode();
    return Qt::Key_unknown;
}

QString KeyText(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("\r");
    case Qt::Key_Escape:
        return QString(QChar(0x1b));
    case Qt::Key_Tab:
        return QStringLiteral("\t");
    case Qt::Key_Space:
        return QStringLiteral(" ");
    default:
        break;
    }
    if ((modifiers & (Qt::ControlModifier | Qt::AltModifier)) == 0 && key >= 0x21 && key < 0x7f)
        return QString(QChar(key)).toLower();
    return {};
}

// ---- read-back --------------------------------------------------------------

QString TextOf(const QWidget* widget) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return WithoutMnemonic(button->text());
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->currentText();
    if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(widget))
        return spin->text();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget))
        return plain->toPlainText();
    if (const auto* rich = qobject_cast<const QTextEdit*>(widget))
        return rich->toPlainText();
    return widget->windowTitle();
}

QString StateOf(const QWidget* widget) {
    QString state = QStringLiteral("enabled=%1 visible=%2")
                        .arg(widget->isEnabled() ? 1 : 0)
                        .arg(widget->isVisible() ? 1 : 0);
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget);
        button != nullptr && button->isCheckable())
        state += QStringLiteral(" checked=%1").arg(button->isChecked() ? 1 : 0);
    return state;
}

QString Describe(const QWidget* window) {
    if (window == nullptr)
        return {};
    return QLatin1String(window->metaObject()->className()) + QLatin1Char('\t') +
           window->windowTitle();
}

bool ToInt(const QString& text, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok;
}

Reply Fail(const QString& why) {
    return {false, why};
}

} // namespace

QString EscapeField(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            escaped += QStringLiteral("\\\\");
            break;
        case '\t':
            escaped += QStringLiteral("\\t");
            break;
        case '\n':
            escaped += QStringLiteral("\\n");
            break;
        case '\r':
            escaped += QStringLiteral("\\r");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

Reply Execute(const QStringList& fields) {
    const QString& command = fields.front();
    static const QStringList kCommands = {
        QStringLiteral("modal"),      QStringLiteral("popup"), QStringLiteral("exists"),
        QStringLiteral("text"),       QStringLiteral("state"), QStringLiteral("accessible"),
        QStringLiteral("geometry"),   QStringLiteral("grab"),  QStringLiteral("click"),
        QStringLiteral("drag"),       QStringLiteral("key"),   QStringLiteral("type"),
        QStringLiteral("contextmenu")};
    // An unknown command is named as such, not answered with a usage line.
    if (!kCommands.contains(command))
        return Fail(QStringLiteral("unknown command ") + command);
    // Questions about the windows themselves.
    if (command == QLatin1String("modal"))
        return {true, Describe(QApplication::activeModalWidget())};
    if (command == QLatin1String("popup"))
        return {true, Describe(QApplication::activePopupWidget())};

    if (fields.size() < 2)
        return Fail(QStringLiteral("usage: ") + command + QStringLiteral(" PATH ..."));
    QString error;
    const QString& path = fields[1];
    if (command == QLatin1String("exists")) {
        const Target target = Resolve(path, error);
        return {true, target.widget ? QStringLiteral("1") : QStringLiteral("0")};
    }
    const Target target = Resolve(path, error);
    if (!target.widget)
        return Fail(error);
    QWidget* widget = target.widget;

    if (command == QLatin1String("text"))
        return {true, TextOf(widget)};
    if (command == QLatin1String("state"))
        return {true, StateOf(widget)};
    if (command == QLatin1String("accessible"))
        return {true,
                widget->accessibleName() + QLatin1Char('\t') + widget->accessibleDescription()};
    if (command == QLatin1String("geometry")) {
        const QRect r = widget->geometry();
        return {true,
                QStringLiteral("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())};
    }
    if (command == QLatin1String("grab")) {
        if (fields.size() != 3)
            return Fail(QStringLiteral("usage: grab PATH FILE"));
        if (!widget->grab().save(fields[2]))
            return Fail(QStringLiteral("cannot write ") + fields[2]);
        return {};
    }

    if (command == QLatin1String("click")) {
        QPoint at = target.area.center();
        if (fields.size() == 4) {
            int x = 0;
            int y = 0;
            if (!ToInt(fields[2], x) || !ToInt(fields[3], y))
                return Fail(QStringLiteral("click: X and Y must be numbers"));
            at = {x, y};
        } else if (fields.size() != 2) {
            return Fail(QStringLiteral("usage: click PATH [X Y]"));
        }
        Later(target, [at](QWidget* w) { Click(w, at); });
        return {};
    }
    if (command == QLatin1String("drag")) {
        int n[4] = {};
        if (fields.size() != 6 || !ToInt(fields[2], n[0]) || !ToInt(fields[3], n[1]) ||
            !ToInt(fields[4], n[2]) || !ToInt(fields[5], n[3]))
            return Fail(QStringLiteral("usage: drag PATH X1 Y1 X2 Y2"));
        Later(target, [from = QPoint(n[0], n[1]), to = QPoint(n[2], n[3])](QWidget* w) {
            Drag(w, from, to);
        });
        return {};
    }
    if (command == QLatin1String("key")) {
        const QKeySequence sequence =
            fields.size() == 3 ? QKeySequence::fromString(fields[2]) : QKeySequence();
        if (sequence.count() != 1)
            return Fail(QStringLiteral("usage: key PATH KEY (as Return, Down or Ctrl+A)"));
        const QKeyCombination combination = sequence[0];
        Later(target, [combination](QWidget* w) {
            w->setFocus(Qt::OtherFocusReason);
            const int key = combination.key();
            const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
            SendKey(w, key, modifiers, KeyText(key, modifiers));
        });
        return {};
    }
    if (command == QLatin1String("type")) {
        if (fields.size() != 3)
            return Fail(QStringLiteral("usage: type PATH TEXT"));
        Later(target, [text = fields[2]](QWidget* w) {
            w->setFocus(Qt::OtherFocusReason);
            QPointer<QWidget> alive(w);
            for (QChar c : text) {
                if (!alive)
                    return;
                SendKey(w, KeyOf(c), c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(c));
            }
        });
        return {};
    }
    if (command == QLatin1String("contextmenu")) {
        Later(target, [at = target.area.center()](QWidget* w) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
            QApplication::sendEvent(w, &event);
        });
        return {};
    }
    return Fail(QStringLiteral("unknown command ") + command);
}

} // namespace crvl::remote_ui
