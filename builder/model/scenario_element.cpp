#include "builder/model/scenario_element.h"

#include "builder/core/builder_services.h"
#include "builder/core/se_language.h"
#include "builder/model/saved_text.h"

#include <array>

namespace crvl {

namespace {

// "Sinus" and the other system names with the language keys of their shown
// names, in dialog order and in the order of their code field 00..03.
struct Rhythm {
    const char* system;
    const std::string* shown;
};

std::array<Rhythm, 4> rhythms() {
    return {{{"Sinus", &seLanguage::SinusText},
             {"VT", &seLanguage::VTText},
             {"VF", &seLanguage::VFText},
             {"Asystole", &seLanguage::AsystoleText}}};
}

std::string flagField(bool on) {
    return on ? "01" : "00";
}

char firstChar(const std::string& text) {
    return text.empty() ? '\0' : text.front();
}

} // namespace

std::string_view stripPackagePrefix(std::string_view type) {
    const auto dot = type.rfind('.');
    return dot == std::string_view::npos ? type : type.substr(dot + 1);
}

Result<std::unique_ptr<ScenarioElement>> getScenarioElement(std::string_view type,
                                                            const std::string& attributes) {
    const std::string_view name = stripPackagePrefix(type);
    std::unique_ptr<ScenarioElement> element;
    if (name == SetECG::NAME) {
        element = std::make_unique<SetECG>();
    } else if (name == MotionAction::NAME) {
        element = std::make_unique<MotionAction>();
    } else if (name == ElectrodesAction::NAME) {
        element = std::make_unique<ElectrodesAction>();
    } else if (name == BatteryAction::NAME) {
        element = std::make_unique<BatteryAction>();
    } else if (name == FailureAction::NAME) {
        element = std::make_unique<FailureAction>();
    } else if (name == DefibEvent::NAME) {
        element = std::make_unique<DefibEvent>();
    } else if (name == CPREvent::NAME) {
        element = std::make_unique<CPREvent>();
    } else if (name == TimeEvent::NAME) {
        element = std::make_unique<TimeEvent>();
    } else {
        return std::unique_ptr<ScenarioElement>();
    }
    if (Status read = element->init(attributes); !read.ok()) {
        return read;
    }
    return element;
}

const std::vector<std::string>& rhythmSystemNames() {
    static const std::vector<std::string> names = {"Sinus", "VT", "VF", "Asystole"};
    return names;
}

std::string getSystemName(const std::string& shown) {
    for (const Rhythm& r : rhythms()) {
        if (*r.shown == shown) {
            return r.system;
        }
    }
    return shown;
}

std::string getTranslatedName(const std::string& system) {
    for (const Rhythm& r : rhythms()) {
        if (system == r.system) {
            return *r.shown;
        }
    }
    return system;
}

// ---- SetECG -------------------------------------------------------------

std::string SetECG::title() const {
    return seLanguage::titleECGAndBPText;
}

void SetECG::setECGOptions(const std::string& systemName) {
    if (systemName == "Sinus") {
        shockableEnabled_ = false;
        nonShockableEnabled_ = true;
        shockable_ = false;
        pulseEnabled_ = true;
        pulse_ = true;
    } else if (systemName == "VT") {
        shockableEnabled_ = true;
        nonShockableEnabled_ = true;
        shockable_ = true;
        pulseEnabled_ = false;
        pulse_ = false;
    } else if (systemName == "VF") {
        shockableEnabled_ = true;
        nonShockableEnabled_ = false;
        shockable_ = true;
        pulseEnabled_ = false;
        pulse_ = false;
    } else if (systemName == "Asystole") {
        shockableEnabled_ = false;
        nonShockableEnabled_ = true;
        shockable_ = false;
        pulseEnabled_ = false;
        pulse_ = false;
    }
}

void SetECG::setRhythm(const std::string& systemName) {
    setECGOptions(systemName);
    for (const std::string& known : rhythmSystemNames()) {
        if (known == systemName) {
            rhythm_ = systemName;
        }
    }
}

void SetECG::chooseShockable(bool shockable) {
    shockable_ = shockable;
    if (rhythm_ == "VT") {
        pulse_ = !shockable;
        pulseEnabled_ = !shockable;
    }
}

Status SetECG::init(const std::string& attributes) {
    *this = SetECG();
    if (attributes.empty()) {
        setRhythm("VF");
        return unPackAttributes(seLanguage::lastECGAttributes);
    }
    return unPackAttributes(attributes);
}

Status SetECG::unPackAttributes(const std::string& attributes) {
    const std::vector<std::string> tokens = splitTokens(attributes, ";");
    if (tokens.size() < 3) {
        return Status::Ok();
    }
    const bool shockable = tokens[0] != "s";
    const bool pulse = tokens[1] == "P";
    setRhythm(tokens[2]);
    shockable_ = shockable;
    pulse_ = pulse;
    return Status::Ok();
}

std::string SetECG::getAttributes() const {
    return std::string(shockable_ ? "S;" : "s;") + (pulse_ ? "P;" : "p;") + rhythm_ + ";";
}

std::string SetECG::getIdentification() const {
    return (shockable_ ? seLanguage::radioShockableText : seLanguage::radioNonShockableText) +
           " (" + getTranslatedName(rhythm_) + "), " +
           (pulse_ ? seLanguage::pulseText : seLanguage::noPulseText);
}

std::string SetECG::getAssociatedCode() const {
    static const char* const fields[] = {"00", "01", "02", "03"};
    std::string rhythmField;
    const auto& names = rhythmSystemNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == rhythm_) {
            rhythmField = fields[i];
        }
    }
    return "ECG " + rhythmField + " " + flagField(shockable_) + " " + flagField(pulse_);
}

// ---- radio actions ------------------------------------------------------

std::string RadioAction::getIdentification() const {
    const std::vector<std::string> labels = radioLabels();
    return labels.at(static_cast<std::size_t>(choice_));
}

Status RadioAction::init(const std::string& attributes) {
    return unPackAttributes(attributes);
}

std::string MotionAction::title() const {
    return seLanguage::titleMotionText;
}
std::vector<std::string> MotionAction::radioLabels() const {
    return {seLanguage::radioMotionText, seLanguage::radioNoMotionText};
}
Status MotionAction::unPackAttributes(const std::string& attributes) {
    choice_ = firstChar(attributes) == '+' ? Motion : NoMotion;
    return Status::Ok();
}
std::string MotionAction::getAttributes() const {
    return choice_ == Motion ? "+" : "-";
}
std::string MotionAction::getAssociatedCode() const {
    return choice_ == Motion ? "MOT 01" : "MOT 00";
}

std::string ElectrodesAction::title() const {
    return seLanguage::titleElectrodesText;
}
std::vector<std::string> ElectrodesAction::radioLabels() const {
    return {seLanguage::radioElectrodesOKText, seLanguage::radioElectrodesLooseText};
}
Status ElectrodesAction::unPackAttributes(const std::string& attributes) {
    choice_ = firstChar(attributes) == '-' ? ElectrodesLoose : ElectrodesOK;
    return Status::Ok();
}
std::string ElectrodesAction::getAttributes() const {
    return choice_ == ElectrodesLoose ? "-" : "+";
}
std::string ElectrodesAction::getAssociatedCode() const {
    return choice_ == ElectrodesLoose ? "ELE 01" : "ELE 00";
}

std::string BatteryAction::title() const {
    return seLanguage::titleBatteryText;
}
std::vector<std::string> BatteryAction::radioLabels() const {
    return {seLanguage::radioBatteryOKText, seLanguage::radioLowBatteryText,
            seLanguage::radioReplaceBatteryText};
}
Status BatteryAction::unPackAttributes(const std::string& attributes) {
    switch (firstChar(attributes)) {
    case '-':
        choice_ = ReplaceBattery;
        break;
    case 'b':
        choice_ = LowBattery;
        break;
    default:
        choice_ = BatteryOK;
    }
    return Status::Ok();
}
std::string BatteryAction::getAttributes() const {
    static const char* const attrs[] = {"B", "b", "-"};
    return attrs[choice_];
}
std::string BatteryAction::getAssociatedCode() const {
    static const char* const codes[] = {"BAT 02", "BAT 01", "BAT 00"};
    return codes[choice_];
}

std::string FailureAction::title() const {
    return seLanguage::titleFailureText;
}
std::vector<std::string> FailureAction::radioLabels() const {
    return {seLanguage::radioFailureText, seLanguage::radioNoFailureText};
}
Status FailureAction::unPackAttributes(const std::string& attributes) {
    choice_ = firstChar(attributes) == '+' ? Failure : NoFailure;
    return Status::Ok();
}
std::string FailureAction::getAttributes() const {
    return choice_ == Failure ? "+" : "-";
}
std::string FailureAction::getAssociatedCode() const {
    return choice_ == Failure ? "FAI 01" : "FAI 00";
}

// ---- events -------------------------------------------------------------

std::optional<std::string> FieldEvent::acceptField(int minimum, int maximum) {
    std::optional<int> number;
    const auto first = field_.find_first_not_of(' ');
    const auto last = field_.find_last_not_of(' ');
    if (first != std::string::npos) {
        if (auto parsed = parseDecimal(std::string_view(field_).substr(first, last - first + 1));
            parsed.ok()) {
            number = parsed.value();
        }
    }
    if (!number || *number < minimum || *number > maximum) {
        return fillIn(seLanguage::numberRangeText,
                      {std::to_string(minimum), std::to_string(maximum)});
    }
    field_ = std::to_string(*number);
    return std::nullopt;
}

Result<int> savedFieldNumber(std::string_view text, int minimum) {
    const Result<int> parsed = parseDecimal(text);
    if (!parsed.ok()) {
        return parsed.status();
    }
    const int number = parsed.value();
    if (number < minimum || number > FieldEvent::MAX_CELL_VALUE) {
        return Status::Error("Number out of range: \"" + std::string(text) + "\"");
    }
    return number;
}

namespace {

// The field's text from a saved number, or the failure to read it.
Status readField(std::string& field, std::string_view text, int minimum) {
    const Result<int> number = savedFieldNumber(text, minimum);
    if (number.ok()) {
        field = std::to_string(number.value());
    }
    return number.status();
}

} // namespace

std::string DefibEvent::title() const {
    return seLanguage::titleDefibEvent;
}
Status DefibEvent::init(const std::string& attributes) {
    field_ = std::to_string(MIN_SHOCKS);
    return unPackAttributes(attributes);
}
Status DefibEvent::unPackAttributes(const std::string& attributes) {
    if (attributes.empty()) {
        field_ = std::to_string(MIN_SHOCKS);
        return Status::Ok();
    }
    return readField(field_, attributes, MIN_SHOCKS);
}
std::string DefibEvent::getAttributes() const {
    return field_;
}
std::string DefibEvent::getIdentification() const {
    return field_ + " " + seLanguage::defibShocks;
}
std::string DefibEvent::getAssociatedCode() const {
    return "SHK " + intStringToHexString(field_);
}
std::optional<std::string> DefibEvent::acceptOk() {
    return acceptField(MIN_SHOCKS, MAX_SHOCKS);
}

std::string CPREvent::title() const {
    return seLanguage::titleCPR;
}
void CPREvent::setMode(Mode mode) {
    mode_ = mode;
    fieldEnabled_ = mode == Mode::Accumulated;
}
Status CPREvent::init(const std::string& attributes) {
    field_ = std::to_string(DEFAULT_SECONDS);
    mode_ = Mode::None;
    fieldEnabled_ = false;
    return unPackAttributes(attributes);
}
Status CPREvent::unPackAttributes(const std::string& attributes) {
    switch (firstChar(attributes)) {
    case '\0':
    case 'B':
        setMode(Mode::Started);
        break;
    case 'A':
        setMode(Mode::Accumulated);
        if (attributes.size() > 1) {
            return readField(field_, std::string_view(attributes).substr(1), MIN_SECONDS);
        }
        break;
    case 'S':
        setMode(Mode::Stopped);
        break;
    default:
        break;
    }
    return Status::Ok();
}
std::optional<std::string> CPREvent::acceptOk() {
    // The field counts only for the accumulated mode; the range keeps its
    // codes apart from those of started (01) and stopped (02).
    if (mode_ != Mode::Accumulated) {
        return std::nullopt;
    }
    return acceptField(MIN_SECONDS, MAX_SECONDS);
}
std::string CPREvent::getAttributes() const {
    switch (mode_) {
    case Mode::Started:
        return "B";
    case Mode::Stopped:
        return "S";
    case Mode::Accumulated:
        return "A" + field_;
    case Mode::None:
        break;
    }
    return "";
}
std::string CPREvent::getIdentification() const {
    switch (mode_) {
    case Mode::Started:
        return seLanguage::CPRstartedText;
    case Mode::Stopped:
        return seLanguage::CPRstoppedText;
    case Mode::Accumulated:
        return seLanguage::CPRaccumulatedText + field_ + seLanguage::shortForCPRTime;
    case Mode::None:
        break;
    }
    return "";
}
std::string CPREvent::getAssociatedCode() const {
    switch (mode_) {
    case Mode::Started:
        return "CPR 01";
    case Mode::Stopped:
        return "CPR 02";
    case Mode::Accumulated:
        return "CPR " + intStringToHexString(field_);
    case Mode::None:
        break;
    }
    return "";
}

std::string TimeEvent::title() const {
    return seLanguage::titleTimeEventText;
}
Status TimeEvent::init(const std::string& attributes) {
    field_ = std::to_string(MIN_SECONDS);
    return unPackAttributes(attributes);
}
Status TimeEvent::unPackAttributes(const std::string& attributes) {
    if (firstChar(attributes) == 'T') {
        return readField(field_, std::string_view(attributes).substr(1), MIN_SECONDS);
    }
    return Status::Ok();
}
std::string TimeEvent::getAttributes() const {
    return "T" + field_;
}
std::string TimeEvent::getIdentification() const {
    return seLanguage::timeEventText + field_ + seLanguage::timeEventUnitText;
}
std::string TimeEvent::getAssociatedCode() const {
    return "TIM " + intStringToHexString(field_);
}
std::optional<std::string> TimeEvent::acceptOk() {
    return acceptField(MIN_SECONDS, MAX_SECONDS);
}

} // namespace crvl
