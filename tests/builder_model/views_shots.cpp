// Draws a small scenario and the ECG dialog and saves them as pictures for
// the documentation: views_shots <directory> writes frame.png and
// ecg-dialog.png there. Run it under a display (for example xvfb-run).

#include "builder/core/builder_services.h"
#include "builder/model/scenario_element.h"
#include "builder/views/element_dialogs.h"
#include "tests/builder_model/test_canvas.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

using namespace crvl;

namespace {

void fill(ScenarioFrame& frame, int part, std::string_view type, const std::string& attrs) {
    frame.onRequestFinished(getScenarioElement(type, attrs).value().get(), part);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: views_shots <directory>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    BuilderState::setDocumentBase(BuilderState::makeDocumentBase(CRVL_SOURCE_DIR "/builder/data"));

    test::TestCanvas canvas;
    canvas.canvasWidget.resize(560, 420);
    canvas.canvas = {560, 420};
    ScenarioFrame& start = canvas.addFrameWidget("Frame0", {20, 20}).frame();
    ScenarioFrame& next = canvas.addFrameWidget("Frame1", {300, 200}).frame();
    ScenarioFrame& lone = canvas.addFrameWidget("Frame2", {20, 280}).frame();
    fill(start, inputField, "SetECG", "S;p;VF;");
    fill(start, inputField, "ElectrodesAction", "+");
    fill(start, inputField, "MotionAction", "-");
    fill(start, output1Field, "DefibEvent", "2");
    fill(start, output2Field, "TimeEvent", "T30");
    fill(next, inputField, "SetECG", "s;P;Sinus;");
    fill(next, inputField, "BatteryAction", "b");
    fill(next, output1Field, "CPREvent", "A60");
    fill(next, output2Field, "TimeEvent", "T120");
    fill(lone, inputField, "FailureAction", "+");
    fill(lone, output1Field, "CPREvent", "S");
    canvas.addConnection(
        std::make_unique<Connection>(start, next, output1Field, inputField, false));
    canvas.addConnection(
        std::make_unique<Connection>(start, start, output2Field, inputField, false));
    canvas.addConnection(std::make_unique<Connection>(next, start, output1Field, inputField, true));
    canvas.unselectFrameIcons();
    next.select();
    canvas.canvasWidget.show();
    canvas.repaintAll();
    app.processEvents();
    canvas.render(); // the first drawing measures the labels and pictures
    const bool frameSaved = canvas.render().save(out.filePath("frame.png"));

    auto ecg = makeElementDialog("SetECG", nullptr);
    ecg->init("S;p;VT;");
    ecg->setAttributes();
    app.processEvents();
    const bool ecgSaved = ecg->grab().save(out.filePath("ecg-dialog.png"));
    return frameSaved && ecgSaved ? 0 : 1;
}
