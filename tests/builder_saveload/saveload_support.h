#pragma once

// Shared pieces of the saving and loading tests: a base directory holding
// the shipped templates, a fixed date, and small diagram builders.

#include "builder/io/tcl_code_generator.h"
#include "builder/model/scenario_element.h"
#include "builder/model/scenario_frame.h"
#include "tests/builder_saveload/fake_document.h"
#include "tests/builder_services/temp_dir.h"

#include <filesystem>
#include <string>
#include <vector>

namespace crvl::test {

inline constexpr const char* kFixedDate = "Wed Dec 09 00:09:41 UTC 2026";

// A base directory with "template/" copied from the sources and an empty
// "scenarios/".
class BaseDir : public TempDir {
public:
    BaseDir() {
        namespace fs = std::filesystem;
        const fs::path templates = fs::path(CRVL_SOURCE_DIR) / "builder/data/template";
        fs::create_directories(fs::path(dir()) / "template");
        for (const auto& entry : fs::directory_iterator(templates)) {
            fs::copy_file(entry.path(), fs::path(dir()) / "template" / entry.path().filename());
        }
        fs::create_directories(fs::path(dir()) / "scenarios");
    }
    std::string scenarios() const { return dir() + "scenarios/"; }
};

inline void addAction(ScenarioFrame& frame, const std::string& type, const std::string& attrs) {
    auto element = getScenarioElement(type, attrs).value();
    frame.onRequestFinished(element.get(), inputField);
}

inline void addEvent(ScenarioFrame& frame, int box, const std::string& type,
                     const std::string& attrs) {
    auto element = getScenarioElement(type, attrs).value();
    frame.onRequestFinished(element.get(), box + 1);
}

inline GeneratorHooks fixedDateHooks(std::vector<int>* status = nullptr) {
    GeneratorHooks hooks;
    hooks.dateText = [] { return std::string(kFixedDate); };
    if (status) {
        hooks.showStatus = [status](int step) { status->push_back(step); };
    }
    return hooks;
}

// The example of the file format description: Frame0 (ECG VF, one shock to
// Frame1) and Frame1 (ECG sinus, 30 s back to Frame0 by a jump).
inline void buildTwoFrameExample(FakeDocument& doc) {
    auto& f0 = doc.addFrame("Frame0", {100, 20});
    auto& f1 = doc.addFrame("Frame1", {100, 200});
    addAction(f0, "SetECG", "S;p;VF;");
    addEvent(f0, 1, "DefibEvent", "1");
    addAction(f1, "SetECG", "s;P;Sinus;");
    addEvent(f1, 1, "TimeEvent", "T30");
    doc.connect(f0, 1, f1);
    doc.connect(f1, 1, f0, true);
}

// The lines of a text split at line feeds (a final empty piece dropped).
inline std::vector<std::string> splitLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace crvl::test
