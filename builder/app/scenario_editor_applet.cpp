#include "builder/app/scenario_editor_applet.h"

#include "builder/core/se_language.h"
#include "builder/views/connection_layer.h"
#include "builder/views/element_dialogs.h"
#include "builder/views/frame_icon_component.h"
#include "builder/views/state_transition.h"
#include "builder/views/view_style.h"
#include "builder/widgets/message_box.h"

#include <QApplication>
#include <QEventLoop>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace crvl {

namespace {

QString qstr(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Runs the event loop until the widget is hidden: the builder's element and
// "Connect to frame" dialogs hide themselves when they report.
void waitUntilHidden(QWidget& widget) {
    class HideWatcher : public QObject {
    public:
        explicit HideWatcher(QEventLoop& loop) : loop_(loop) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Hide) {
                loop_.quit();
            }
            return false;
        }

    private:
        QEventLoop& loop_;
    };
    QEventLoop loop;
    HideWatcher watcher(loop);
    widget.installEventFilter(&watcher);
    if (widget.isVisible()) {
        loop.exec();
    }
    widget.removeEventFilter(&watcher);
}

} // namespace

// ---- the canvas ---------------------------------------------------------------

EditorCanvas::EditorCanvas(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("bigPanel"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setFocusPolicy(Qt::ClickFocus);
}

void EditorCanvas::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    emit pressed(event->position().toPoint(), event->button(), event->modifiers());
}

void EditorCanvas::keyPressEvent(QKeyEvent* event) {
    emit keyPressed(event);
}

// ---- the editor ---------------------------------------------------------------------

ScenarioEditorApplet::ScenarioEditorApplet(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("scenarioEditorApplet"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor::fromRgb(BACKGROUND));
    setPalette(p);
    resize(EDITOR_SIZE);

    buildPalette();

    labelScenarioName_ = new QLabel(this);
    labelScenarioName_->setObjectName(QStringLiteral("labelScenarioName"));
    labelScenarioName_->setGeometry(LABEL_GEOMETRY);
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(16);
    labelScenarioName_->setFont(bold);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("scrollView"));
    scroll_->setGeometry(SCROLL_GEOMETRY);
    scroll_->setWidgetResizable(false);
    scroll_->horizontalScrollBar()->setSingleStep(ScenarioEditorCore::SCROLL_STEP);
    scroll_->verticalScrollBar()->setSingleStep(ScenarioEditorCore::SCROLL_STEP);
    bigPanel_ = new EditorCanvas(scroll_);
    const Size initial = ScenarioEditorCore::INITIAL_PANEL_SIZE;
    bigPanel_->resize(initial.width, initial.height);
    scroll_->setWidget(bigPanel_);
    connectionLayer_ = new ConnectionLayer(core_, bigPanel_);
    scroll_->viewport()->installEventFilter(this);
    connect(bigPanel_, &EditorCanvas::pressed, this, &ScenarioEditorApplet::onCanvasPress);
    connect(bigPanel_, &EditorCanvas::keyPressed, this, &ScenarioEditorApplet::onCanvasKey);

    banner_ = new QLabel(this);
    banner_->setObjectName(QStringLiteral("banner"));
    banner_->setAccessibleName(QStringLiteral("Corvel Scenario Builder"));
    banner_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    banner_->setGeometry(BANNER_GEOMETRY);
    // The banner's corner reaches under the scroll view: the scroll bar
    // stays on top and whole.
    banner_->stackUnder(scroll_);

    // The tooltip widget's place; the tooltip itself shows the palette texts
    // through each button's tooltip until it exists.
    toolTip_ = new QLabel(this);
    toolTip_->setObjectName(QStringLiteral("toolTip"));
    toolTip_->setGeometry(TOOLTIP_GEOMETRY);
    toolTip_->setAutoFillBackground(true);
    QPalette tp = toolTip_->palette();
    tp.setColor(QPalette::Window, QColor(255, 255, 225));
    toolTip_->setPalette(tp);
    toolTip_->stackUnder(scroll_);

    setTexts();
    keepPaletteReachable();
}

void ScenarioEditorApplet::keepPaletteReachable() {
    // The window may shrink only as far as every tool stays on screen: the
    // top row, the Action and Event groups with their captions, and the
    // banner below them.
    QRect reach;
    for (const auto& [tool, button] : buttons_) {
        reach |= QRect(button->mapTo(this, QPoint(0, 0)), button->size());
    }
    for (const auto& [group, caption] : groupCaptions_) {
        reach |= caption->geometry();
    }
    setMinimumSize(reach.right() + 1 + PALETTE_MARGIN,
                   reach.bottom() + 1 + PALETTE_MARGIN + BANNER_FROM_BOTTOM);
}

ScenarioEditorApplet::~ScenarioEditorApplet() {
    // The frames' widgets refer to the frames the core owns: they go first.
    for (auto& [frame, widget] : frameWidgets_) {
        delete widget;
    }
    frameWidgets_.clear();
    for (auto& [frame, widget] : removed_) {
        delete widget;
    }
    removed_.clear();
}

void ScenarioEditorApplet::buildPalette() {
    for (const PaletteGroupBox& box : paletteGroups()) {
        auto* group = new QFrame(this);
        group->setObjectName(qstr(box.name));
        group->setFrameStyle(QFrame::Panel | QFrame::Raised);
        group->setLineWidth(2);
        group->setGeometry(box.bounds.x, box.bounds.y, box.bounds.width, box.bounds.height);
        // The tools fill the event group: both captions stand under their group.
        auto* caption = new QLabel(this);
        caption->setObjectName(qstr(box.name) + QStringLiteral("Caption"));
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        caption->setGeometry(box.bounds.x, box.bounds.y + box.bounds.height + 1, box.bounds.width,
                             CAPTION_HEIGHT);
        groups_[box.group] = group;
        groupCaptions_[box.group] = caption;
    }
    for (const PaletteEntry& entry : paletteEntries()) {
        QWidget* parent = entry.group == PaletteGroup::Editor ? this : groups_.at(entry.group);
        auto* button = new ImageButton(parent, entry.tool == PaletteTool::deleteTool
                                                   ? ImageButton::Fill::Tiled
                                                   : ImageButton::Fill::Centred);
        button->setObjectName(qstr(entry.name));
        button->move(entry.position.x, entry.position.y);
        if (entry.group != PaletteGroup::Editor) {
            button->setAutoFillBackground(true);
            QPalette white = button->palette();
            white.setColor(QPalette::Window, Qt::white);
            button->setPalette(white);
        }
        // The tools that stay chosen until another is pressed.
        button->setCheckable(entry.kind == ToolKind::Mode || entry.kind == ToolKind::Element);
        const PaletteTool tool = entry.tool;
        connect(button, &ImageButton::pressed, this, [this, tool] { core_.selectTheObject(tool); });
        buttons_[entry.tool] = button;
    }
}

void ScenarioEditorApplet::setTexts() {
    for (const PaletteEntry& entry : paletteEntries()) {
        buttons_.at(entry.tool)->setToolText(QString::fromStdString(paletteTooltip(entry.tool)));
    }
    for (const PaletteGroupBox& box : paletteGroups()) {
        const std::string* caption = seLanguage::text(box.captionKey);
        const QString text = caption != nullptr ? QString::fromStdString(*caption) : QString();
        groupCaptions_.at(box.group)->setText(text);
        groups_.at(box.group)->setAccessibleName(text);
    }
    // The names a screen reader gives the editor's parts, in the language
    // of the table like everything else shown.
    auto text = [](const std::string& t) { return QString::fromStdString(t); };
    setAccessibleName(text(seLanguage::editorAccessibleText));
    bigPanel_->setAccessibleName(text(seLanguage::canvasAccessibleText));
    scroll_->setAccessibleName(text(seLanguage::canvasViewAccessibleText));
    toolTip_->setAccessibleName(text(seLanguage::tooltipAccessibleText));
    labelScenarioName_->setAccessibleName(text(seLanguage::scenarioNameAccessibleText));
}

void ScenarioEditorApplet::setFrame(QWidget* window) {
    mainFrame_ = window;
    isApplication_ = true;
}

void ScenarioEditorApplet::init(const std::string& baseDirectory) {
    baseDirectory_ = baseDirectory;
    pictures_.clear();
    core_.init(baseDirectory);
    setTexts();
    banner_->setPixmap(picture("picts/Banner.gif"));
    connectionLayer_->setLoopPicture(loadLoopPicture());
    paletteChanged();
    layoutApplet();
}

const QPixmap& ScenarioEditorApplet::picture(std::string_view name) {
    const QString key = qstr(name);
    auto it = pictures_.find(key);
    if (it == pictures_.end()) {
        it = pictures_.insert(key, QPixmap(QString::fromStdString(baseDirectory_) + key));
    }
    return *it;
}

ImageButton* ScenarioEditorApplet::paletteButton(PaletteTool tool) const {
    return buttons_.at(tool);
}

QWidget* ScenarioEditorApplet::widgetOf(const ScenarioFrame& frame) const {
    const auto it = frameWidgets_.find(&frame);
    return it == frameWidgets_.end() ? nullptr : it->second;
}

QString ScenarioEditorApplet::scenarioName() const {
    return labelScenarioName_->text();
}

// ---- layout ------------------------------------------------------------------------------

void ScenarioEditorApplet::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutApplet();
}

void ScenarioEditorApplet::layoutApplet() {
    scroll_->resize(std::max(0, width() - VIEW_MARGIN_X), std::max(0, height() - VIEW_MARGIN_Y));
    banner_->move(BANNER_GEOMETRY.x(), height() - BANNER_FROM_BOTTOM);
    const QSize view = scroll_->viewport()->size();
    core_.viewportResized({view.width(), view.height()});
}

// ---- input ----------------------------------------------------------------------------------

void ScenarioEditorApplet::onCanvasPress(QPoint point, Qt::MouseButton button,
                                         Qt::KeyboardModifiers modifiers) {
    const bool altOnly = button == Qt::LeftButton && modifiers == Qt::AltModifier;
    core_.bigPanel_MouseClick({point.x(), point.y()}, altOnly);
}

void ScenarioEditorApplet::onCanvasKey(QKeyEvent* event) {
    QScrollBar* vertical = scroll_->verticalScrollBar();
    QScrollBar* horizontal = scroll_->horizontalScrollBar();
    switch (event->key()) {
    case Qt::Key_Delete:
        core_.deleteTool_actionPerformed();
        break;
    case Qt::Key_PageDown:
        vertical->setValue(vertical->value() + vertical->pageStep());
        break;
    case Qt::Key_PageUp:
        vertical->setValue(vertical->value() - vertical->pageStep());
        break;
    case Qt::Key_Down:
        vertical->setValue(vertical->value() + ScenarioEditorCore::SCROLL_STEP);
        break;
    case Qt::Key_Up:
        vertical->setValue(vertical->value() - ScenarioEditorCore::SCROLL_STEP);
        break;
    case Qt::Key_Left:
        horizontal->setValue(horizontal->value() - ScenarioEditorCore::SCROLL_STEP);
        break;
    case Qt::Key_Right:
        horizontal->setValue(horizontal->value() + ScenarioEditorCore::SCROLL_STEP);
        break;
    default:
        break;
    }
}

bool ScenarioEditorApplet::eventFilter(QObject* watched, QEvent* event) {
    // A press on the scroll view outside the canvas: redraw shortly.
    if (watched == scroll_->viewport() && event->type() == QEvent::MouseButtonPress) {
        core_.startRefreshTimer();
    }
    return QWidget::eventFilter(watched, event);
}

// ---- EditorView -------------------------------------------------------------------------------

void ScenarioEditorApplet::beep() {
    QApplication::beep();
}

void ScenarioEditorApplet::messageBox(const std::string& title, const std::string& text,
                                      MessageKind kind) {
    const char* name = kind == MessageKind::Exclamation ? "Exclamation"
                       : kind == MessageKind::NoIcon    ? "NoIcon"
                                                        : "Warning";
    crvl::messageBox(title, text, name);
}

void ScenarioEditorApplet::showMessageLater(const std::string& title, const std::string& text,
                                            MessageKind kind) {
    QMetaObject::invokeMethod(
        this, [this, title, text, kind] { messageBox(title, text, kind); }, Qt::QueuedConnection);
}

void ScenarioEditorApplet::paletteChanged() {
    for (const auto& [tool, button] : buttons_) {
        button->setPicture(picture(core_.toolImage(tool)));
        if (button->isCheckable()) {
            button->setChecked(core_.selectedTool() == tool);
        }
    }
}

void ScenarioEditorApplet::frameAdded(ScenarioFrame& frame) {
    auto* widget = new FrameIconComponent(frame, core_, bigPanel_);
    widget->show();
    frameWidgets_[&frame] = widget;
}

void ScenarioEditorApplet::frameRemoved(std::unique_ptr<ScenarioFrame> frame) {
    FrameIconComponent* widget = nullptr;
    if (const auto it = frameWidgets_.find(frame.get()); it != frameWidgets_.end()) {
        widget = it->second;
        widget->hide();
        frameWidgets_.erase(it);
    }
    removed_.emplace_back(std::move(frame), widget);
    if (!disposalPending_) {
        disposalPending_ = true;
        QTimer::singleShot(0, this, &ScenarioEditorApplet::disposeRemovedFrames);
    }
}

void ScenarioEditorApplet::disposeRemovedFrames() {
    disposalPending_ = false;
    auto removed = std::move(removed_);
    removed_.clear();
    for (auto& [frame, widget] : removed) {
        delete widget; // before its frame
    }
}

void ScenarioEditorApplet::repaintFrames() {
    for (const auto& [frame, widget] : frameWidgets_) {
        widget->update();
    }
    connectionLayer_->update();
}

void ScenarioEditorApplet::repaintCanvas(Rect r) {
    connectionLayer_->update(r.x, r.y, r.width, r.height);
}

void ScenarioEditorApplet::showFrame(const ScenarioFrame& frame) {
    if (QWidget* widget = widgetOf(frame)) {
        scroll_->ensureWidgetVisible(widget, FRAME_IN_VIEW_MARGIN, FRAME_IN_VIEW_MARGIN);
    }
}

void ScenarioEditorApplet::canvasResized(Size size) {
    bigPanel_->resize(size.width, size.height);
}

void ScenarioEditorApplet::scenarioNameChanged(const std::string& name) {
    labelScenarioName_->setText(QString::fromStdString(name));
}

void ScenarioEditorApplet::showStatus(const std::string& text) {
    emit statusChanged(QString::fromStdString(text));
}

int ScenarioEditorApplet::frameLineHeight() const {
    return QFontMetrics(fontFor(core_.getPrintingFont())).height();
}

void ScenarioEditorApplet::runElementDialog(std::string_view type) {
    QWidget* owner = mainFrame_ != nullptr ? mainFrame_ : window();
    std::unique_ptr<ElementDialog> dialog = makeElementDialog(type, owner);
    if (!dialog) {
        beep();
        return;
    }
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->init("");
    ElementDialog* shown = dialog.get();
    connect(shown, &ElementDialog::reported, this, [this, shown](const QString& command) {
        core_.onElementDialogReport(command.toStdString(), shown->element());
    });
    shown->setAttributes();
    waitUntilHidden(*shown);
}

void ScenarioEditorApplet::runStateTransition(ScenarioFrame& source) {
    QWidget* owner = mainFrame_ != nullptr ? mainFrame_ : window();
    StateTransition dialog(core_, source, owner);
    connect(&dialog, &StateTransition::reported, this, [this](const QString& command) {
        if (command.toStdString() == seLanguage::REFRESHSCREEN_ACTION) {
            core_.startRefreshTimer();
        }
    });
    dialog.showCentred();
    waitUntilHidden(dialog);
}

} // namespace crvl
