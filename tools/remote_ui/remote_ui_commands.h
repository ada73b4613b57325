// The commands of the remote control, each carried out against the
// program's widgets. Mouse and keyboard commands only queue their input, so
// a click that opens a modal dialog does not hold up the commands that
// follow: they are answered from inside the dialog's own event loop.
#pragma once

#include <QString>
#include <QStringList>

namespace crvl::remote_ui {

struct Reply {
    bool ok = true;
    QString value; // the answer, or why the command failed
};

// fields: the command's name and its arguments.
Reply Execute(const QStringList& fields);

// Replies travel as one line: backslash, tab and line breaks are escaped.
QString EscapeField(const QString& text);

} // namespace crvl::remote_ui
