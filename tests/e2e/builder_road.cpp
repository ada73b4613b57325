// The builder's part of the road: the real main window with the real save
// dialog, driven by presses on the palette, the canvas and the frames, and
// by the element dialogs' controls.
#include "builder_console.h"
#include "builder_services.h"
#include "element_dialogs.h"
#include "main_frame.h"
#include "road_steps.h"
#include "save_load_commands.h"
#include "save_load_dialog.h"
#include "scenario_editor_applet.h"
#include "scenario_element.h"
#include "scenario_frame.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace crvl::e2e {

void OnNextModal(const char* className, std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, className, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->inherits(className)) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start(10);
}

bool WaitFor(const std::function<bool()>& done, int waitMs) {
    for (int waited = 0; !done(); waited += 10) {
        if (waited >= waitMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

namespace {

QPoint center(const Rect& r) {
    return {r.x + r.width / 2, r.y + r.height / 2};
}

// The builder's window and what the test does with it.
class Builder {
public:
    Builder(const std::filesystem::path& base, BuilderRun& run) : run_(run) {
        previousSink_ =
            setConsoleSink([this](std::string_view line) { run_.console.emplace_back(line); });
        BuilderState::setDocumentBase(BuilderState::makeDocumentBase(base));
        window_ = std::make_unique<MainFrame>(new ScenarioEditorApplet,
                                              BuilderArguments(std::vector<std::string>{}),
                                              BuilderState::getBaseDirectory());
        installSaveLoadDialogs(*window_);
        window_->show();
    }
    ~Builder() {
        window_.reset();
        setConsoleSink(previousSink_);
    }

    ScenarioEditorApplet& editor() { return window_->editor(); }
    ScenarioFrame* frame(const std::string& title) {
        return editor().core().stringToFrameIconComponent(title);
    }
    QWidget* widget(const std::string& title) { return editor().widgetOf(*frame(title)); }

    void press(PaletteTool tool) {
        QTest::mouseClick(editor().paletteButton(tool), Qt::LeftButton);
    }
    void createFrame(QPoint at) {
        press(PaletteTool::createFramesTool);
        QTest::mouseClick(editor().bigPanel(), Qt::LeftButton, {}, at);
    }

    // Presses an element tool, then the frame's part; dialog fills the
    // element dialog, and OK confirms it.
    void addElement(PaletteTool tool, const std::string& title, QPoint partPoint,
                    std::function<void(ElementDialog&)> fill) {
        press(tool);
        bool shown = false;
        OnNextModal("crvl::ElementDialog", [&](QWidget* modal) {
            auto* dialog = qobject_cast<ElementDialog*>(modal);
            ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
            shown = true;
            run_.dialogs.push_back(dialog->windowTitle().toStdString());
            fill(*dialog);
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        });
        QTest::mouseClick(widget(title), Qt::LeftButton, {}, partPoint);
        EXPECT_TRUE(WaitFor([&] { return shown; }));
    }
    void addEcg(const std::string& title, const std::string& rhythm, bool pulse) {
        const Rect list = frame(title)->listBounds();
        addElement(PaletteTool::ecgActionTool, title, {list.x + 10, list.y + 3},
                   [&](ElementDialog& dialog) {
                       auto* combo = dialog.findChild<QComboBox*>("RhythmChoice");
                       ASSERT_NE(combo, nullptr);
                       const int wanted =
                           combo->findText(QString::fromStdString(getTranslatedName(rhythm)));
                       ASSERT_GE(wanted, 0) << rhythm;
                       combo->setFocus();
                       while (combo->currentIndex() < wanted)
                           QTest::keyClick(combo, Qt::Key_Down);
                       while (combo->currentIndex() > wanted)
                           QTest::keyClick(combo, Qt::Key_Up);
                       auto* pulseBox = dialog.findChild<QCheckBox*>("checkboxPulse");
                       ASSERT_NE(pulseBox, nullptr);
                       if (pulseBox->isEnabled() && pulseBox->isChecked() != pulse)
                           QTest::mouseClick(pulseBox, Qt::LeftButton);
                   });
    }
    // Drags from an output box of one frame onto another frame.
    void connect(const std::string& from, int output, const std::string& to) {
        press(PaletteTool::linkFramesTool);
        QWidget* source = widget(from);
        const QPoint start = center(frame(from)->outputBounds(output));
        const QPoint end = widget(to)->geometry().center() - source->pos();
        QTest::mousePress(source, Qt::LeftButton, {}, start);
        for (int step = 1; step <= 4; ++step) {
            const QPoint at = start + (end - start) * step / 4;
            QMouseEvent move(QEvent::MouseMove, QPointF(at), source->mapToGlobal(QPointF(at)),
                             Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(source, &move);
        }
        QTest::mouseRelease(source, Qt::LeftButton, {}, end);
    }

    // Save on the palette, the name typed into the save dialog, OK; true
    // once the dialog's worker has written the file and ended.
    bool save(const std::string& name, const std::filesystem::path& file) {
        bool typed = false;
        OnNextModal("crvl::SaveLoadDialog", [&](QWidget* modal) {
            auto* dialog = qobject_cast<SaveLoadDialog*>(modal);
            ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
            auto* nameField = dialog->findChild<QLineEdit*>("textField1");
            auto* ok = dialog->findChild<QPushButton*>("okButton");
            ASSERT_TRUE(nameField != nullptr && ok != nullptr);
            nameField->setFocus();
            nameField->selectAll();
            QTest::keyClicks(nameField, QString::fromStdString(name));
            typed = true;
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        press(PaletteTool::saveTool);
        return typed && WaitFor([&] {
                   return std::filesystem::exists(file) && SaveLoadDialog::getInstanceCount() == 0;
               });
    }

    QImage picture() { return window_->grab().toImage(); }

private:
    BuilderRun& run_;
    ConsoleSink previousSink_;
    std::unique_ptr<MainFrame> window_;
};

} // namespace

BuilderRun DrawAndSaveScenario(const std::filesystem::path& base, const std::string& name) {
    BuilderRun run;
    Builder builder(base, run);
    // The window's loop starts the editor, which loads the start frame.
    if (!WaitFor([&] { return builder.frame("Frame0") != nullptr; })) {
        ADD_FAILURE() << "the builder did not start";
        return run;
    }
    builder.createFrame({400, 40});
    builder.createFrame({400, 300});
    if (builder.frame("Frame1") == nullptr || builder.frame("Frame2") == nullptr) {
        ADD_FAILURE() << "frames were not created";
        return run;
    }

    builder.addEcg("Frame0", "VF", false);
    builder.addEcg("Frame1", "Sinus", true);
    builder.addEcg("Frame2", "Asystole", false);
    builder.addElement(PaletteTool::defibEventTool, "Frame0",
                       center(builder.frame("Frame0")->outputBounds(1)), [](ElementDialog& d) {
                           auto* field = d.findChild<QAbstractSpinBox*>("numericSpinner1");
                           ASSERT_NE(field, nullptr);
                           field->selectAll();
                           QTest::keyClicks(field, "1");
                       });
    builder.addElement(PaletteTool::cprEventTool, "Frame1",
                       center(builder.frame("Frame1")->outputBounds(1)), [](ElementDialog& d) {
                           auto* started = d.findChild<QRadioButton*>("radioCPRstarted");
                           ASSERT_NE(started, nullptr);
                           QTest::mouseClick(started, Qt::LeftButton);
                       });
    builder.connect("Frame0", 1, "Frame1");
    builder.connect("Frame1", 1, "Frame2");
    EXPECT_EQ(builder.editor().core().connections().size(), 2u);

    run.saved = base / "scenarios" / (name + ".scn");
    EXPECT_TRUE(builder.save(name, run.saved)) << "the save dialog did not write " << run.saved;
    run.shownName = builder.editor().scenarioName();
    run.picture = builder.picture();
    return run;
}

} // namespace crvl::e2e
