#include "builder/io/tcl_code_loader.h"

#include "builder/core/tcl_control.h"
#include "builder/model/connection.h"
#include "builder/model/frame_editor.h"
#include "builder/model/saved_diagram_tags.h"
#include "builder/model/saved_text.h"
#include "builder/model/scenario_frame.h"

#include <algorithm>
#include <exception>
#include <string_view>

namespace crvl {

namespace {

using namespace saved_diagram;

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

Result<std::string> nextLine(SavedLineReader& lines, const std::string& where) {
    auto line = lines.next();
    if (!line) {
        return Status::Error("Unexpected end of the saved diagram in " + where);
    }
    return std::move(*line);
}

// The value of a tagged line: everything after its leading "#"; nothing when
// the line has no "#".
std::optional<std::string> taggedValue(const std::string& line) {
    if (line.empty() || line[0] != '#') {
        return std::nullopt;
    }
    return line.substr(1);
}

// 1 to 3 for the line "#Output1" to "#Output3", else 0.
int outputNumber(const std::string& line) {
    if (line.size() == kOutput.size() + 1 && line.starts_with(kOutput)) {
        const char number = line.back();
        return number >= '1' && number <= '3' ? number - '0' : 0;
    }
    return 0;
}

// A saved line as the user may find it in the file: tabs shown as blanks.
std::string shownLine(std::string line) {
    std::replace(line.begin(), line.end(), '\t', ' ');
    return line;
}

// Reads a type line and an attribute line; the element they name, if any.
// A pair that cannot be read is listed in skipped under the frame's title;
// only a diagram that ends before the attribute line fails.
Result<std::optional<SavedElement>> readElementPair(const std::string& typeLine,
                                                    SavedLineReader& lines,
                                                    const std::string& where, SavedFrame& frame) {
    const Result<std::string> attributeLine = nextLine(lines, where);
    if (!attributeLine.ok()) {
        return attributeLine.status();
    }
    const auto skip = [&]() -> std::optional<SavedElement> {
        frame.skipped.push_back(frame.title + ": " + shownLine(typeLine) + " " +
                                shownLine(attributeLine.value()));
        return std::nullopt;
    };
    std::optional<std::string> type = taggedValue(typeLine);
    std::optional<std::string> attributes = taggedValue(attributeLine.value());
    if (!type || !attributes) {
        return skip();
    }
    Result<std::unique_ptr<ScenarioElement>> element = getScenarioElement(*type, *attributes);
    if (!element.ok()) {
        return skip();
    }
    if (!element.value()) {
        return std::optional<SavedElement>();
    }
    SavedElement saved;
    saved.type = std::move(*type);
    saved.attributes = std::move(*attributes);
    saved.element = std::move(element).value();
    return std::optional<SavedElement>(std::move(saved));
}

// The lines of a frame's block after its header, up to and including
// "#EndFrameIconComponent"; fails at a line missing.
Status readFrameBody(SavedLineReader& lines, SavedFrame& frame) {
    const std::string where = "frame " + frame.title;
    for (;;) {
        const Result<std::string> line = nextLine(lines, where);
        if (!line.ok()) {
            return line.status();
        }
        if (line.value() == kFrameEnd) {
            return Status::Ok();
        }
        if (line.value() == kActionList) {
            for (;;) {
                const Result<std::string> typeLine = nextLine(lines, where);
                if (!typeLine.ok()) {
                    return typeLine.status();
                }
                if (typeLine.value() == kActionListEnd) {
                    break;
                }
                Result<std::optional<SavedElement>> action =
                    readElementPair(typeLine.value(), lines, where, frame);
                if (!action.ok()) {
                    return action.status();
                }
                if (action.value()) {
                    frame.actions.push_back(std::move(*action.value()));
                }
            }
        } else if (const int output = outputNumber(line.value()); output != 0) {
            const Result<std::string> typeLine = nextLine(lines, where);
            if (!typeLine.ok()) {
                return typeLine.status();
            }
            Result<std::optional<SavedElement>> element =
                readElementPair(typeLine.value(), lines, where, frame);
            if (!element.ok()) {
                return element.status();
            }
            frame.outputs[static_cast<std::size_t>(output - 1)] = std::move(element).value();
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
    if (Status read = readFrameBody(lines, frame); !read.ok()) {
        return read;
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
        if (*line == kFramesEnd) {
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

Result<DiagramLoader::ScanEnd> DiagramLoader::scanDiagram(const std::string& text) {
    SavedLineReader lines(text);
    ScanEnd end = ScanEnd::NoFrames;
    while (auto line = lines.next()) {
        if (*line == kFrames) {
            end = ScanEnd::NoDiagramEnd;
            if (Status loaded = loadFrameIconComponents(lines); !loaded.ok()) {
                return loaded;
            }
        } else if (*line == kConnections) {
            loadConnections(lines);
        } else if (*line == kDiagramEnd) {
            return end == ScanEnd::NoFrames ? ScanEnd::NoFrames : ScanEnd::DiagramEnd;
        }
    }
    return end;
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
        // The host builds the frames; whatever it throws (memory running
        // out) ends this load like a damaged file, never the program.
        try {
            loaded = loadDiagram(text.value(), report.outcome);
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

Status DiagramLoader::loadDiagram(const std::string& text, LoadReport::Outcome& outcome) {
    // A file without its drawing (a state table alone, a text file, the
    // first half of a scenario) would leave a canvas without Frame0 or with
    // part of the frames: the user is told, and gets the start frame.
    const Result<ScanEnd> scanned = scanDiagram(text);
    if (!scanned.ok()) {
        return scanned.status();
    }
    switch (scanned.value()) {
    case ScanEnd::NoFrames:
        outcome = LoadReport::Outcome::NoDiagram;
        return Status::Error("Selected scenario contains no diagram info!");
    case ScanEnd::NoDiagramEnd:
        outcome = LoadReport::Outcome::DiagramCut;
        return Status::Error("The diagram ends before " + std::string(kDiagramEnd));
    case ScanEnd::DiagramEnd:
        break;
    }
    editor_.unselectFrameIcons();
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
