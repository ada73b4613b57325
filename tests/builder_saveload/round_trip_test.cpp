// Every value the element dialogs accept, confirmed with OK in the dialog,
// saved, loaded and saved again: the second file is the first byte for
// byte, and every code holds the value in its two hexadecimal digits.

#include "builder/core/se_language.h"
#include "builder/core/tcl_control.h"
#include "builder/io/scenario_saving.h"
#include "builder/io/tcl_code_loader.h"
#include "builder/views/element_dialogs.h"
#include "builder/widgets/spin_field.h"
#include "tests/builder_saveload/saveload_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace crvl::test {
namespace {

// One confirmed dialog: its type, what the user does in it, and the code
// the element must have afterwards.
struct Edit {
    std::string type;
    std::function<void(ElementDialog&)> use;
    std::string code;
};

template <typename W> W* child(ElementDialog& dialog, const char* name) {
    W* widget = dialog.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

std::string hex(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

Edit typed(const std::string& type, const char* field, int value, const std::string& letters,
           const char* radio = nullptr) {
    return {type,
            [=](ElementDialog& d) {
                if (radio != nullptr) {
                    child<QRadioButton>(d, radio)->click();
                }
                child<SpinField>(d, field)->setText(QString::number(value));
            },
            letters + " " + hex(value)};
}

Edit chosen(const std::string& type, std::vector<const char*> radios, const std::string& code) {
    return {type,
            [=](ElementDialog& d) {
                for (const char* radio : radios) {
                    child<QRadioButton>(d, radio)->click();
                }
            },
            code};
}

Edit ecg(const char* rhythm, const char* radio, bool pulseClick, const std::string& code) {
    return {"SetECG",
            [=](ElementDialog& d) {
                auto* box = child<QComboBox>(d, "RhythmChoice");
                emit box->activated(box->findText(QString::fromLatin1(rhythm)));
                if (radio != nullptr) {
                    child<QRadioButton>(d, radio)->click();
                }
                if (pulseClick) {
                    child<QCheckBox>(d, "checkboxPulse")->click();
                }
            },
            code};
}

// The edits of one kind, over its dialog's whole range.
std::vector<std::vector<Edit>> everyAcceptedValue() {
    std::vector<Edit> shocks, cpr, time;
    for (int n = DefibEvent::MIN_SHOCKS; n <= DefibEvent::MAX_SHOCKS; ++n) {
        shocks.push_back(typed("DefibEvent", "numericSpinner1", n, "SHK"));
    }
    cpr.push_back(chosen("CPREvent", {"radioCPRstarted"}, "CPR 01"));
    cpr.push_back(chosen("CPREvent", {"radioCPRstopped"}, "CPR 02"));
    for (int s = CPREvent::MIN_SECONDS; s <= CPREvent::MAX_SECONDS; ++s) {
        cpr.push_back(typed("CPREvent", "numericCPRTime", s, "CPR", "radioCPRaccumulated"));
    }
    for (int s = TimeEvent::MIN_SECONDS; s <= TimeEvent::MAX_SECONDS; ++s) {
        time.push_back(typed("TimeEvent", "timeInState", s, "TIM"));
    }
    const std::vector<Edit> rhythms = {
        ecg("Sinus", nullptr, false, "ECG 00 00 01"),
        ecg("Sinus", nullptr, true, "ECG 00 00 00"),
        ecg("VT", "ShockableRadio", false, "ECG 01 01 00"),
        ecg("VT", "NonShockableRadio", false, "ECG 01 00 01"),
        ecg("VT", "NonShockableRadio", true, "ECG 01 00 00"),
        ecg("VF", nullptr, false, "ECG 02 01 00"),
        ecg("Asystole", nullptr, false, "ECG 03 00 00"),
    };
    const std::vector<Edit> motion = {chosen("MotionAction", {"radioMotion"}, "MOT 01"),
                                      chosen("MotionAction", {"radioNoMotion"}, "MOT 00")};
    const std::vector<Edit> electrodes = {
        chosen("ElectrodesAction", {"radioElectrodesOK"}, "ELE 00"),
        chosen("ElectrodesAction", {"radioElectrodesLoose"}, "ELE 01")};
    const std::vector<Edit> battery = {chosen("BatteryAction", {"radioBatteryOk"}, "BAT 02"),
                                       chosen("BatteryAction", {"radioLowBattery"}, "BAT 01"),
                                       chosen("BatteryAction", {"radioReplaceBattery"}, "BAT 00")};
    const std::vector<Edit> failure = {chosen("FailureAction", {"radioFailure"}, "FAI 01"),
                                       chosen("FailureAction", {"radioNoFailure"}, "FAI 00")};
    return {shocks, cpr, time, rhythms, motion, electrodes, battery, failure};
}

// Runs the edit in its dialog, confirms it and puts the element into part
// of the frame.
void confirmInto(ScenarioFrame& frame, int part, const Edit& edit) {
    auto dialog = makeElementDialog(edit.type, nullptr);
    dialog->init("");
    dialog->setAttributes();
    edit.use(*dialog);
    dialog->okButton()->click();
    ASSERT_FALSE(dialog->isVisible()) << edit.type << " " << edit.code;
    ASSERT_EQ(dialog->element().getAssociatedCode(), edit.code);
    frame.onRequestFinished(&dialog->element(), part);
}

std::vector<std::string> codesOf(const FakeDocument& doc) {
    std::vector<std::string> codes;
    for (const ScenarioFrame* frame : doc.frames()) {
        for (std::size_t i = 1; i < frame->rows().size(); ++i) {
            codes.push_back(frame->rows()[i].code.substr(4)); // after "1,1:"
        }
        for (int k = 1; k <= 3; ++k) {
            codes.push_back(frame->output(k).code);
        }
    }
    return codes;
}

TEST(RoundTrip, EveryAcceptedValueSavesLoadsAndSavesToTheSameBytes) {
    seLanguage::restoreDefaults();
    BaseDir base;
    TclControl io(base.location());
    const auto kinds = everyAcceptedValue();
    std::size_t longest = 0;
    for (const auto& kind : kinds) {
        longest = std::max(longest, kind.size());
    }
    constexpr std::size_t kFramesPerFile = 20;
    for (std::size_t first = 0; first < longest; first += kFramesPerFile) {
        FakeDocument doc;
        const std::size_t count = std::min(kFramesPerFile, longest - first);
        for (std::size_t k = 0; k < count; ++k) {
            ScenarioFrame& frame =
                doc.addFrame("Frame" + std::to_string(k), {100, 20 + 200 * static_cast<int>(k)});
            const std::size_t row = first + k;
            // The three events in boxes 1 to 3, then the five actions.
            for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
                const auto& edits = kinds[kind];
                const int part = kind < 3 ? static_cast<int>(kind) + 2 : inputField;
                confirmInto(frame, part, edits[row % edits.size()]);
            }
        }
        // Every output leads on, so that its value lands in the state table.
        for (std::size_t k = 0; k < count; ++k) {
            for (int box = 1; box <= 3; ++box) {
                doc.connect(*doc.frames()[k], box, *doc.frames()[(k + 1) % count]);
            }
        }
        const std::string name = "all" + std::to_string(first) + ".scn";
        ASSERT_TRUE(saveDiagram(doc, doc, io, name, base.scenarios(), "", fixedDateHooks()).ok());
        const std::string saved = base.read("scenarios/" + name);

        FakeDocument loaded;
        const LoadReport report =
            DiagramLoader(loaded, loaded, io).createDiagramFromFile(name, base.scenarios());
        ASSERT_EQ(report.outcome, LoadReport::Outcome::Loaded);
        EXPECT_TRUE(report.skipped.empty());
        EXPECT_EQ(codesOf(loaded), codesOf(doc));
        ASSERT_TRUE(
            saveDiagram(loaded, loaded, io, name, base.scenarios(), "", fixedDateHooks()).ok());
        EXPECT_EQ(base.read("scenarios/" + name), saved) << "rows from " << first;
    }
}

// A number typed with blanks, a sign or leading zeros is accepted as the
// plain number, the form in which it is saved and read back.
TEST(RoundTrip, TypedNumbersAreKeptInTheirPlainForm) {
    seLanguage::restoreDefaults();
    for (const char* text : {" 30", "030", "+30", "30 "}) {
        auto dialog = makeElementDialog("TimeEvent", nullptr);
        dialog->init("");
        dialog->setAttributes();
        child<SpinField>(*dialog, "timeInState")->setText(QString::fromLatin1(text));
        dialog->okButton()->click();
        EXPECT_EQ(dialog->element().getAttributes(), "T30") << text;
        EXPECT_EQ(child<SpinField>(*dialog, "timeInState")->text(), "30") << text;
    }
}

} // namespace
} // namespace crvl::test
