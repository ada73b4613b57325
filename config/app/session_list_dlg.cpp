#include "config/app/session_list_dlg.h"

#include "config/app/debrief_dlg.h"
#include "config/session/session_read.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace crvl {

namespace {

// "2026-03-01_09-15-00.csv  (4:10.5, 2 shocks)", and what went wrong with
// the run: its file damaged, or cut short (no end line).
QString Entry(const std::filesystem::path& file) {
    const SessionRun run = ReadSession(file);
    const Debrief debrief = MakeDebrief(run);
    QString entry = QString::fromStdString(file.filename().string());
    QString facts = QStringLiteral("%1, %2 shock%3")
                        .arg(QString::fromStdString(DebriefTime(debrief.length)))
                        .arg(debrief.shocks.size())
                        .arg(debrief.shocks.size() == 1 ? "" : "s");
    if (!run.Complete())
        facts += run.stoppedAtLine > 0
                     ? QStringLiteral(", damaged at line %1").arg(run.stoppedAtLine)
                     : QStringLiteral(", unreadable");
    else if (run.lines.empty() || run.lines.back().event != SessionEvent::End)
        facts += QStringLiteral(", cut short"); // the program ended before the monitor closed
    return entry + QStringLiteral("  (") + facts + QLatin1Char(')');
}

} // namespace

CSessionListDlg::CSessionListDlg(const std::filesystem::path& folder, QWidget* parent)
    : QDialog(parent), files_(ListSessions(folder)) {
    setWindowTitle(QStringLiteral("Session Logs"));
    auto* label = new QLabel(files_.empty() ? QStringLiteral("No session logs in %1 yet.")
                                                  .arg(QString::fromStdString(folder.string()))
                                            : QStringLiteral("Runs kept in %1, newest first:")
                                                  .arg(QString::fromStdString(folder.string())),
                             this);
    label->setWordWrap(true);
    list_ = new QListWidget(this);
    list_->setAccessibleName(QStringLiteral("Session logs"));
    label->setBuddy(list_);
    for (const std::filesystem::path& file : files_)
        list_->addItem(Entry(file));
    if (!files_.empty())
        list_->setCurrentRow(0);

    open_ = new QPushButton(QStringLiteral("Open"), this);
    open_->setAccessibleName(open_->text());
    open_->setEnabled(!files_.empty());
    open_->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setAccessibleName(close->text());
    close->setAutoDefault(false);
    connect(open_, &QPushButton::clicked, this, &CSessionListDlg::OpenSelected);
    connect(list_, &QListWidget::itemActivated, this, &CSessionListDlg::OpenSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(open_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(480, 360);
}

void CSessionListDlg::OpenSelected() {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(files_.size()))
        return;
    chosen_ = files_[static_cast<std::size_t>(row)];
    accept();
}

void RunSessionLogs(
    QWidget* parent, const std::filesystem::path& folder,
    const std::function<void(QWidget*, const std::filesystem::path&)>& showDebrief) {
    CSessionListDlg list(folder, parent);
    if (list.exec() != QDialog::Accepted || list.Chosen().empty())
        return;
    if (showDebrief)
        showDebrief(parent, list.Chosen());
    else
        ShowSessionDebrief(parent, list.Chosen());
}

} // namespace crvl
