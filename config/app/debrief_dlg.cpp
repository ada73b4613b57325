#include "config/app/debrief_dlg.h"

#include "config/app/debrief_chart.h"

#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace crvl {

namespace {

QString Time(double seconds) {
    return QString::fromStdString(DebriefTime(seconds));
}

QTreeWidget* Table(const QString& name, const QStringList& header,
                   const std::vector<QStringList>& rows, QWidget* parent) {
    auto* table = new QTreeWidget(parent);
    table->setAccessibleName(name);
    table->setRootIsDecorated(false);
    table->setHeaderLabels(header);
    for (const QStringList& row : rows)
        table->addTopLevelItem(new QTreeWidgetItem(row));
    for (int column = 0; column < header.size(); ++column)
        table->resizeColumnToContents(column);
    return table;
}

// Rows of text in columns as wide as their widest cell; returns the height used.
double PaintRows(QPainter& painter, const QPointF& at, const QStringList& header,
                 const std::vector<QStringList>& rows, std::size_t shown) {
    const QFontMetricsF metrics(painter.font(), painter.device());
    std::vector<double> widths(static_cast<std::size_t>(header.size()));
    for (int c = 0; c < header.size(); ++c) {
        widths[c] = metrics.horizontalAdvance(header[c]);
        for (std::size_t r = 0; r < shown; ++r)
            widths[c] = std::max(widths[c], metrics.horizontalAdvance(rows[r][c]));
    }
    const double gap = metrics.horizontalAdvance(QStringLiteral("    "));
    auto paintRow = [&](const QStringList& cells, double y) {
        double x = at.x();
        for (int c = 0; c < cells.size(); ++c) {
            painter.drawText(QPointF(x, y + metrics.ascent()), cells[c]);
            x += widths[c] + gap;
        }
    };
    double y = at.y();
    QFont bold = painter.font();
    bold.setBold(true);
    painter.save();
    painter.setFont(bold);
    paintRow(header, y);
    painter.restore();
    y += metrics.height();
    for (std::size_t r = 0; r < shown; ++r) {
        paintRow(rows[r], y);
        y += metrics.height();
    }
    if (shown < rows.size()) {
        painter.drawText(QPointF(at.x(), y + metrics.ascent()),
                         QStringLiteral("... and %1 more").arg(rows.size() - shown));
        y += metrics.height();
    }
    return y - at.y();
}

} // namespace

DebriefText MakeDebriefText(const std::filesystem::path& log, const SessionRun& run,
                            const Debrief& debrief) {
    DebriefText text;
    text.summary << QStringLiteral("Run: %1").arg(QString::fromStdString(log.filename().string()));
    text.summary << QStringLiteral("Length: %1").arg(Time(debrief.length));
    text.summary
        << (debrief.timeToFirstShock
                ? QStringLiteral("Time to first shock: %1").arg(Time(*debrief.timeToFirstShock))
                : QStringLiteral("Time to first shock: no shock delivered"));
    text.summary << QStringLiteral("Shocks: %1").arg(debrief.shocks.size());
    if (debrief.lost)
        text.summary << QStringLiteral("The trainer was lost during the run.");
    if (debrief.detached)
        text.summary << QStringLiteral("The trainer detached the tool during the run (its remote "
                                       "control or buttons).");
    if (!run.Complete()) {
        text.summary << (run.stoppedAtLine > 0
                             ? QStringLiteral("Reading stopped at line %1: %2. Shown is what "
                                              "came before it.")
                                   .arg(run.stoppedAtLine)
                                   .arg(QString::fromStdString(run.problem))
                             : QString::fromStdString(run.problem));
    } else if (run.lines.empty() || run.lines.back().event != SessionEvent::End) {
        text.summary << QStringLiteral("The log ends before the monitor closed (cut short).");
    }

    text.frameHeader = {QStringLiteral("#"), QStringLiteral("Scenario"), QStringLiteral("Frame"),
                        QStringLiteral("Entered"), QStringLiteral("Time in frame")};
    int number = 0;
    for (const DebriefFrame& frame : debrief.frames)
        text.frames.push_back({QString::number(++number), QString::fromStdString(frame.scenario),
                               QString::fromStdString(frame.frame), Time(frame.entered),
                               Time(frame.duration)});
    text.shockHeader = {QStringLiteral("Shock"), QStringLiteral("Time"), QStringLiteral("Scenario"),
                        QStringLiteral("Frame")};
    number = 0;
    for (const DebriefShock& shock : debrief.shocks)
        text.shocks.push_back({QString::number(++number), Time(shock.time),
                               QString::fromStdString(shock.scenario),
                               QString::fromStdString(shock.frame)});
    return text;
}

void PrintDebrief(QPrinter& printer, const DebriefText& text, const Debrief& debrief) {
    QPainter painter(&printer);
    const QRectF page(0, 0, printer.width(), printer.height());
    QFont title(QStringLiteral("Sans Serif"), 16, QFont::Bold);
    painter.setFont(title);
    const QFontMetricsF titleMetrics(title, &printer);
    painter.drawText(QPointF(page.left(), page.top() + titleMetrics.ascent()),
                     QStringLiteral("Session Debrief"));
    double y = page.top() + titleMetrics.height() * 1.5;

    QFont body(QStringLiteral("Sans Serif"), 10);
    painter.setFont(body);
    QFontMetricsF metrics(body, &printer);
    for (const QString& line : text.summary) {
        const QRectF box = painter.boundingRect(QRectF(page.left(), y, page.width(), page.height()),
                                                Qt::TextWordWrap, line);
        painter.drawText(box, Qt::TextWordWrap, line);
        y += box.height();
    }
    y += metrics.height();

    const double chartHeight = page.height() * 0.3;
    PaintDebriefChart(painter, QRectF(page.left(), y, page.width(), chartHeight), debrief);
    y += chartHeight + metrics.height();

    // The tables get what is left; a long run prints smaller, and whatever
    // does not fit even so is counted, so the debrief stays on one page.
    const std::size_t rows = std::max(text.frames.size(), text.shocks.size());
    double pointSize = 10;
    std::size_t fits = 0;
    for (;; pointSize -= 0.5) {
        body.setPointSizeF(pointSize);
        metrics = QFontMetricsF(body, &printer);
        const double lines = (page.bottom() - y) / metrics.height();
        fits = lines > 3 ? static_cast<std::size_t>(lines) - 3 : 0; // headings and "more"
        if (fits >= rows || pointSize <= 6)
            break;
    }
    painter.setFont(body);
    QFont heading = body;
    heading.setBold(true);
    painter.setFont(heading);
    painter.drawText(QPointF(page.left(), y + metrics.ascent()), QStringLiteral("Frames in order"));
    painter.drawText(QPointF(page.left() + page.width() * 0.6, y + metrics.ascent()),
                     QStringLiteral("Shocks"));
    painter.setFont(body);
    y += metrics.height();
    PaintRows(painter, QPointF(page.left(), y), text.frameHeader, text.frames,
              std::min(fits, text.frames.size()));
    if (text.shocks.empty())
        painter.drawText(QPointF(page.left() + page.width() * 0.6, y + metrics.ascent()),
                         QStringLiteral("none"));
    else
        PaintRows(painter, QPointF(page.left() + page.width() * 0.6, y), text.shockHeader,
                  text.shocks, std::min(fits, text.shocks.size()));
}

CDebriefDlg::CDebriefDlg(const std::filesystem::path& log, QWidget* parent, DebriefHooks hooks)
    : QDialog(parent), log_(log), hooks_(std::move(hooks)) {
    setWindowTitle(QStringLiteral("Session Debrief"));
    setWindowIcon(QIcon(QStringLiteral(":/crvlconfig/crvlconfig.png")));
    run_ = ReadSession(log);
    debrief_ = MakeDebrief(run_);
    text_ = MakeDebriefText(log, run_, debrief_);

    summary_ = new QLabel(text_.summary.join(QLatin1Char('\n')), this);
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setAccessibleName(QStringLiteral("Summary"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    chart_ = new CDebriefChart(this);
    chart_->SetDebrief(debrief_);

    auto* framesLabel = new QLabel(QStringLiteral("Frames in order"), this);
    auto* frames = Table(QStringLiteral("Frames in order"), text_.frameHeader, text_.frames, this);
    frames->setObjectName(QStringLiteral("frames"));
    framesLabel->setBuddy(frames);
    auto* shocksLabel = new QLabel(QStringLiteral("Shocks"), this);
    auto* shocks = Table(QStringLiteral("Shocks"), text_.shockHeader, text_.shocks, this);
    shocks->setObjectName(QStringLiteral("shocks"));
    shocksLabel->setBuddy(shocks);

    auto* print = new QPushButton(QStringLiteral("Print..."), this);
    auto* folder = new QPushButton(QStringLiteral("Open Folder"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* button : {print, folder, close}) {
        button->setObjectName(button->text());
        button->setAccessibleName(button->text().remove(QStringLiteral("...")));
        button->setAutoDefault(false);
    }
    close->setDefault(true);
    connect(print, &QPushButton::clicked, this, &CDebriefDlg::Print);
    connect(folder, &QPushButton::clicked, this, &CDebriefDlg::OpenFolder);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* tables = new QHBoxLayout;
    auto* frameColumn = new QVBoxLayout;
    frameColumn->addWidget(framesLabel);
    frameColumn->addWidget(frames);
    auto* shockColumn = new QVBoxLayout;
    shockColumn->addWidget(shocksLabel);
    shockColumn->addWidget(shocks);
    tables->addLayout(frameColumn, 3);
    tables->addLayout(shockColumn, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print);
    buttons->addWidget(folder);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(chart_, 3);
    layout->addLayout(tables, 2);
    layout->addLayout(buttons);
    resize(680, 620);
}

QString CDebriefDlg::SummaryText() const {
    return summary_->text();
}

void CDebriefDlg::Print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Session Debrief"));
    const bool chosen = hooks_.choosePrinter ? hooks_.choosePrinter(printer, this) : [&] {
        QPrintDialog dialog(&printer, this);
        // One page, so there is no range to choose.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        return dialog.exec() == QDialog::Accepted;
    }();
    if (chosen)
        PrintDebrief(printer, text_, debrief_);
}

void CDebriefDlg::OpenFolder() {
    const QString folder = QString::fromStdString(log_.parent_path().string());
    const bool opened = hooks_.openFolder ? hooks_.openFolder(folder)
                                          : QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    if (!opened) {
        // A machine without a file manager (a kiosk, a bare session) still
        // learns where the logs are.
        QMessageBox box(QMessageBox::Information, QStringLiteral("Session Logs"),
                        QStringLiteral("No file manager could be started. The session logs "
                                       "are in:\n%1")
                            .arg(QDir::toNativeSeparators(folder)),
                        QMessageBox::Ok, this);
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);
        box.exec();
    }
}

void ShowSessionDebrief(QWidget* parent, const std::filesystem::path& log) {
    auto* window = new CDebriefDlg(log, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

} // namespace crvl
