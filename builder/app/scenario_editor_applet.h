#pragma once

// The scenario editor's panel: the palette of image buttons, the "Action"
// and "Event" groups, the scenario name, the scroll view with the canvas
// (bigPanel) on which the frames and connections lie, the banner and the
// tooltip's place. The editing logic is ScenarioEditorCore's; this class
// shows it and turns mouse presses and keys into its operations.

#include "builder/app/image_button.h"
#include "builder/editor/palette.h"
#include "builder/editor/scenario_editor_core.h"

#include <QHash>
#include <QPixmap>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

class QLabel;
class QScrollArea;

namespace crvl {

class ConnectionLayer;
class FrameIconComponent;

// The canvas: white, absolute layout; its children are the frames' widgets
// and the connection layer above them.
class EditorCanvas : public QWidget {
    Q_OBJECT
public:
    explicit EditorCanvas(QWidget* parent);

signals:
    // A press on the canvas itself, not on a frame.
    void pressed(QPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void keyPressed(QKeyEvent* event);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class ScenarioEditorApplet : public QWidget, private EditorView {
    Q_OBJECT
public:
    static constexpr QSize EDITOR_SIZE{794, 578};
    static constexpr QRgb BACKGROUND = 0xFFC1C7DB; // RGB 193, 199, 219
    static constexpr QRect LABEL_GEOMETRY{235, 12, 330, 21};
    static constexpr QRect SCROLL_GEOMETRY{96, 45, 690, 500};
    static constexpr QRect BANNER_GEOMETRY{2, 523, 106, 33};
    static constexpr QRect TOOLTIP_GEOMETRY{732, 552, 50, 20};
    // What layoutApplet leaves around the scroll view and under the banner.
    static constexpr int VIEW_MARGIN_X = 114;
    static constexpr int VIEW_MARGIN_Y = 59;
    static constexpr int BANNER_FROM_BOTTOM = 33;
    static constexpr int CAPTION_HEIGHT = 16;
    // Room kept beside the right-most tool and under the lowest caption.
    static constexpr int PALETTE_MARGIN = 7;
    // Room shown around a frame the view scrolls to.
    static constexpr int FRAME_IN_VIEW_MARGIN = 20;

    explicit ScenarioEditorApplet(QWidget* parent = nullptr);
    ~ScenarioEditorApplet() override;

    // Records the main window as host and owner of the element dialogs.
    void setFrame(QWidget* window);
    bool isApplication() const { return isApplication_; }

    // Start-up: pictures, language table and the start frame from the base
    // directory (ending with "/").
    void init(const std::string& baseDirectory);

    // Lays out the scroll view and banner for the editor's current size.
    void layoutApplet();

    ScenarioEditorCore& core() { return core_; }
    const ScenarioEditorCore& core() const { return core_; }
    // What the palette, menus and exit-save question run.
    EditorCommands& commands() { return core_.commands(); }
    void newTool_mouseClicked(UnsavedChanges changes = UnsavedChanges::Ask) {
        core_.newTool_mouseClicked(changes);
    }
    void loadTool_mouseClicked(UnsavedChanges changes = UnsavedChanges::Ask) {
        core_.loadTool_mouseClicked(changes);
    }
    void saveTool_mouseClicked() { core_.saveTool_mouseClicked(); }
    void selectTheObject(PaletteTool tool) { core_.selectTheObject(tool); }

    EditorCanvas* bigPanel() const { return bigPanel_; }
    QScrollArea* scrollView() const { return scroll_; }
    ImageButton* paletteButton(PaletteTool tool) const;
    QWidget* widgetOf(const ScenarioFrame& frame) const;
    QString scenarioName() const;

    // Connections drawn on the canvas now (the timers and the printer ask).
    void drawAllConnections() { core_.drawAllConnections(); }

signals:
    // A status text for the main window.
    void statusChanged(const QString& text);
    // What undo and redo would do changed.
    void editHistoryChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The smallest size that shows every palette and tool button.
    void keepPaletteReachable();

    // ---- EditorView
    void beep() override;
    void messageBox(const std::string& title, const std::string& text, MessageKind kind) override;
    void showMessageLater(const std::string& title, const std::string& text,
                          MessageKind kind) override;
    void paletteChanged() override;
    void frameAdded(ScenarioFrame& frame) override;
    void frameRemoved(std::unique_ptr<ScenarioFrame> frame) override;
    void repaintFrames() override;
    void repaintCanvas(Rect canvasRegion) override;
    void canvasResized(Size size) override;
    void showFrame(const ScenarioFrame& frame) override;
    void scenarioNameChanged(const std::string& name) override;
    void historyChanged() override { emit editHistoryChanged(); }
    void showStatus(const std::string& text) override;
    int frameLineHeight() const override;
    void runElementDialog(std::string_view type) override;
    void runStateTransition(ScenarioFrame& source) override;

    void buildPalette();
    void setTexts();
    const QPixmap& picture(std::string_view name);
    void onCanvasPress(QPoint point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void onCanvasKey(QKeyEvent* event);
    void disposeRemovedFrames();

    ScenarioEditorCore core_{*this};
    QWidget* mainFrame_ = nullptr;
    bool isApplication_ = false;
    std::string baseDirectory_;

    std::map<PaletteTool, ImageButton*> buttons_;
    std::map<PaletteGroup, QWidget*> groups_;
    std::map<PaletteGroup, QLabel*> groupCaptions_;
    QLabel* labelScenarioName_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    EditorCanvas* bigPanel_ = nullptr;
    ConnectionLayer* connectionLayer_ = nullptr;
    QLabel* banner_ = nullptr;
    QLabel* toolTip_ = nullptr;
    QHash<QString, QPixmap> pictures_;

    std::map<const ScenarioFrame*, FrameIconComponent*> frameWidgets_;
    // Frames taken off the canvas, with their widgets, until the event that
    // removed them is over.
    std::vector<std::pair<std::unique_ptr<ScenarioFrame>, FrameIconComponent*>> removed_;
    bool disposalPending_ = false;
};

} // namespace crvl
