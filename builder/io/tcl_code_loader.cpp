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
    const auto skip = [&] {
        frame.skipped.push_back(frame.title + ": " + shownLine(typeLine) + " " +
                                shownLine(attributeLine));
        return std::nullopt;
    };
    SavedElement saved;
    try {
        saved.type = taggedValue(typeLine);
        saved.attributes = taggedValue(attributeLine);
    } catch (const ScenarioFormatError&) {
        return skip();
    }
    Result<std::unique_ptr<ScenarioElement>> element =
        getScenarioElement(saved.type, saved.attributes);
    if (!element.ok()) {
        return skip();
    }
    saved.element = std::move(element).value();
    if (!saved.element) {
        return std::nullopt;
    }
    return saved;
}

// The lines of a frame's block after its header, up to and including
// "#EndFrameIconComponent". Throws ScenarioFormatError at a line missing or
// out of place.
void readFrameBody(SavedLineReader& lines, SavedFrame& frame) {
    const std::string where = "frame " + frame.title;
    for (;;) {
        const std::string line = nextLine(lines, where);
        if (line == kFrameEnd) {
            return;
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

Result<SavedFrame> readFrameIconComponent(const std::string& header, SavedLineReader& lines) {
    const auto fields = splitAt(header, "\t\r\n");
    if (fields.size() < 4) {
        return Status::Error("Frame header has too few fields: \"" + header + "\"");
    }
    const Result<int> x = parseDecimal(fields[2]);
    if (!x.ok()) {
        return x.status();
    }
    const Result<int> y = parseDecimal(fields[3]);
    if (!y.ok()) {
        return y.status();
    }
    SavedFrame frame;
    frame.title = fields[1];
    frame.location = {x.value(), y.value()};
    try {
        readFrameBody(lines, frame);
    } catch (const std::exception& error) {
        return Status::Error(error.what());
    }
    return frame;
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

Result<std::string> TCLCodeLoader::loadFile(const std::string& fileName,
                                            const std::string& directory) {
    const auto handle = hostIO_.openReadPath(fileName, directory);
    if (!handle) {
        return Status::Error("Cannot open " + fileName);
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

Status DiagramLoader::loadFrameIconComponents(SavedLineReader& lines) {
    while (auto line = lines.next()) {
        if (*line == kFrameSectionEnd) {
            editor_.resizePanelToFit();
            return Status::Ok();
        }
        if (Status loaded = loadFrameIconComponent(*line, lines); !loaded.ok()) {
            return loaded;
        }
        host_.showLoadSaveStatus(static_cast<int>(editor_.frames().size()));
    }
    return Status::Ok();
}

Status DiagramLoader::loadFrameIconComponent(const std::string& header, SavedLineReader& lines) {
    const Result<SavedFrame> saved = readFrameIconComponent(header, lines);
    if (!saved.ok()) {
        return saved.status();
    }
    ScenarioFrame& frame = host_.addLoadedFrame(saved.value().title, saved.value().location);
    fillFrame(frame, saved.value());
    for (const std::string& line : saved.value().skipped) {
        editor_.consoleLine("Element skipped: " + line);
        skipped_.push_back(line);
    }
    return Status::Ok();
}

void DiagramLoader::loadConnections(SavedLineReader& lines) {
    while (auto line = lines.next()) {
        if (*line == kConnectionsEnd) {
            return;
        }
        Result<std::unique_ptr<Connection>> connection = Connection::fromString(editor_, *line);
        if (connection.ok()) {
            editor_.addConnection(std::move(connection).value());
        } else {
            editor_.consoleLine("Connection dropped: " + connection.message());
            skipped_.push_back(shownLine(*line));
        }
    }
}

Result<bool> DiagramLoader::scanDiagram(const std::string& text) {
    SavedLineReader lines(text);
    while (auto line = lines.next()) {
        if (*line == kFrameSection) {
            if (Status loaded = loadFrameIconComponents(lines); !loaded.ok()) {
                return loaded;
            }
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
    Status loaded = Status::Ok();
    const Result<std::string> text = TCLCodeLoader(hostIO_).loadFile(fileName, directory);
    if (!text.ok()) {
        report.outcome = LoadReport::Outcome::CannotOpen;
        loaded = text.status();
    } else {
        report.outcome = LoadReport::Outcome::Damaged;
        try {
            loaded = loadDiagram(text.value());
        } catch (const std::exception& error) {
            loaded = Status::Error(error.what());
        }
    }
    if (!loaded.ok()) {
        report.error = loaded.message();
        fallBack(report.error);
        loadFrame0();
        return report;
    }
    host_.setNindex();
    report.outcome = LoadReport::Outcome::Loaded;
    report.skipped = skipped_;
    return report;
}

Status DiagramLoader::loadDiagram(const std::string& text) {
    if (text.empty()) {
        editor_.consoleLine("Selected scenario contains no diagram info!");
        loadFrame0();
        return Status::Ok();
    }
    const Result<bool> scanned = scanDiagram(text);
    if (!scanned.ok()) {
        return scanned.status();
    }
    if (scanned.value()) {
        editor_.unselectFrameIcons();
    }
    return Status::Ok();
}

void DiagramLoader::loadFrame0() {
    const std::string directory = hostIO_.baseDirectory() + TEMPLATE_DIR;
    Status loaded = Status::Ok();
    if (const Result<std::string> text = TCLCodeLoader(hostIO_).loadFile(DEFAULT_FRAME0, directory);
        !text.ok()) {
        loaded = text.status();
    } else if (text.value().empty()) {
        loaded = Status::Error(std::string(TEMPLATE_DIR) + DEFAULT_FRAME0 + " is empty");
    } else {
        try {
            loaded = scanDiagram(text.value()).status();
        } catch (const std::exception& error) {
            loaded = Status::Error(error.what());
        }
    }
    if (!loaded.ok()) {
        fallBack(loaded.message());
        loadEmptyFrame0();
    }
    host_.setNindex();
}

void DiagramLoader::loadEmptyFrame0() {
    host_.addLoadedFrame("Frame0", EMPTY_FRAME0_LOCATION);
    editor_.resizePanelToFit();
}

} // namespace crvl
