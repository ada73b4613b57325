// "Session Debrief": one monitored run read back from its session log: its
// length, the frames in order with the time spent in each, the shocks, the
// time to the first shock and a chart of the frame over time. Print... puts
// it on one page, Open Folder shows the log's folder.
#pragma once

#include "config/session/session_read.h"

#include <QDialog>
#include <QStringList>

#include <filesystem>
#include <functional>

class QLabel;
class QPrinter;
class QTreeWidget;

namespace crvl {

class CDebriefChart;

// The texts of a debrief, shared by the window and the printed page.
struct DebriefText {
    QStringList summary; // length, first shock, shocks, what stopped the reading
    QStringList frameHeader, shockHeader;
    std::vector<QStringList> frames, shocks; // one row each, by the headers' columns
};

DebriefText MakeDebriefText(const std::filesystem::path& log, const SessionRun& run,
                            const Debrief& debrief);

// Paints the whole debrief on one page of printer.
void PrintDebrief(QPrinter& printer, const DebriefText& text, const Debrief& debrief);

// Test seams; empty members take the program's behaviour.
struct DebriefHooks {
    // Sets the printer up; false to cancel. By default the print dialog.
    std::function<bool(QPrinter&, QWidget* parent)> choosePrinter;
    // By default the desktop's file manager; false when none could be
    // started (the folder's path is then shown in a message).
    std::function<bool(const QString& folder)> openFolder;
};

class CDebriefDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDebriefDlg(const std::filesystem::path& log, QWidget* parent = nullptr,
                         DebriefHooks hooks = {});

    const Debrief& Figures() const { return debrief_; }
    const DebriefText& Text() const { return text_; }
    QString SummaryText() const;

    // The buttons.
    void Print();
    void OpenFolder();

private:
    std::filesystem::path log_;
    DebriefHooks hooks_;
    SessionRun run_;
    Debrief debrief_;
    DebriefText text_;
    QLabel* summary_ = nullptr;
    CDebriefChart* chart_ = nullptr;
};

// Opens the debrief of log as a window of its own beside parent.
void ShowSessionDebrief(QWidget* parent, const std::filesystem::path& log);

} // namespace crvl
