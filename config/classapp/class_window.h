// crvlclass's window: a tile per trainer the classroom found, the class's
// actions in its menu, and a summary of the last action. It shows what the
// classroom logic reports; every report reaches it as a queued call.
#pragma once

#include "config/classroom/classroom.h"

#include <QMainWindow>

#include <filesystem>
#include <map>
#include <memory>

class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QTimer;

namespace crvl {

class TrainerTile;

class ClassWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ClassWindow(ClassroomConfig config, QWidget* parent = nullptr);
    ~ClassWindow() override;

    Classroom& Room() { return *room_; }
    // The tile of a station; null while it has none.
    TrainerTile* Tile(std::size_t station) const;

    void UploadToAll();
    // Opens the parameter controls on one trainer's record; what the user
    // changes goes to the chosen trainers, the rest keeps their own values.
    void ParametersToAll();
    void MonitorAll();
    void StopAll();
    // The runs of one period side by side, from the sessions folder.
    void ClassDebrief();

private:
    void StationChanged(std::size_t station);
    void Rename(std::size_t station);
    void OpenInConfig(std::size_t station);
    std::vector<std::size_t> Chosen() const;
    // The station whose record the parameter controls start from: the
    // first chosen one that is connected.
    std::optional<std::size_t> RecordSource(const std::vector<std::size_t>& chosen) const;
    void ShowSummary();

    std::filesystem::path sessionsFolder_;
    std::unique_ptr<Classroom> room_;
    QGridLayout* grid_ = nullptr;
    QLabel* empty_ = nullptr;
    QPlainTextEdit* summary_ = nullptr;
    QTimer* ecgTimer_ = nullptr;
    std::map<std::size_t, TrainerTile*> tiles_;
    std::optional<ActionKind> lastAction_;
};

} // namespace crvl
