#include "update/app/upd_help_dialog.h"

#include "update/app/upd_strings.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The help text fits without scrolling.
constexpr int kHelpTextMinWidth = 380;
constexpr int kHelpTextMinHeight = 140;

} // namespace

CUpdHelpDlg::CUpdHelpDlg(QWidget* parent) : QDialog(parent), text_(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Help"));
    text_->setReadOnly(true);
    text_->setObjectName(QStringLiteral("helpText"));
    text_->setAccessibleName(QStringLiteral("Help"));
    text_->setPlainText(upd::DisplayText(upd::kHelpText));
    text_->setMinimumSize(kHelpTextMinWidth, kHelpTextMinHeight);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setAccessibleName(QStringLiteral("OK"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}
