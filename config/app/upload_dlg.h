// CUploadDlg and the custom scenario upload: the user picks one of the three
// slots and a scenario file; the file's state table is checked and sent with
// the file's name in one UploadScenario message.
#pragma once

#include "scenario/scenario_file.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <string>

class QButtonGroup;
class QLineEdit;

namespace crvl {

class ConfigView;
class LinkMachine;

namespace text {
inline constexpr const char* kUploadCaption = "Upload Custom Scenarios";
inline constexpr const char* kSelectNewTip = "Select New Scenario";
inline constexpr const char* kScenarioFilter = "Crvl Scenario Files (*.scn);;All Files (*.*)";
inline constexpr const char* kFormatError = "Format error in scenario file";
inline constexpr const char* kCannotReadScenario = "The scenario file could not be read:\n%1";
inline constexpr const char* kMessageCaption = "crvlconfig";
inline constexpr const char* kTableErrors = "The scenario file's table has errors:";
inline constexpr const char* kUploadAnyway = "Upload it anyway?";
inline constexpr const char* kLostBeforeUpload =
    "The connection to the Corvel was lost. Nothing was uploaded;\n"
    "the custom scenarios in the Corvel are as they were.";
} // namespace text

class CUploadDlg : public QDialog {
    Q_OBJECT
public:
    // Chooses the scenario file; an empty result means the user cancelled.
    using FileChooser = std::function<QString(QWidget* parent)>;

    CUploadDlg(const std::array<std::string, 3>& slotNames, FileChooser chooseFile = {},
               QWidget* parent = nullptr);

    // "Select New": asks for the file and ends the dialog with OK when one
    // was chosen, with Cancel otherwise.
    void SelectNew();
    void SetSlotIndex(int index);
    // The trainer went away: closes the dialog (and a file dialog open over
    // it) with Cancel; a file chosen after this is not taken.
    void TrainerLost();

    bool Lost() const { return lost_; }
    int SlotIndex() const { return slotIndex_; } // 0..2, C1..C3
    const QString& FilePath() const { return filePath_; }

    // The file-open dialog, starting in "scenarios" under the working
    // directory.
    static QString ChooseScenarioFile(QWidget* parent);

private:
    FileChooser chooseFile_;
    QButtonGroup* slots_ = nullptr;
    int slotIndex_ = 0;
    QString filePath_;
    bool lost_ = false;
};

// A scenario file read and checked as an upload needs it: problem says why
// it cannot be sent (empty when it can); errorsQuestion, when not empty,
// asks whether a table with errors is to be sent all the same.
struct CheckedScenario {
    ScenarioFile file;
    std::string problem;
    std::string errorsQuestion;
};
CheckedScenario CheckScenarioFile(const QString& path);

enum class UploadOutcome { Cancelled, Sent, FormatError, FileError, NotConfirmed, TrainerLost };

struct UploadHooks {
    CUploadDlg::FileChooser chooseFile;        // empty: the file-open dialog
    std::function<int(CUploadDlg&)> runDialog; // empty: exec()
};

// The upload procedure, run when the three slots have been read: shows the
// dialog with the slots' names, reads and checks the chosen file, reports
// problems through the view and hands a good table to the connection logic.
// When the checks find errors in the table, the user is asked first (No is
// the default); warnings and notes are not asked about.
// The Custom Scenarios button is enabled again on every path that ends with
// the trainer still connected.
UploadOutcome RunScenarioUpload(QWidget* parent, LinkMachine& machine, ConfigView& view,
                                const UploadHooks& hooks = {});

} // namespace crvl
