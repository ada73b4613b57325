#include "builder/io/tcl_code_loader.h"

#include "builder/core/tcl_control.h"
#include "builder/model/connection.h"
#include "builder/model/frame_editor.h"
#include "builder/model/scenario_error.h"
#include "builder/model/scenario_frame.h"

#include <algorithm>
#include <exception>
#include <string_view>

namespace crvl {

namespace {

constexpr std::string_view kFrameSection = "#FrameIconComponents";
constexpr std::string_view kFrameSectionEnd = "#EndFrameIconComponents";
constexpr std::string_view kFrameEnd = "#EndFrameIconComponent";
constexpr std::string_view kActionList = "#listOfactionItems";
constexpr std::string_view kListEnd = "#End";
constexpr std::string_view kConnections = "#Connections";
constexpr std::string_view kConnectionsEnd = "#EndConnections";
constexpr std::string_view kDiagramEnd = "#EndSavedDiagram";

std::vector<std::string> splitAt(std::string_view line, std::string_view separators) {
    std::vector<std::string> tokens;
    std::size_t start = 0;
    while (start < line.size()) {
        const auto end = line.find_first_of(separators, start);
        const auto stop = end == std::string_view::npos ? line.size() : end;
        if (stop > start) {
            tokens.emplace_back(line.substr(start, stop - start));
        }
        start = stop + 1;
    }
    return tokens;
}

std::string nextLine(SavedLineReader& lines, const std::string& where) {
    auto line = lines.next();
    if (!line) {
        throw ScenarioFormatError("Unexpected end of the saved diagram in " + where);
    }
    return *line;
}

// The value of a tagged line: everything after its leading "#".
std::string taggedValue(const std::string& line) {
    if (line.empty() || line[0] != '#') {
        throw ScenarioFormatError("Missing '#' character at start of line" + line);
    }
    return line.substr(1);
}

// A saved line as the user may find it in the file: tabs shown as blanks.
std::string shownLine(std::string line) {
    std::replace(line.begin(), line.end(), '\t', ' ');
    return line;
}

// Reads a type line and an attribute line; the element they name, if any.
// A pair that cannot be read is listed in skipped under the frame's title.
std::optional<SavedElement> readElementPair(const std::string& typeLine, SavedLineReader& lines,
                                            const std::string& where, SavedFrame& frame) {
    const std::string attributeLine = nextLine(lines, where);
    SavedElement saved;
    try {
        saved.type = taggedValue(typeLine);
        saved.attributes = taggedValue(attributeLine);
        saved.element = getScenarioElement(saved.type, saved.attributes);
    } catch (const ScenarioFormatError&) {
        frame.skipped.push_back(frame.title + ": " + shownLine(typeLine) + " " +
                                shownLine(attributeLine));
        return std::nullopt;
    }
    if (!saved.element) {
        return std::nullopt;
    }
    return saved;
}

} // namespace

std::optional<std::string> SavedLineReader::next() {
    while (pos_ < text_.size()) {
        const auto end = text_.find_first_of("\r\n", pos_);
        const auto stop = end == std::string::npos ? text_.size() : end;
        std::string line = text_.substr(pos_, stop - pos_);
        pos_ = stop == text_.size() ? stop : stop + 1;
        if (!line.empty()) {
            return line;
        }
    }
    return std::nullopt;
}

SavedFrame readFrameIconComponent(const std::string& header, SavedLineReader& lines) {
    const auto fields = splitAt(header, "\t\r\n");
    if (fields.size() < 4) {
        throw ScenarioFormatError("Frame header has too few fields: \"" + header + "\"");
    }
    SavedFrame frame;
    frame.title = fields[1];
    frame.location = {parseDecimal(fields[2]), parseDecimal(fields[3])};
    const std::string where = "frame " + frame.title;
    for (;;) {
        const std::string line = nextLine(lines, where);
        if (line == kFrameEnd) {
            return frame;
        }
        if (line == kActionList) {
            for (std::string typeLine = nextLine(lines, where); typeLine != kListEnd;
                 typeLine = nextLine(lines, where)) {
                if (auto action = readElementPair(typeLine, lines, where, frame)) {
                    frame.actions.push_back(std::move(*action));
                }
            }
        } else if (line.size() == 8 && line.starts_with("#Output") && line[7] >= '1' &&
                   line[7] <= '3') {
            frame.outputs[static_cast<std::size_t>(line[7] - '1')] =
                readElementPair(nextLine(lines, where), lines, where, frame);
        }
    }
}

void fillFrame(ScenarioFrame& frame, const SavedFrame& saved) {
    for (const auto& action : saved.actions) {
        frame.appendActionRow(*action.element, action.type, action.attributes);
    }
    for (int k = 1; k <= 3; ++k) {
        if (const auto& output = saved.outputs[static_cast<std::size_t>(k - 1)]) {
            frame.setOutput(k, *output->element, output->type, output->attributes);
        }
    }
}

std::string TCLCodeLoader::loadFile(const std::string& fileName, const std::string& directory) {
    const auto handle = hostIO_.openReadPath(fileName, directory);
    if (!handle) {
        throw ScenarioFormatError("Cannot open " + fileName);
    }
    std::string text;
    while (auto line = hostIO_.readLine(*handle)) {
        text += *line;
        text += '\n';
        if (*line == kDiagramEnd) {
            break;
        }
    }
    hostIO_.close(*handle);
    return text;
}

void DiagramLoader::loadFrameIconComponents(SavedLineReader& lines) {
    while (auto line = lines.next()) {
        if (*line == kFrameSectionEnd) {
            editor_.resizePanelToFit();
            return;
        }
        loadFrameIconComponent(*line, lines);
        host_.showLoadSaveStatus(static_cast<int>(editor_.frames().size()));
    }
}

ScenarioFrame& DiagramLoader::loadFrameIconComponent(const std::string& header,
                                                     SavedLineReader& lines) {
    const SavedFrame saved = readFrameIconComponent(header, lines);
    ScenarioFrame& frame = host_.addLoadedFrame(saved.title, saved.location);
    fillFrame(frame, saved);
    for (const std::string& line : saved.skipped) {
        editor_.consoleLine("Element skipped: " + line);
        skipped_.push_back(line);
    }
    return frame;
}

void DiagramLoader::loadConnections(SavedLineReader& lines) {
    while (auto line = lines.next()) {
        if (*line == kConnectionsEnd) {
            return;
        }
        try {
            editor_.addConnection(Connection::fromString(editor_, *line));
        } catch (const ScenarioFormatError& error) {
            editor_.consoleLine(std::string("Connection dropped: ") + error.what());
            skipped_.push_back(shownLine(*line));
        }
    }
}

bool DiagramLoader::scanDiagram(const std::string& text) {
    SavedLineReader lines(text);
    while (auto line = lines.next()) {
        if (*line == kFrameSection) {
            loadFrameIconComponents(lines);
        } else if (*line == kConnections) {
            loadConnections(lines);
        } else if (*line == kDiagramEnd) {
            return true;
        }
    }
    return false;
}

void DiagramLoader::fallBack(const std::string& error) {
    editor_.consoleLine("Code loader error: " + error);
    editor_.sendTheBeep();
    // Frames and connections read before the error would sit beside the
    // start frame (possibly a second "Frame0"): start from a clean canvas.
    host_.deleteCurrentDiagram();
}

LoadReport DiagramLoader::createDiagramFromFile(const std::string& fileName,
                                                const std::string& directory) {
    host_.deleteCurrentDiagram();
    skipped_.clear();
    LoadReport report;
    // The file is read first, so that a failure tells which of the two it was.
    report.outcome = LoadReport::Outcome::CannotOpen;
    try {
        const std::string text = TCLCodeLoader(hostIO_).loadFile(fileName, directory);
        report.outcome = LoadReport::Outcome::Damaged;
        if (text.empty()) {
            editor_.consoleLine("Selected scenario contains no diagram info!");
            loadFrame0();
        } else if (scanDiagram(text)) {
            editor_.unselectFrameIcons();
        }
        host_.setNindex();
        report.outcome = LoadReport::Outcome::Loaded;
        report.skipped = skipped_;
    } catch (const std::exception& error) {
        report.error = error.what();
        fallBack(report.error);
        loadFrame0();
    }
    return report;
}

void DiagramLoader::loadFrame0() {
    const std::string directory = hostIO_.baseDirectory() + TEMPLATE_DIR;
    try {
        const std::string text = TCLCodeLoader(hostIO_).loadFile(DEFAULT_FRAME0, directory);
        if (text.empty()) {
            throw ScenarioFormatError(std::string(TEMPLATE_DIR) + DEFAULT_FRAME0 + " is empty");
        }
        scanDiagram(text);
    } catch (const std::exception& error) {
        fallBack(error.what());
        loadEmptyFrame0();
    }
    host_.setNindex();
}

void DiagramLoader::loadEmptyFrame0() {
    host_.addLoadedFrame("Frame0", EMPTY_FRAME0_LOCATION);
    editor_.resizePanelToFit();
}

} // namespace crvl
