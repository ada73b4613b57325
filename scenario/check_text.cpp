#include "scenario/check_text.h"

#include <array>

namespace crvl::scenario {

namespace {

struct TextDefault {
    std::string_view key;
    const char* english;
};

#define CRVL_SCENARIO_CHECK_ENTRY(key, text) TextDefault{#key, text},
constexpr std::array kDefaults = {CRVL_SCENARIO_CHECK_TEXTS(CRVL_SCENARIO_CHECK_ENTRY)};
#undef CRVL_SCENARIO_CHECK_ENTRY

std::string Lookup(std::string_view key, const TextLookup& lookup) {
    if (lookup)
        if (const std::string* text = lookup(key))
            return *text;
    const char* english = EnglishDefault(key);
    return english ? english : std::string(key);
}

} // namespace

const char* EnglishDefault(std::string_view key) {
    for (const TextDefault& entry : kDefaults)
        if (entry.key == key)
            return entry.english;
    return nullptr;
}

std::string FillText(std::string_view pattern, const std::vector<std::string>& args) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < args.size()) {
                out += args[index];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string FindingText(const Finding& finding, const TextLookup& lookup) {
    std::vector<std::string> args = finding.args;
    for (std::string& arg : args)
        if (EnglishDefault(arg))
            arg = Lookup(arg, lookup);
    return FillText(Lookup(finding.key, lookup), args);
}

std::string SeverityText(Severity severity, const TextLookup& lookup) {
    switch (severity) {
    case Severity::Error:
        return Lookup("checkErrorText", lookup);
    case Severity::Warning:
        return Lookup("checkWarningText", lookup);
    case Severity::Note:
        break;
    }
    return Lookup("checkNoteText", lookup);
}

std::string FindingLine(const Finding& finding, const TextLookup& lookup) {
    return SeverityText(finding.severity, lookup) + ": " + FindingText(finding, lookup);
}

std::string NoProblemsText(const TextLookup& lookup) {
    return Lookup("checkNoProblemsText", lookup);
}

std::string NoProblemsSummary(const std::vector<Finding>& findings, const TextLookup& lookup) {
    if (HasProblems(findings)) {
        return {};
    }
    return findings.empty() ? NoProblemsText(lookup) : Lookup("checkOnlyNotesText", lookup);
}

} // namespace crvl::scenario
