#include "config/cli/parameter_text.h"

#include "config/core/parameter_form.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace crvl::cli {
namespace {

enum class Kind { Number, Scenario, CprPause, Time, Tolerance, Option };

struct Field {
    std::string_view name;
    Kind kind;
    std::uint8_t ParameterRecord::*byte;
    UpDownRange range{0, 0};
    // Time fields: the word for 0 seconds; the bit of an option.
    std::string_view zeroWord{};
    std::uint8_t optionBit = 0;
};

constexpr std::string_view kUnlimited = "unlimited";

const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = {
        {"volume", Kind::Number, &ParameterRecord::speakerVolume, kVolumeRange},
        {"default-scenario", Kind::Scenario, &ParameterRecord::defaultScenario, kScenarioRange},
        {"cpr-pause", Kind::CprPause, &ParameterRecord::cprPause},
        {"shock-series", Kind::Number, &ParameterRecord::shockSeries, kShockSeriesRange},
        {"protocol-timeout", Kind::Time, &ParameterRecord::protocolTimeout, kProtocolTimeoutRange,
         kUnlimited},
        {"cpr-timer", Kind::Time, &ParameterRecord::cprTimer, kCprTimerRange, kUnlimited},
        // The pause of the timer; 0 is the dialog's "Monitor" choice.
        {"no-shock-pause", Kind::Time, &ParameterRecord::noShockPause, kTimerPauseRange,
         "monitoring"},
        {"prompt-interval", Kind::Time, &ParameterRecord::promptInterval, kPromptIntervalRange,
         kUnlimited},
        {"pad-tolerance", Kind::Tolerance, &ParameterRecord::padTolerance},
        {"lamp-indication",
         Kind::Option,
         &ParameterRecord::options,
         {},
         {},
         ParameterRecord::kOptionLampIndicationOff},
        {"volume-buttons",
         Kind::Option,
         &ParameterRecord::options,
         {},
         {},
         ParameterRecord::kOptionBlueButtonVolumeOff},
        {"remote-response",
         Kind::Option,
         &ParameterRecord::options,
         {},
         {},
         ParameterRecord::kOptionRemoteResponseOff},
    };
    return fields;
}

struct Choice {
    std::string text;
    std::uint8_t byte;
};

// The values a field's control can take, as the command line writes them.
std::vector<Choice> Choices(const Field& field) {
    std::vector<Choice> choices;
    switch (field.kind) {
    case Kind::Number:
        for (int p = field.range.low; p <= field.range.high; ++p)
            choices.push_back({std::to_string(p), static_cast<std::uint8_t>(p)});
        break;
    case Kind::Scenario:
        for (int p = field.range.low; p <= field.range.high; ++p)
            choices.push_back({ScenarioText(p), static_cast<std::uint8_t>(p)});
        break;
    case Kind::CprPause:
        choices = {{"short", 0}, {"long", 1}};
        break;
    case Kind::Time: {
        bool zero = false;
        for (int p = field.range.low; p <= field.range.high; ++p) {
            const std::uint8_t seconds = TextToSeconds(TimeText(p));
            zero = zero || seconds == 0;
            choices.push_back(
                {seconds == 0 ? std::string(field.zeroWord) : std::to_string(seconds), seconds});
        }
        // The no-shock action's Monitor radio button stands beside its range;
        // the other times take the word params prints for a zero byte.
        if (!zero && !field.zeroWord.empty())
            choices.push_back({std::string(field.zeroWord), 0});
        break;
    }
    case Kind::Tolerance:
        for (int p = kTrackbarMax; p >= 0; --p) {
            const std::uint8_t tolerance = PositionToTolerance(p);
            choices.push_back({std::to_string(tolerance), tolerance});
        }
        break;
    case Kind::Option:
        break; // on/off, handled bitwise
    }
    return choices;
}

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string ValueText(const Field& field, const ParameterRecord& record) {
    const std::uint8_t byte = record.*field.byte;
    if (field.kind == Kind::Option)
        return (byte & field.optionBit) == 0 ? "on" : "off";
    if (field.kind == Kind::Time && byte == 0)
        return std::string(field.zeroWord);
    for (const Choice& choice : Choices(field)) {
        if (choice.byte == byte)
            return choice.text;
    }
    return std::to_string(byte);
}

std::string JoinChoices(const Field& field) {
    if (field.kind == Kind::Option)
        return "on, off";
    const std::vector<Choice> choices = Choices(field);
    std::string text;
    for (const Choice& choice : choices)
        text += (text.empty() ? "" : ", ") + choice.text;
    return text;
}

} // namespace

const std::vector<std::string_view>& ParameterNames() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> list;
        for (const Field& field : Fields())
            list.push_back(field.name);
        return list;
    }();
    return names;
}

NamedValues DescribeParameters(const ParameterRecord& record) {
    NamedValues texts;
    for (const Field& field : Fields())
        texts.push_back(Value(std::string(field.name), ValueText(field, record)));
    return texts;
}

Status ApplyParameter(std::string_view assignment, ParameterRecord& record) {
    const auto eq = assignment.find('=');
    if (eq == std::string_view::npos) {
        return Status::Error(std::string("'").append(assignment).append("' is not NAME=VALUE"));
    }
    const std::string_view name = assignment.substr(0, eq);
    const std::string_view value = assignment.substr(eq + 1);
    const auto& fields = Fields();
    const auto field =
        std::find_if(fields.begin(), fields.end(), [&](const Field& f) { return f.name == name; });
    if (field == fields.end()) {
        return Status::Error(std::string("unknown parameter '").append(name).append("'"));
    }
    if (field->kind == Kind::Option) {
        if (SameWord(value, "on") || SameWord(value, "off")) {
            std::uint8_t& options = record.*field->byte;
            options =
                SameWord(value, "on") ? options & ~field->optionBit : options | field->optionBit;
            return Status::Ok();
        }
    } else {
        for (const Choice& choice : Choices(*field)) {
            if (SameWord(value, choice.text)) {
                record.*field->byte = choice.byte;
                return Status::Ok();
            }
        }
    }
    return Status::Error(std::string("bad value '").append(value).append("' for ").append(name) +
                         " (allowed: " + JoinChoices(*field) + ")");
}

std::string ParameterHelp() {
    std::string text;
    for (const Field& field : Fields()) {
        std::string line = std::string("  ").append(field.name);
        line.resize(20, ' ');
        text += line + JoinChoices(field) + "\n";
    }
    return text;
}

} // namespace crvl::cli
