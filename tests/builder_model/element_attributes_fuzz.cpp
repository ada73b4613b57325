// Arbitrary attribute strings for each of the eight elements: unpacking either
// succeeds or reports a number that does not parse, and never crashes. An
// element that unpacked, and the same element after the edits its dialog
// allows and an OK that passed the dialog's check, saves attributes that
// re-read to the same element: same attributes, identification and code.
//
// Input: one byte picks the element, the next bytes up to the first zero byte
// are the attribute string, the bytes after it drive the dialog's controls.

#include "builder/model/scenario_element.h"
#include "tests/builder_model/fuzz_input.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace {

using namespace crvl;

constexpr std::array<std::string_view, 8> kTypes = {
    "SetECG",        "MotionAction", "ElectrodesAction", "BatteryAction",
    "FailureAction", "DefibEvent",   "CPREvent",         "TimeEvent"};

using Input = test::FuzzInput;

// Saves the element and re-reads the saved attributes, which must parse.
void checkReread(std::string_view type, const ScenarioElement& element) {
    const std::string saved = element.getAttributes();
    Result<std::unique_ptr<ScenarioElement>> reread = getScenarioElement(type, saved);
    if (!reread.ok()) {
        std::abort();
    }
    const std::unique_ptr<ScenarioElement> again = std::move(reread).value();
    if (!again || again->getAttributes() != saved ||
        again->getIdentification() != element.getIdentification() ||
        again->getAssociatedCode() != element.getAssociatedCode()) {
        std::abort();
    }
}

// What a user can do in the element's dialog: choose from the drop-down and
// the radios, tick the enabled check box, type into the number field.
void editAsTheDialog(ScenarioElement& element, Input& in) {
    if (auto* ecg = dynamic_cast<SetECG*>(&element)) {
        const auto& rhythms = rhythmSystemNames();
        ecg->setRhythm(
            rhythms[static_cast<std::size_t>(in.next(static_cast<int>(rhythms.size())))]);
        const bool shockable = in.next(2) == 1;
        if (shockable ? ecg->shockableEnabled() : ecg->nonShockableEnabled()) {
            ecg->chooseShockable(shockable);
        }
        if (ecg->pulseEnabled()) {
            ecg->setPulse(in.next(2) == 1);
        }
    } else if (auto* radio = dynamic_cast<RadioAction*>(&element)) {
        radio->choose(in.next(static_cast<int>(radio->radioLabels().size())));
    } else if (auto* cpr = dynamic_cast<CPREvent*>(&element)) {
        // The dialog's OK needs one of the three radios.
        cpr->setMode(static_cast<CPREvent::Mode>(1 + in.next(3)));
        if (cpr->fieldEnabled()) {
            const int steps = (CPREvent::MAX_SECONDS - CPREvent::MIN_SECONDS) / CPREvent::STEP;
            cpr->setFieldText(
                std::to_string(CPREvent::MIN_SECONDS + CPREvent::STEP * in.next(steps + 1)));
        }
    } else if (auto* field = dynamic_cast<FieldEvent*>(&element)) {
        // Any typed text; OK refuses what is not a number up to 250.
        std::string typed;
        for (int n = in.next(8); n > 0; --n) {
            typed += "0123456789 -+x"[in.next(14)];
        }
        field->setFieldText(typed);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view type = kTypes[data[0] % kTypes.size()];
    std::size_t end = 1;
    while (end < size && data[end] != 0) {
        ++end;
    }
    const std::string attributes(reinterpret_cast<const char*>(data + 1), end - 1);
    Result<std::unique_ptr<ScenarioElement>> read = getScenarioElement(type, attributes);
    if (!read.ok()) {
        return 0;
    }
    const std::unique_ptr<ScenarioElement> element = std::move(read).value();
    if (!element || element->className() != type) {
        std::abort();
    }
    // A CPR event without a chosen mode has nothing the dialog would save.
    const auto* cpr = dynamic_cast<const CPREvent*>(element.get());
    if (!cpr || cpr->mode() != CPREvent::Mode::None) {
        checkReread(type, *element);
    }
    Input in(data + end, size - end);
    editAsTheDialog(*element, in);
    if (!element->acceptOk()) {
        checkReread(type, *element);
    }
    return 0;
}
