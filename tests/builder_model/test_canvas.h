#pragma once

// A small canvas with real frame widgets and the connection layer, standing
// in for the editor in the widget tests.

#include "builder/views/connection_layer.h"
#include "builder/views/frame_icon_component.h"
#include "tests/builder_model/fake_editor.h"

#include <QWidget>

#include <memory>
#include <vector>

namespace crvl::test {

class TestCanvas : public FakeEditor {
public:
    TestCanvas() {
        canvasWidget.resize(600, 500);
        canvasWidget.setAutoFillBackground(true);
        canvasWidget.setPalette(QPalette(Qt::white));
        layer = new ConnectionLayer(*this, &canvasWidget);
        canvas = {600, 500};
    }

    FrameIconComponent& addFrameWidget(const std::string& title, Point at) {
        ScenarioFrame& frame = addFrame(title, at);
        widgets.push_back(std::make_unique<FrameIconComponent>(frame, *this, &canvasWidget));
        widgets.back()->show();
        return *widgets.back();
    }

    void repaintCanvas(Rect r) override {
        FakeEditor::repaintCanvas(r);
        layer->update(r.x, r.y, r.width, r.height);
    }
    void repaintAll() override {
        FakeEditor::repaintAll();
        canvasWidget.update();
        for (auto& w : widgets) {
            w->update();
        }
        layer->update();
    }

    QImage render() {
        QImage image(canvasWidget.size(), QImage::Format_RGB32);
        canvasWidget.render(&image);
        return image;
    }

    QWidget canvasWidget;
    ConnectionLayer* layer;
    std::vector<std::unique_ptr<FrameIconComponent>> widgets;
};

} // namespace crvl::test
