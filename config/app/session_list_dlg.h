// "Session Logs": the runs kept in the sessions folder, newest first, each
// with its length and shocks; Open shows the chosen run's debrief.
#pragma once

#include <QDialog>

#include <filesystem>
#include <functional>
#include <vector>

class QListWidget;
class QPushButton;

namespace crvl {

class CSessionListDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSessionListDlg(const std::filesystem::path& folder, QWidget* parent = nullptr);

    QListWidget* List() const { return list_; }
    // The run chosen with Open (or a double click); empty otherwise.
    const std::filesystem::path& Chosen() const { return chosen_; }

private:
    void OpenSelected();

    std::vector<std::filesystem::path> files_;
    std::filesystem::path chosen_;
    QListWidget* list_ = nullptr;
    QPushButton* open_ = nullptr;
};

// The "Session Logs..." command: the list, then the chosen run's debrief.
// showDebrief null opens the Session Debrief window.
void RunSessionLogs(
    QWidget* parent, const std::filesystem::path& folder,
    const std::function<void(QWidget*, const std::filesystem::path&)>& showDebrief = nullptr);

} // namespace crvl
