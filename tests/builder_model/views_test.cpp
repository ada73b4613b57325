// The element dialogs, the "Connect to frame" dialog and a connection drawn
// by dragging between two frame widgets, offscreen.

#include "builder/core/builder_services.h"
#include "builder/core/se_language.h"
#include "builder/views/element_dialogs.h"
#include "builder/views/state_transition.h"
#include "tests/builder_model/test_canvas.h"

#include <QAccessible>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "builder/widgets/spin_field.h"

#include <gtest/gtest.h>

namespace crvl {
namespace {

using test::TestCanvas;

class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        seLanguage::restoreDefaults();
        ElementDialog::setWarning([this](const std::string& title, const std::string& text) {
            warnings.push_back(title + ": " + text);
        });
    }
    void TearDown() override { seLanguage::restoreDefaults(); }

    std::unique_ptr<ElementDialog> open(std::string_view type, const std::string& attrs = "") {
        auto dialog = makeElementDialog(type, nullptr);
        dialog->init(attrs);
        dialog->setAttributes();
        spy = std::make_unique<QSignalSpy>(dialog.get(), &ElementDialog::reported);
        return dialog;
    }
    template <typename W> static W* child(QWidget* dialog, const char* name) {
        W* w = dialog->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString lastReport() const { return spy->isEmpty() ? QString() : spy->last().at(0).toString(); }

    std::vector<std::string> warnings;
    std::unique_ptr<QSignalSpy> spy;
};

TEST_F(ViewsTest, EcgDialogFollowsTheRhythmOptions) {
    auto dialog = open("SetECG");
    EXPECT_EQ(dialog->windowTitle(), "ECG");
    EXPECT_EQ(dialog->size(), QSize(399, 149));
    EXPECT_EQ(dialog->pos(), QPoint(100, 200));
    auto* rhythm = child<QComboBox>(dialog.get(), "RhythmChoice");
    auto* shockable = child<QRadioButton>(dialog.get(), "ShockableRadio");
    auto* nonShockable = child<QRadioButton>(dialog.get(), "NonShockableRadio");
    auto* pulse = child<QCheckBox>(dialog.get(), "checkboxPulse");
    EXPECT_EQ(rhythm->currentText(), "VF");
    EXPECT_TRUE(shockable->isChecked());
    EXPECT_FALSE(nonShockable->isEnabled());
    EXPECT_FALSE(pulse->isEnabled());

    emit rhythm->activated(rhythm->findText("VT"));
    EXPECT_TRUE(nonShockable->isEnabled());
    nonShockable->click();
    EXPECT_TRUE(pulse->isChecked());
    EXPECT_TRUE(pulse->isEnabled());
    shockable->click();
    EXPECT_FALSE(pulse->isChecked());

    emit rhythm->activated(rhythm->findText("Sinus"));
    EXPECT_FALSE(shockable->isEnabled());
    EXPECT_TRUE(nonShockable->isChecked());
    pulse->click();
    dialog->okButton()->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(lastReport(), "ReadOk");
    EXPECT_EQ(dialog->element().getAttributes(), "s;p;Sinus;");
    EXPECT_EQ(dialog->element().getIdentification(), "Non Shockable (Sinus), No Pulse");
    EXPECT_EQ(dialog->element().getAssociatedCode(), "ECG 00 00 00");
    EXPECT_EQ(dialog->exitCode(), 0);
}

TEST_F(ViewsTest, EcgDialogShowsTranslatedRhythmsAndCancelRestores) {
    seLanguage::VTText = "TV";
    seLanguage::AsystoleText = "Asystolie";
    auto dialog = open("SetECG", "S;p;VT;");
    auto* rhythm = child<QComboBox>(dialog.get(), "RhythmChoice");
    EXPECT_EQ(rhythm->currentText(), "TV");
    emit rhythm->activated(rhythm->findText("Asystolie"));
    EXPECT_EQ(dialog->element().getAssociatedCode(), "ECG 03 00 00");
    dialog->cancelButton()->click();
    EXPECT_EQ(lastReport(), "ReadCancel");
    EXPECT_EQ(dialog->element().getAttributes(), "S;p;VT;");
    EXPECT_EQ(rhythm->currentText(), "TV");
}

TEST_F(ViewsTest, ButtonsFollowThePlacementRuleAndControlsHaveNames) {
    auto dialog = open("CPREvent");
    const QSize button = dialog->okButton()->size();
    EXPECT_EQ(dialog->okButton()->x(), static_cast<int>(366 - 1.2 * button.width()));
    EXPECT_EQ(dialog->okButton()->y(), 159 / 2 - 3 * (button.height() / 2));
    EXPECT_EQ(dialog->cancelButton()->y(), 159 / 2);
    EXPECT_EQ(dialog->okButton()->text(), "OK");
    EXPECT_EQ(dialog->cancelButton()->text(), "CANCEL");
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (w->isVisibleTo(dialog.get()) && w->focusPolicy() != Qt::NoFocus &&
            qobject_cast<QLineEdit*>(w) == nullptr) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(a, nullptr);
            EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << w->metaObject()->className();
        }
    }
}

TEST_F(ViewsTest, RadioActionDialogs) {
    struct Case {
        const char* type;
        const char* radio;
        const char* code;
        const char* identification;
    };
    for (const Case& c :
         {Case{"MotionAction", "radioMotion", "MOT 01", "Motion"},
          Case{"ElectrodesAction", "radioElectrodesLoose", "ELE 01", "Electrodes Loose"},
          Case{"BatteryAction", "radioReplaceBattery", "BAT 00", "Replace battery now"},
          Case{"BatteryAction", "radioLowBattery", "BAT 01", "Low Battery"},
          Case{"FailureAction", "radioFailure", "FAI 01", "Failure"}}) {
        auto dialog = open(c.type);
        EXPECT_EQ(dialog->size(), QSize(359, 135));
        child<QRadioButton>(dialog.get(), c.radio)->click();
        dialog->okButton()->click();
        EXPECT_EQ(lastReport(), "ReadOk");
        EXPECT_EQ(dialog->element().getAssociatedCode(), c.code);
        EXPECT_EQ(dialog->element().getIdentification(), c.identification);
    }
}

TEST_F(ViewsTest, TimeDialogRefusesNumbersOutsideItsRange) {
    auto dialog = open("TimeEvent");
    EXPECT_EQ(dialog->size(), QSize(462, 110));
    auto* field = child<SpinField>(dialog.get(), "timeInState");
    EXPECT_EQ(field->text(), "0");
    field->stepBy(1);
    EXPECT_EQ(field->text(), "5");
    field->setText("300");
    dialog->okButton()->click();
    EXPECT_EQ(warnings,
              std::vector<std::string>{"Time: Please enter a whole number from 0 to 250."});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(spy->isEmpty());

    field->setText("x1");
    dialog->okButton()->click();
    EXPECT_EQ(warnings.back(), "Time: Please enter a whole number from 0 to 250.");
    EXPECT_TRUE(dialog->isVisible());

    field->setText("30");
    dialog->okButton()->click();
    EXPECT_EQ(lastReport(), "ReadOk");
    EXPECT_EQ(dialog->element().getIdentification(), "StateTime=30s");
    EXPECT_EQ(dialog->element().getAssociatedCode(), "TIM 1E");
}

TEST_F(ViewsTest, ShockDialogRefusesNumbersOutsideItsRange) {
    auto dialog = open("DefibEvent");
    auto* field = child<SpinField>(dialog.get(), "numericSpinner1");
    EXPECT_EQ(field->text(), "1");
    field->stepBy(20);
    EXPECT_EQ(field->text(), "9");
    field->setText("251");
    dialog->okButton()->click();
    EXPECT_EQ(warnings, std::vector<std::string>{
                            "Defibrillation performed: Please enter a whole number from 1 to 9."});
    field->setText("3");
    dialog->okButton()->click();
    EXPECT_EQ(dialog->element().getIdentification(), "3 shocks");
    EXPECT_EQ(dialog->element().getAssociatedCode(), "SHK 03");
}

TEST_F(ViewsTest, CprDialogEnablesTheFieldOnlyForAccumulated) {
    auto dialog = open("CPREvent");
    auto* field = child<SpinField>(dialog.get(), "numericCPRTime");
    EXPECT_TRUE(child<QRadioButton>(dialog.get(), "radioCPRstarted")->isChecked());
    EXPECT_FALSE(field->isEnabled());
    EXPECT_EQ(field->text(), "60");
    child<QRadioButton>(dialog.get(), "radioCPRaccumulated")->click();
    EXPECT_TRUE(field->isEnabled());
    field->stepBy(-1);
    EXPECT_EQ(field->text(), "55");
    dialog->okButton()->click();
    EXPECT_EQ(dialog->element().getAttributes(), "A55");
    EXPECT_EQ(dialog->element().getIdentification(), "CPR 55s");
    EXPECT_EQ(dialog->element().getAssociatedCode(), "CPR 37");

    auto stopped = open("CPREvent");
    child<QRadioButton>(stopped.get(), "radioCPRstopped")->click();
    stopped->close(); // closing the window is Cancel
    EXPECT_EQ(lastReport(), "ReadCancel");
    EXPECT_EQ(stopped->element().getAttributes(), "B");
}

// Assistive technology checks a radio by its toggle action, without a click:
// the element follows the checked radio all the same.
TEST_F(ViewsTest, RadiosToggledByAssistiveTechnologyDecideWhatIsWritten) {
    auto toggle = [](QWidget* radio) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(radio);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(a->actionInterface(), nullptr);
        a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    };
    auto cpr = open("CPREvent");
    auto* field = child<SpinField>(cpr.get(), "numericCPRTime");
    toggle(child<QRadioButton>(cpr.get(), "radioCPRaccumulated"));
    EXPECT_TRUE(child<QRadioButton>(cpr.get(), "radioCPRaccumulated")->isChecked());
    EXPECT_TRUE(field->isEnabled());
    cpr->okButton()->click();
    EXPECT_EQ(cpr->element().getAssociatedCode(), "CPR 3C");

    auto battery = open("BatteryAction");
    toggle(child<QRadioButton>(battery.get(), "radioReplaceBattery"));
    battery->okButton()->click();
    EXPECT_EQ(battery->element().getAttributes(), "-");

    auto ecg = open("SetECG", "s;p;VT;");
    toggle(child<QRadioButton>(ecg.get(), "ShockableRadio"));
    EXPECT_FALSE(child<QCheckBox>(ecg.get(), "checkboxPulse")->isEnabled());
    ecg->okButton()->click();
    EXPECT_EQ(ecg->element().getAttributes(), "S;p;VT;");
}

TEST_F(ViewsTest, EnterConfirmsAndEscapeCancels) {
    auto motion = open("MotionAction", "+");
    child<QRadioButton>(motion.get(), "radioNoMotion")->click();
    QTest::keyClick(motion.get(), Qt::Key_Escape);
    EXPECT_EQ(lastReport(), "ReadCancel");
    EXPECT_EQ(motion->element().getAttributes(), "+");

    auto battery = open("BatteryAction");
    child<QRadioButton>(battery.get(), "radioLowBattery")->click();
    QTest::keyClick(battery.get(), Qt::Key_Return);
    EXPECT_EQ(lastReport(), "ReadOk");
    EXPECT_EQ(battery->element().getAssociatedCode(), "BAT 01");
}

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { seLanguage::restoreDefaults(); }
    void TearDown() override { seLanguage::restoreDefaults(); }

    static void send(QWidget* w, QEvent::Type type, Point at, Qt::MouseButton button,
                     Qt::MouseButtons buttons) {
        const QPointF local(at.x, at.y);
        QMouseEvent event(type, local, w->mapToGlobal(local), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &event);
    }
};

TEST_F(CanvasTest, DraggingFromAnOutputToAFrameDrawsAnArrow) {
    TestCanvas canvas;
    FrameIconComponent& a = canvas.addFrameWidget("Frame0", {20, 20});
    FrameIconComponent& b = canvas.addFrameWidget("Frame1", {300, 250});
    canvas.canvasWidget.show();
    canvas.state = DrawState::CONNECTING;

    const Point boxPoint = a.frame().getPartPosition(output1Field) - Point{0, 5};
    const Point onB = b.frame().location() + Point{100, 20} - a.frame().location();
    send(&a, QEvent::MouseButtonPress, boxPoint, Qt::LeftButton, Qt::LeftButton);
    send(&a, QEvent::MouseMove, onB, Qt::NoButton, Qt::LeftButton);
    ASSERT_TRUE(a.frame().rubberBand().has_value());
    send(&a, QEvent::MouseButtonRelease, onB, Qt::LeftButton, Qt::NoButton);

    ASSERT_EQ(canvas.connectionList.size(), 1u);
    Connection& c = *canvas.connectionList[0];
    EXPECT_EQ(&c.getSource(), &a.frame());
    EXPECT_EQ(&c.getDest(), &b.frame());
    EXPECT_EQ(c.form(), ConnectionForm::Line);

    const QImage image = canvas.render();
    const Point s = c.startPoint();
    const Point e = c.endPoint();
    const Point mid{(s.x + e.x) / 2, (s.y + e.y) / 2};
    EXPECT_TRUE(c.inside(mid.x, mid.y));
    int darkest = 255;
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            darkest = std::min(darkest, qGray(image.pixel(mid.x + dx, mid.y + dy)));
        }
    }
    EXPECT_LT(darkest, 128) << "no line at the middle of the arrow";
    EXPECT_EQ(image.pixel(mid.x, mid.y - 40), QColor(Qt::white).rgb());

    // The target is reached now; the source's output holds a connection
    // without an event, so its box is pink.
    const Rect list = b.frame().listBounds();
    const Point inList =
        b.frame().location() + Point{list.x + list.width - 10, list.y + list.height - 4};
    EXPECT_EQ(QColor(image.pixel(inList.x, inList.y)), QColor(Qt::white));
    const Rect box = a.frame().outputBounds(1);
    const Point inBox = a.frame().location() + Point{box.x + box.width - 5, box.y + 5};
    EXPECT_EQ(QColor(image.pixel(inBox.x, inBox.y)), QColor(228, 148, 152));
}

TEST_F(CanvasTest, FramesShowSelectionAndUnreachedColours) {
    TestCanvas canvas;
    FrameIconComponent& start = canvas.addFrameWidget("Frame0", {20, 20});
    FrameIconComponent& lone = canvas.addFrameWidget("Frame1", {300, 20});
    canvas.canvasWidget.show();
    send(&lone, QEvent::MouseButtonPress, {2, 2}, Qt::LeftButton, Qt::LeftButton);
    send(&lone, QEvent::MouseButtonRelease, {2, 2}, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(lone.frame().isSelected());
    EXPECT_EQ(lone.accessibleName(), "Frame1");

    const QImage image = canvas.render();
    const Point border = lone.frame().location();
    EXPECT_EQ(QColor(image.pixel(border.x + 100, border.y)), QColor(0, 0, 255));
    const Point startBorder = start.frame().location();
    EXPECT_EQ(QColor(image.pixel(startBorder.x + 100, startBorder.y)), QColor(Qt::black));
    const Rect list = lone.frame().listBounds();
    const Point inLone = lone.frame().location() + Point{list.x + 200, list.y + list.height - 4};
    EXPECT_EQ(QColor(image.pixel(inLone.x, inLone.y)), QColor(228, 148, 152));
    const Point inStart = start.frame().location() + Point{list.x + 200, list.y + list.height - 4};
    EXPECT_EQ(QColor(image.pixel(inStart.x, inStart.y)), QColor(Qt::white));
}

TEST_F(CanvasTest, ConnectToFrameDialogMakesAJump) {
    seLanguage::frameName = "Bild";
    TestCanvas canvas;
    FrameIconComponent& a = canvas.addFrameWidget("Frame0", {20, 20});
    canvas.addFrameWidget("Frame1", {300, 250});
    canvas.state = DrawState::CONNECTING;
    a.frame().mousePressed(a.frame().getPartPosition(output2Field) - Point{0, 5}, MouseButton::Left,
                           false);

    StateTransition dialog(canvas, a.frame(), &canvas.canvasWidget);
    QSignalSpy reports(&dialog, &StateTransition::reported);
    EXPECT_EQ(dialog.windowTitle(), "Connect to frame");
    EXPECT_EQ(dialog.size(), QSize(299, 89));
    ASSERT_EQ(dialog.choice()->count(), 2);
    EXPECT_EQ(dialog.choice()->itemText(0), "Bild0");
    EXPECT_EQ(dialog.choice()->currentIndex(), 0);
    dialog.choice()->setCurrentIndex(1);
    dialog.showCentred();
    dialog.okButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0].at(0).toString(), "RefreshScreenAction");
    ASSERT_EQ(canvas.connectionList.size(), 1u);
    EXPECT_EQ(canvas.connectionList[0]->toString(), "#Frame0\tFrame1\t3\t1\tj\n");

    // The label shows the translated title under the output box.
    canvas.canvasWidget.show();
    canvas.render();
    Connection& jump = *canvas.connectionList[0];
    EXPECT_EQ(jump.labelText(), "Bild1");
    const Point s = jump.startPoint();
    EXPECT_TRUE(jump.inside(s.x, s.y + 5));
}

TEST_F(CanvasTest, LoopsShowTheirPictureAndCanBeHit) {
    BuilderState::setDocumentBase(BuilderState::makeDocumentBase(CRVL_SOURCE_DIR "/builder/data"));
    const QPixmap shipped = loadLoopPicture();
    ASSERT_FALSE(shipped.isNull());

    TestCanvas canvas;
    canvas.layer->setLoopPicture(shipped);
    FrameIconComponent& a = canvas.addFrameWidget("Frame1", {20, 20});
    canvas.addConnection(
        std::make_unique<Connection>(a.frame(), a.frame(), output2Field, inputField, true));
    canvas.canvasWidget.show();
    const QImage image = canvas.render();
    Connection& loop = *canvas.connectionList[0];
    EXPECT_EQ(loop.loopImageSize(), (Size{shipped.width(), shipped.height()}));
    const Point s = loop.startPoint();
    EXPECT_TRUE(loop.inside(s.x, s.y + shipped.height() / 2));
    EXPECT_EQ(QColor(image.pixel(s.x - shipped.width() / 2 + 1, s.y + 1)), QColor(Qt::black))
        << "no frame around the loop picture";

    // Without the file a drawn picture stands in.
    BuilderState::setDocumentBase(BuilderState::makeDocumentBase("/nonexistent"));
    EXPECT_FALSE(loadLoopPicture().isNull());
}

} // namespace
} // namespace crvl
