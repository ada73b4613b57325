// Element attributes, identification and codes, both ways, and the dialog
// rules that need no window.

#include "builder/core/se_language.h"
#include "builder/model/scenario_element.h"

#include <gtest/gtest.h>

namespace crvl {
namespace {

class ElementTest : public ::testing::Test {
protected:
    void SetUp() override { seLanguage::restoreDefaults(); }
    void TearDown() override { seLanguage::restoreDefaults(); }

    struct Views {
        std::string identification, code, attributes;
    };
    static Views views(std::string_view type, const std::string& attributes) {
        auto element = getScenarioElement(type, attributes).value();
        EXPECT_NE(element, nullptr) << type;
        if (!element) {
            return {};
        }
        return {element->getIdentification(), element->getAssociatedCode(),
                element->getAttributes()};
    }
};

TEST_F(ElementTest, EcgAttributesGiveIdentificationAndCode) {
    Views v = views("SetECG", "s;P;Sinus;");
    EXPECT_EQ(v.identification, "Non Shockable (Sinus), Pulse");
    EXPECT_EQ(v.code, "ECG 00 00 01");
    EXPECT_EQ(v.attributes, "s;P;Sinus;");

    v = views("SetECG", "S;p;VT;");
    EXPECT_EQ(v.identification, "Shockable (VT), No Pulse");
    EXPECT_EQ(v.code, "ECG 01 01 00");

    v = views("SetECG", "S;p;VF;");
    EXPECT_EQ(v.identification, "Shockable (VF), No Pulse");
    EXPECT_EQ(v.code, "ECG 02 01 00");

    v = views("com.example.SetECG", "s;p;Asystole;");
    EXPECT_EQ(v.code, "ECG 03 00 00");
}

TEST_F(ElementTest, TranslatedRhythmNamesKeepSystemNamesInCodeAndAttributes) {
    seLanguage::VTText = "TV";
    seLanguage::SinusText = "Sinusal";
    seLanguage::radioShockableText = "Choquable";
    EXPECT_EQ(getTranslatedName("VT"), "TV");
    EXPECT_EQ(getSystemName("TV"), "VT");
    EXPECT_EQ(getSystemName("unknown"), "unknown");

    Views v = views("SetECG", "S;p;VT;");
    EXPECT_EQ(v.identification, "Choquable (TV), No Pulse");
    EXPECT_EQ(v.code, "ECG 01 01 00");
    EXPECT_EQ(v.attributes, "S;p;VT;");

    SetECG ecg;
    EXPECT_TRUE(ecg.init("s;P;Sinus;").ok());
    ecg.setRhythm(getSystemName("Sinusal"));
    EXPECT_EQ(ecg.getAssociatedCode(), "ECG 00 00 01");
}

TEST_F(ElementTest, EcgRhythmOptionsAndVtRadioRule) {
    SetECG ecg;
    EXPECT_TRUE(ecg.init("").ok());
    ecg.setRhythm("Sinus");
    EXPECT_FALSE(ecg.shockableEnabled());
    EXPECT_TRUE(ecg.nonShockableEnabled());
    EXPECT_FALSE(ecg.shockable());
    EXPECT_TRUE(ecg.pulseEnabled());
    EXPECT_TRUE(ecg.pulse());

    ecg.setRhythm("VF");
    EXPECT_TRUE(ecg.shockableEnabled());
    EXPECT_FALSE(ecg.nonShockableEnabled());
    EXPECT_TRUE(ecg.shockable());
    EXPECT_FALSE(ecg.pulseEnabled());
    EXPECT_FALSE(ecg.pulse());

    ecg.setRhythm("Asystole");
    EXPECT_FALSE(ecg.shockableEnabled());
    EXPECT_FALSE(ecg.shockable());
    EXPECT_FALSE(ecg.pulseEnabled());

    ecg.setRhythm("VT");
    EXPECT_TRUE(ecg.shockableEnabled() && ecg.nonShockableEnabled());
    EXPECT_TRUE(ecg.shockable());
    ecg.chooseShockable(false);
    EXPECT_TRUE(ecg.pulseEnabled());
    EXPECT_TRUE(ecg.pulse());
    ecg.chooseShockable(true);
    EXPECT_FALSE(ecg.pulseEnabled());
    EXPECT_FALSE(ecg.pulse());

    // Other rhythms leave the pulse box alone when a radio is chosen.
    ecg.setRhythm("Sinus");
    ecg.chooseShockable(true);
    EXPECT_TRUE(ecg.pulse());
    EXPECT_TRUE(ecg.pulseEnabled());
}

TEST_F(ElementTest, FirstEcgDialogStartsAtVfThenFollowsLastAttributes) {
    SetECG first;
    EXPECT_TRUE(first.init("").ok());
    EXPECT_EQ(first.rhythm(), "VF");
    EXPECT_TRUE(first.shockable());
    EXPECT_FALSE(first.pulse());
    EXPECT_EQ(first.getAttributes(), "S;p;VF;");

    first.setRhythm("Asystole");
    seLanguage::lastECGAttributes = first.getAttributes();

    SetECG next;
    EXPECT_TRUE(next.init("").ok());
    EXPECT_EQ(next.rhythm(), "Asystole");
    EXPECT_EQ(next.getIdentification(), "Non Shockable (Asystole), No Pulse");
}

TEST_F(ElementTest, EcgWithTooFewTokensKeepsDefaults) {
    SetECG ecg;
    EXPECT_TRUE(ecg.init("S;;VF;").ok()); // empty pieces do not count
    EXPECT_EQ(ecg.rhythm(), "Sinus");
    EXPECT_FALSE(ecg.shockable());
}

TEST_F(ElementTest, CancelRestoresRememberedAttributes) {
    SetECG ecg;
    EXPECT_TRUE(ecg.init("S;p;VT;").ok());
    ecg.setAttributes();
    ecg.setRhythm("Sinus");
    ecg.onCancel();
    EXPECT_EQ(ecg.getAttributes(), "S;p;VT;");

    CPREvent cpr;
    EXPECT_TRUE(cpr.init("A30").ok());
    cpr.setAttributes();
    cpr.setMode(CPREvent::Mode::Stopped);
    cpr.onCancel();
    EXPECT_EQ(cpr.getAttributes(), "A30");
}

TEST_F(ElementTest, RadioActions) {
    EXPECT_EQ(views("MotionAction", "+").code, "MOT 01");
    EXPECT_EQ(views("MotionAction", "+").identification, "Motion");
    EXPECT_EQ(views("MotionAction", "").code, "MOT 00");
    EXPECT_EQ(views("MotionAction", "").attributes, "-");

    EXPECT_EQ(views("ElectrodesAction", "-").identification, "Electrodes Loose");
    EXPECT_EQ(views("ElectrodesAction", "-").code, "ELE 01");
    EXPECT_EQ(views("ElectrodesAction", "").code, "ELE 00");
    EXPECT_EQ(views("ElectrodesAction", "x").attributes, "+");

    Views battery = views("BatteryAction", "");
    EXPECT_EQ(battery.identification, "Battery OK");
    EXPECT_EQ(battery.code, "BAT 02");
    EXPECT_EQ(battery.attributes, "B");
    battery = views("BatteryAction", "b");
    EXPECT_EQ(battery.identification, "Low Battery");
    EXPECT_EQ(battery.code, "BAT 01");
    battery = views("BatteryAction", "-");
    EXPECT_EQ(battery.identification, "Replace battery now");
    EXPECT_EQ(battery.code, "BAT 00");

    EXPECT_EQ(views("FailureAction", "+").code, "FAI 01");
    EXPECT_EQ(views("FailureAction", "-").identification, "No Failure");
    EXPECT_EQ(views("FailureAction", "-").code, "FAI 00");
}

TEST_F(ElementTest, DefibEvent) {
    Views v = views("DefibEvent", "9");
    EXPECT_EQ(v.identification, "9 shocks");
    EXPECT_EQ(v.code, "SHK 09");
    EXPECT_EQ(v.attributes, "9");
    EXPECT_EQ(views("DefibEvent", "").code, "SHK 01");
    EXPECT_EQ(views("DefibEvent", "").attributes, "1");
}

TEST_F(ElementTest, CprEvent) {
    Views v = views("CPREvent", "A5");
    EXPECT_EQ(v.identification, "CPR 5s");
    EXPECT_EQ(v.code, "CPR 05");
    EXPECT_EQ(v.attributes, "A5");
    v = views("CPREvent", "S");
    EXPECT_EQ(v.identification, "CPR stopped");
    EXPECT_EQ(v.code, "CPR 02");
    v = views("CPREvent", "");
    EXPECT_EQ(v.identification, "CPR started");
    EXPECT_EQ(v.code, "CPR 01");
    EXPECT_EQ(v.attributes, "B");
    v = views("CPREvent", "A");
    EXPECT_EQ(v.identification, "CPR 60s");
    EXPECT_EQ(v.code, "CPR 3C");

    CPREvent cpr;
    EXPECT_TRUE(cpr.init("B").ok());
    EXPECT_FALSE(cpr.fieldEnabled());
    cpr.setMode(CPREvent::Mode::Accumulated);
    EXPECT_TRUE(cpr.fieldEnabled());
}

TEST_F(ElementTest, TimeEvent) {
    Views v = views("TimeEvent", "T0");
    EXPECT_EQ(v.identification, "StateTime=0s");
    EXPECT_EQ(v.code, "TIM 00");
    EXPECT_EQ(views("TimeEvent", "T250").code, "TIM FA");
    EXPECT_EQ(views("TimeEvent", "T30").attributes, "T30");
    EXPECT_EQ(views("TimeEvent", "").attributes, "T0");
}

TEST_F(ElementTest, UnknownTypesYieldNoElement) {
    EXPECT_EQ(getScenarioElement("title", "attr").value(), nullptr);
    EXPECT_EQ(getScenarioElement("TrendAction", "").value(), nullptr);
    EXPECT_EQ(getScenarioElement("", "").value(), nullptr);
    EXPECT_EQ(getScenarioElement("setecg", "S;p;VF;").value(), nullptr);
}

// A saved number the state table cannot hold as the element's value would
// give a wrong cell: unpacking refuses it as it refuses a non-number.
TEST_F(ElementTest, NumbersThatDoNotParseOrDoNotFitTheirCellFailUnpacking) {
    for (const auto& [type, attributes] : std::vector<std::pair<const char*, const char*>>{
             {"DefibEvent", "two"},
             {"DefibEvent", "99999999999"},
             {"DefibEvent", "0"},
             {"DefibEvent", "251"},
             {"TimeEvent", "T3x"},
             {"TimeEvent", "T"},
             {"TimeEvent", "T-5"},
             {"TimeEvent", "T300"},
             {"CPREvent", "A 5"},
             {"CPREvent", "A1"},
             {"CPREvent", "A2"},
             {"CPREvent", "A251"},
         }) {
        EXPECT_FALSE(getScenarioElement(type, attributes).ok()) << type << " " << attributes;
    }
    EXPECT_EQ(getScenarioElement("CPREvent", "A5").value()->getAssociatedCode(), "CPR 05");
    EXPECT_EQ(getScenarioElement("TimeEvent", "T250").value()->getAssociatedCode(), "TIM FA");
}

} // namespace
} // namespace crvl
