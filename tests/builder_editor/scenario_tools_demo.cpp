// Pictures of the Scenario menu's windows for the documentation (not a
// test): loads the demo scenario, adds a frame nothing leads to, and saves
// the builder with the Try Scenario window after a shock, and with the
// Scenario Check window.
//   scenario_tools_demo <data dir> <demo.scn dir> <try.png> <check.png>

#include "builder/app/main_frame.h"
#include "builder/app/scenario_editor_applet.h"
#include "builder/app/scenario_tools.h"
#include "builder/app/scenario_windows.h"
#include "builder/core/builder_services.h"
#include "builder/model/scenario_element.h"
#include "builder/model/scenario_frame.h"

#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QSpinBox>
#include <QTest>

#include <iostream>

namespace {

// The builder with the tool window beside it on one picture.
QImage sideBySide(QWidget& builder, QWidget& tool) {
    const QPixmap left = builder.grab();
    const QPixmap right = tool.grab();
    QImage out(left.width() + right.width() + 12, std::max(left.height(), right.height()),
               QImage::Format_RGB32);
    out.fill(QColor(90, 90, 100));
    QPainter painter(&out);
    painter.drawPixmap(0, 0, left);
    painter.drawPixmap(left.width() + 12, 0, right);
    return out;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 5) {
        std::cerr << "usage: scenario_tools_demo DATA_DIR SCENARIO_DIR TRY_PNG CHECK_PNG\n";
        return 2;
    }
    const std::string data = std::string(argv[1]) + "/";
    crvl::BuilderState::setDocumentBase(crvl::BuilderState::makeDocumentBase(data));
    crvl::MainFrame window(new crvl::ScenarioEditorApplet,
                           crvl::BuilderArguments(std::vector<std::string>{}), data);
    crvl::ScenarioTools& tools = crvl::installScenarioTools(window);
    window.show();
    window.startUp();
    auto& core = window.editor().core();
    crvl::SaveLoadResult demo;
    demo.filename = "demo.scn";
    demo.path = std::string(argv[2]) + "/";
    demo.fileExists = true;
    core.onSaveLoadDialogExit(false, demo);
    QTest::qWait(300);

    tools.tryScenario();
    crvl::ScenarioTryWindow& trial = *tools.tryWindow();
    trial.move(window.width() + 20, 0);
    trial.seconds()->setValue(40);
    trial.wait();
    trial.shock();
    QTest::qWait(3 * crvl::DRAWING_POLL_MS);
    if (!sideBySide(window, trial).save(QString::fromLocal8Bit(argv[3])))
        return 1;
    trial.hide();

    // A frame with a time event that nothing leads to, and no way on.
    QTest::mouseClick(window.editor().paletteButton(crvl::PaletteTool::createFramesTool),
                      Qt::LeftButton);
    QTest::mouseClick(window.editor().bigPanel(), Qt::LeftButton, {}, QPoint(120, 330));
    crvl::ScenarioFrame& lonely = *core.frames().back();
    lonely.onRequestFinished(crvl::getScenarioElement("TimeEvent", "T30").value().get(),
                             crvl::output1Field);
    tools.checkScenario();
    crvl::ScenarioCheckWindow& check = *tools.checkWindow();
    check.list()->setCurrentRow(1);
    QTest::qWait(3 * crvl::DRAWING_POLL_MS);
    if (!sideBySide(window, check).save(QString::fromLocal8Bit(argv[4])))
        return 1;
    std::cout << "wrote " << argv[3] << " and " << argv[4] << std::endl;
    return 0;
}
