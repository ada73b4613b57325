#pragma once

#include <QDialog>

class QPlainTextEdit;

// The help window: how to connect the trainer and start the upload.
class CUpdHelpDlg : public QDialog {
    Q_OBJECT
public:
    explicit CUpdHelpDlg(QWidget* parent = nullptr);

    QPlainTextEdit* HelpText() const { return text_; }

private:
    QPlainTextEdit* text_;
};
