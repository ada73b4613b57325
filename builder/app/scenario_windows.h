#pragma once

// The Scenario menu's two windows, both non-modal: "Scenario Check" lists
// the checks' findings for the open drawing (choosing a line selects and
// shows its frame); "Try Scenario" plays the drawing's state table with the
// trainer's playing rules and highlights the current frame on the canvas.
// Both follow the drawing: an edit re-checks, or restarts the trial.

#include "builder/editor/drawing_table.h"
#include "scenario/scenario_player.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <chrono>
#include <vector>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace crvl {

class ScenarioEditorApplet;

// Both windows look at the drawing this often for changes.
inline constexpr int DRAWING_POLL_MS = 300;

class ScenarioCheckWindow : public QWidget {
    Q_OBJECT
public:
    ScenarioCheckWindow(ScenarioEditorApplet& editor, QWidget* owner);

    // Checks the drawing again and lists the findings.
    void recheck();
    QListWidget* list() const { return list_; }
    const std::vector<scenario::Finding>& findings() const { return findings_; }
    // Selects the frame of list row and scrolls the canvas to it.
    void showFinding(int row);
    void retranslate();

private:
    void poll();

    ScenarioEditorApplet& editor_;
    QListWidget* list_ = nullptr;
    QTimer poll_;
    DrawingTable checked_;
    std::vector<scenario::Finding> findings_;
    // List row -> index into findings_ (-1 for the "No problems" line).
    std::vector<int> rowFinding_;
};

class ScenarioTryWindow : public QWidget {
    Q_OBJECT
public:
    enum class Condition { Frame, Rhythm, Pads, Motion, Shockable, Pulse, Battery, Failure };
    static constexpr int CONDITIONS = 8;
    static constexpr int DEFAULT_WAIT_SECONDS = 10;

    ScenarioTryWindow(ScenarioEditorApplet& editor, QWidget* owner);
    ~ScenarioTryWindow() override;

    // Takes the drawing as it is now and starts it at Frame0.
    void restart();
    void shock();
    void cprStart();
    void cprStop();
    void wait();

    // The shown value of a condition ("Frame2", "VF", "yes", ...).
    QString value(Condition condition) const;
    QListWidget* log() const { return log_; }
    QSpinBox* seconds() const { return seconds_; }
    QPushButton* button(const char* objectName) const;
    const scenario::ScenarioPlayer& player() const { return player_; }
    // The frame the highlight surrounds; none before a start.
    ScenarioFrame* currentFrame() const;
    void retranslate();

protected:
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void poll();
    void step(const QString& what);
    void showState();
    void placeHighlight();

    ScenarioEditorApplet& editor_;
    scenario::ScenarioPlayer player_;
    DrawingTable playing_;
    std::array<QLabel*, CONDITIONS> names_{};
    std::array<QLabel*, CONDITIONS> values_{};
    std::vector<QPushButton*> buttons_;
    QLabel* secondsLabel_ = nullptr;
    QSpinBox* seconds_ = nullptr;
    QListWidget* log_ = nullptr;
    // On the canvas, which may go first when the program ends.
    QPointer<QFrame> highlight_;
    QTimer poll_;
};

} // namespace crvl
