#include "config/app/class_debrief_dlg.h"

#include <QDateEdit>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace crvl {

namespace {

// The most runs one printed page holds side by side; a longer period prints
// its first runs and says how many more there were.
constexpr int kMaxPrintedRuns = 12;
constexpr double kLargestPoint = 10.0;
constexpr double kSmallestPoint = 5.0;
constexpr double kPointStep = 0.5;

QString Time(double seconds) {
    return QString::fromStdString(DebriefTime(seconds));
}

QString Frame(const std::string& scenario, const std::string& frame) {
    return QStringLiteral("%1 / %2").arg(QString::fromStdString(scenario),
                                         QString::fromStdString(frame));
}

QString StampText(const LocalStamp& s) {
    return QTime(s.hour, s.minute, s.second).toString(QStringLiteral("HH:mm:ss"));
}

LocalStamp Stamp(const QDate& date, const QTime& time) {
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

QString StretchesText(const ClassRun& run) {
    QStringList lines;
    for (const Stretch& s : run.stretches)
        lines << QStringLiteral("%1 %2 to %3")
                     .arg(s.event == SessionEvent::Lost ? QStringLiteral("lost")
                                                        : QStringLiteral("detached"),
                          Time(s.from), Time(s.to));
    return lines.isEmpty() ? QStringLiteral("none") : lines.join(QLatin1Char('\n'));
}

QString FrameTimesText(const ClassRun& run) {
    QStringList lines;
    for (const FrameTime& t : run.frameTimes)
        lines << QStringLiteral("%1: %2").arg(Frame(t.scenario, t.frame), Time(t.seconds));
    return lines.isEmpty() ? QStringLiteral("no report") : lines.join(QLatin1Char('\n'));
}

QString LogText(const ClassRun& run) {
    if (!run.problem.empty())
        return run.stoppedAtLine > 0 ? QStringLiteral("read up to line %1: %2")
                                           .arg(run.stoppedAtLine)
                                           .arg(QString::fromStdString(run.problem))
                                     : QString::fromStdString(run.problem);
    return run.ended ? QStringLiteral("complete") : QStringLiteral("cut short (no end line)");
}

} // namespace

ClassDebriefText MakeClassDebriefText(const std::vector<ClassRun>& runs) {
    ClassDebriefText text;
    text.rowNames = {QStringLiteral("Started"),          QStringLiteral("Length"),
                     QStringLiteral("First shock"),      QStringLiteral("Shocks"),
                     QStringLiteral("Ended in"),         QStringLiteral("Time in each frame"),
                     QStringLiteral("Lost or detached"), QStringLiteral("Log")};
    for (const ClassRun& run : runs) {
        text.columnNames << QString::fromStdString(run.name.trainer);
        const Debrief& d = run.debrief;
        text.columns.push_back(
            {StampText(run.name.start), Time(d.length),
             d.timeToFirstShock ? Time(*d.timeToFirstShock) : QStringLiteral("no shock"),
             QString::number(d.shocks.size()),
             run.endFrame.empty() ? QStringLiteral("no report")
                                  : Frame(run.endScenario, run.endFrame),
             FrameTimesText(run), StretchesText(run), LogText(run)});
    }
    return text;
}

void PrintClassDebrief(QPrinter& printer, const QString& title, const ClassDebriefText& text) {
    QPainter painter(&printer);
    const QRectF page(0, 0, printer.width(), printer.height());
    const QFont titleFont(QStringLiteral("Sans Serif"), 16, QFont::Bold);
    painter.setFont(titleFont);
    const QFontMetricsF titleMetrics(titleFont, &printer);
    painter.drawText(QPointF(page.left(), page.top() + titleMetrics.ascent()), title);
    const double top = page.top() + titleMetrics.height() * 1.5;

    const int printed = std::min<int>(static_cast<int>(text.columns.size()), kMaxPrintedRuns);
    QFont body(QStringLiteral("Sans Serif"), static_cast<int>(kLargestPoint));
    if (printed == 0) {
        painter.setFont(body);
        painter.drawText(QPointF(page.left(), top + QFontMetricsF(body, &printer).ascent()),
                         QStringLiteral("No monitored run in this period."));
        return;
    }

    // A column for the figures' names, then one per run; the font shrinks
    // until every row fits, so the class stays on one page.
    std::vector<double> heights;
    double labelWidth = 0, columnWidth = 0, padding = 0;
    const int flags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;
    for (double point = kLargestPoint;; point -= kPointStep) {
        body.setPointSizeF(point);
        painter.setFont(body);
        const QFontMetricsF metrics(body, &printer);
        padding = metrics.height() * 0.25;
        QFont boldBody = body;
        boldBody.setBold(true); // the figures' names are printed bold
        const QFontMetricsF boldMetrics(boldBody, &printer);
        labelWidth = 0;
        for (const QString& name : text.rowNames)
            labelWidth = std::max(labelWidth, boldMetrics.horizontalAdvance(name) + 2 * padding);
        columnWidth = (page.width() - labelWidth) / printed;
        heights.assign(static_cast<std::size_t>(text.rowNames.size() + 1), metrics.height());
        double total = 0;
        for (int row = 0; row <= text.rowNames.size(); ++row) {
            for (int c = 0; c < printed; ++c) {
                const QString cell = row == 0 ? text.columnNames[c] : text.columns[c][row - 1];
                const QRectF box = painter.boundingRect(
                    QRectF(0, 0, columnWidth - 2 * padding, page.height()), flags, cell);
                heights[row] = std::max(heights[row], box.height());
            }
            heights[row] += 2 * padding;
            total += heights[row];
        }
        if (top + total + metrics.height() * 2 <= page.bottom() || point <= kSmallestPoint)
            break;
    }

    QFont bold = body;
    bold.setBold(true);
    double y = top;
    for (int row = 0; row <= text.rowNames.size(); ++row) {
        painter.setFont(bold);
        // The names were measured for one line each.
        if (row > 0)
            painter.drawText(QPointF(page.left() + padding,
                                     y + padding + QFontMetricsF(bold, &printer).ascent()),
                             text.rowNames[row - 1]);
        painter.setFont(row == 0 ? bold : body);
        for (int c = 0; c < printed; ++c) {
            const QRectF cell(page.left() + labelWidth + c * columnWidth, y, columnWidth,
                              heights[row]);
            painter.drawRect(cell);
            painter.drawText(cell.adjusted(padding, padding, -padding, -padding), flags,
                             row == 0 ? text.columnNames[c] : text.columns[c][row - 1]);
        }
        y += heights[row];
    }
    painter.setFont(body);
    if (const int more = static_cast<int>(text.columns.size()) - printed; more > 0)
        painter.drawText(
            QPointF(page.left(), y + QFontMetricsF(body, &printer).height() * 1.5),
            QStringLiteral("... and %1 more runs: choose a shorter period.").arg(more));
}

ClassDebriefDlg::ClassDebriefDlg(const std::filesystem::path& sessionsFolder, QWidget* parent,
                                 ClassDebriefHooks hooks)
    : QDialog(parent), folder_(sessionsFolder), hooks_(std::move(hooks)) {
    setWindowTitle(QStringLiteral("Class Debrief"));
    setWindowIcon(QIcon(QStringLiteral(":/crvlconfig/crvlconfig.png")));

    date_ = new QDateEdit(QDate::currentDate(), this);
    date_->setCalendarPopup(true);
    from_ = new QTimeEdit(QTime(0, 0, 0), this);
    to_ = new QTimeEdit(QTime(23, 59, 59), this);
    from_->setDisplayFormat(QStringLiteral("HH:mm"));
    to_->setDisplayFormat(QStringLiteral("HH:mm"));
    auto* period = new QHBoxLayout;
    const std::pair<const char*, QWidget*> fields[] = {
        {"Date", date_}, {"From", from_}, {"To", to_}};
    for (const auto& [name, field] : fields) {
        auto* label = new QLabel(QStringLiteral("%1:").arg(QLatin1String(name)), this);
        label->setBuddy(field);
        field->setObjectName(QLatin1String(name));
        field->setAccessibleName(QLatin1String(name));
        period->addWidget(label);
        period->addWidget(field);
    }
    period->addStretch();
    connect(date_, &QDateEdit::dateChanged, this, &ClassDebriefDlg::Reload);
    connect(from_, &QTimeEdit::timeChanged, this, &ClassDebriefDlg::Reload);
    connect(to_, &QTimeEdit::timeChanged, this, &ClassDebriefDlg::Reload);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setAccessibleName(QStringLiteral("Summary"));
    summary_->setWordWrap(true);

    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("runs"));
    table_->setAccessibleName(QStringLiteral("Runs"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(true);

    auto* print = new QPushButton(QStringLiteral("Print..."), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* button : {print, close}) {
        button->setObjectName(button->text());
        button->setAccessibleName(button->text().remove(QStringLiteral("...")));
        button->setAutoDefault(false);
    }
    close->setDefault(true);
    connect(print, &QPushButton::clicked, this, &ClassDebriefDlg::Print);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(print);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(period);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);
    resize(900, 560);
    Reload();
}

ClassPeriod ClassDebriefDlg::Period() const {
    const QTime to = to_->time();
    // The To field shows minutes: it takes in the whole of its minute.
    return {Stamp(date_->date(), from_->time()),
            Stamp(date_->date(), QTime(to.hour(), to.minute(), 59))};
}

void ClassDebriefDlg::SetPeriod(const ClassPeriod& period) {
    const QSignalBlocker blockDate(date_), blockFrom(from_), blockTo(to_);
    date_->setDate(QDate(period.from.year, period.from.month, period.from.day));
    from_->setTime(QTime(period.from.hour, period.from.minute, period.from.second));
    to_->setTime(QTime(period.to.hour, period.to.minute, period.to.second));
    Reload();
}

QString ClassDebriefDlg::Title() const {
    return QStringLiteral("Class Debrief, %1, %2 to %3")
        .arg(date_->date().toString(Qt::ISODate), from_->time().toString(QStringLiteral("HH:mm")),
             to_->time().toString(QStringLiteral("HH:mm")));
}

void ClassDebriefDlg::Reload() {
    runs_ = ReadClassRuns(folder_, Period());
    text_ = MakeClassDebriefText(runs_);
    summary_->setText(runs_.empty() ? QStringLiteral("No monitored run in this period.")
                                    : QStringLiteral("%1 runs from %2")
                                          .arg(runs_.size())
                                          .arg(QString::fromStdString(folder_.string())));
    table_->clear();
    table_->setRowCount(text_.rowNames.size());
    table_->setColumnCount(static_cast<int>(text_.columns.size()));
    table_->setVerticalHeaderLabels(text_.rowNames);
    table_->setHorizontalHeaderLabels(text_.columnNames);
    for (int c = 0; c < static_cast<int>(text_.columns.size()); ++c)
        for (int row = 0; row < text_.rowNames.size(); ++row)
            table_->setItem(row, c, new QTableWidgetItem(text_.columns[c][row]));
    table_->resizeColumnsToContents();
    table_->resizeRowsToContents();
}

void ClassDebriefDlg::Print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Class Debrief"));
    printer.setPageOrientation(QPageLayout::Landscape);
    const bool chosen = hooks_.choosePrinter ? hooks_.choosePrinter(printer, this) : [&] {
        QPrintDialog dialog(&printer, this);
        // One page, so there is no range to choose.
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        return dialog.exec() == QDialog::Accepted;
    }();
    if (chosen)
        PrintClassDebrief(printer, Title(), text_);
}

} // namespace crvl
