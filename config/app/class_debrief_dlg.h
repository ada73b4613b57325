// "Class Debrief": the monitored runs of one period side by side, a column
// per run headed by its trainer: time to the first shock, shocks, the time
// in each frame, the frame it ended in, the stretches the trainer was lost
// or had let the tool go. Print... puts it on one page. The classroom opens
// it from its menu; the period is today's runs until the user picks another
// date or time of day.
#pragma once

#include "config/session/class_debrief.h"

#include <QDialog>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <vector>

class QDateEdit;
class QLabel;
class QPrinter;
class QTableWidget;
class QTimeEdit;

namespace crvl {

// The texts of a class debrief, shared by the window and the printed page:
// a row per figure, a column per run.
struct ClassDebriefText {
    QStringList rowNames;             // "Started", "Length", ...
    QStringList columnNames;          // the trainers' names
    std::vector<QStringList> columns; // one per run, a cell per row
};

ClassDebriefText MakeClassDebriefText(const std::vector<ClassRun>& runs);

// Paints the whole class debrief on one page of printer; title names the period.
void PrintClassDebrief(QPrinter& printer, const QString& title, const ClassDebriefText& text);

// Test seams; an empty member takes the program's behaviour.
struct ClassDebriefHooks {
    // Sets the printer up; false to cancel. By default the print dialog.
    std::function<bool(QPrinter&, QWidget* parent)> choosePrinter;
};

class ClassDebriefDlg : public QDialog {
    Q_OBJECT
public:
    ClassDebriefDlg(const std::filesystem::path& sessionsFolder, QWidget* parent,
                    ClassDebriefHooks hooks = {});

    // Shows the runs that started in period (the date of its start, and the
    // times of day of both ends).
    void SetPeriod(const ClassPeriod& period);
    ClassPeriod Period() const;
    const std::vector<ClassRun>& Runs() const { return runs_; }
    const ClassDebriefText& Text() const { return text_; }

    void Reload();
    void Print();

private:
    QString Title() const;

    std::filesystem::path folder_;
    ClassDebriefHooks hooks_;
    std::vector<ClassRun> runs_;
    ClassDebriefText text_;
    QDateEdit* date_ = nullptr;
    QTimeEdit* from_ = nullptr;
    QTimeEdit* to_ = nullptr;
    QLabel* summary_ = nullptr;
    QTableWidget* table_ = nullptr;
};

} // namespace crvl
