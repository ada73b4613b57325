#include "builder/io/tcl_code_generator.h"

#include "base/utf8_files.h"

#include "builder/core/builder_services.h"
#include "builder/core/char_file_writer.h"
#include "builder/core/tcl_control.h"

#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

namespace crvl {

namespace {

// The progress counts a save shows ("40...", "60...", "100..."): the
// template is filled in, every line is written, the file has taken its place.
constexpr int kStatusPrologFilled = 40;
constexpr int kStatusLinesWritten = 60;
constexpr int kStatusFileInPlace = 100;

class CharFileLineWriter final : public ScenarioLineWriter {
public:
    explicit CharFileLineWriter(const std::string& directory) : writer_(directory) {}
    bool openWrite(const std::string& name) override { return writer_.openWrite(name); }
    bool writeLine(std::string_view text) override { return writer_.writeLine(text); }
    bool closeFile() override { return writer_.closeFile(); }
    std::error_code lastError() const override { return writer_.lastError(); }

private:
    CharFileWriter writer_;
};

// Line breaks would start lines without "#" in the middle of the comment
// line, which the configuration tool refuses; they become tabs, as the save
// dialog writes them.
std::string commentOnOneLine(std::string comment) {
    for (char& c : comment) {
        if (c == '\r' || c == '\n') {
            c = '\t';
        }
    }
    return comment;
}

// The pieces between line feeds; trailing empty pieces are dropped.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    while (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

} // namespace

SaveFailure saveFailureOf(std::error_code error) {
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system) {
        return SaveFailure::NoPermission;
    }
    if (error == std::errc::no_space_on_device || error == std::errc::file_too_large) {
        return SaveFailure::DiskFull;
    }
#ifdef EDQUOT
    if (error == std::error_code(EDQUOT, std::generic_category())) {
        return SaveFailure::DiskFull;
    }
#endif
    if (error == std::errc::is_a_directory) {
        return SaveFailure::FolderInTheWay;
    }
    return SaveFailure::WriteError;
}

std::unique_ptr<ScenarioLineWriter> makeCharFileLineWriter(const std::string& directory) {
    return std::make_unique<CharFileLineWriter>(directory);
}

std::string currentDateText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[64];
    if (std::strftime(text, sizeof text, "%a %b %d %H:%M:%S %Z %Y", &local) == 0) {
        return {};
    }
    return text;
}

TCLCodeGenerator::TCLCodeGenerator(TclControl& hostIO, GeneratorInput input, GeneratorHooks hooks)
    : hostIO_(hostIO), in_(std::move(input)), hooks_(std::move(hooks)) {
    in_.comment = commentOnOneLine(std::move(in_.comment));
}

std::string TCLCodeGenerator::temporaryName(const std::string& fileName) {
    return fileName + ".saving";
}

void TCLCodeGenerator::showStatus(int step) const {
    if (hooks_.showStatus) {
        hooks_.showStatus(step);
    }
}

GenerationResult TCLCodeGenerator::run() {
    date_ = hooks_.dateText ? hooks_.dateText() : std::string();
    if (auto result = fillStateTable(); !result.ok()) {
        return result;
    }
    finalCode_ = frameCodes_.finalCode();
    if (auto result = WriteScenarioProlog(); !result.ok()) {
        return result;
    }
    showStatus(kStatusPrologFilled);
    return writeFile();
}

GenerationResult TCLCodeGenerator::fillStateTable() {
    for (const auto& frame : in_.frames) {
        const auto number = frameNumberFromTitle(frame.title);
        if (!number) {
            return GenerationResult::Failed("Frame title without a number: " + frame.title,
                                            SaveFailure::WriteError);
        }
        if (*number >= kStateTableRows) {
            return GenerationResult::Failed("Frame number too large for the state table: " +
                                                frame.title,
                                            SaveFailure::TooManyFrames);
        }
        lastFrame_ = frameCodes_.writeProcedure(frame, *number);
    }
    return GenerationResult::Written();
}

std::string TCLCodeGenerator::ExpandMacros(std::string_view line) const {
    static const std::string version = CodeGenVersion;
    const std::pair<std::string_view, const std::string*> placeholders[] = {
        {"%ScenarioFileName%", &in_.fileName},
        {"%Diagram%", &in_.diagram},
        {"%Date%", &date_},
        {"%CODEGEN_VERSION%", &version},
        {"%Comment%", &in_.comment},
        {"%Code%", &finalCode_},
        {"%ProcName%", &lastFrame_.procName},
        {"%returnValue1%", &lastFrame_.returnValue[0]},
        {"%returnValue2%", &lastFrame_.returnValue[1]},
        {"%returnValue3%", &lastFrame_.returnValue[2]},
        {"%resultState1%", &lastFrame_.resultState[0]},
        {"%resultState2%", &lastFrame_.resultState[1]},
        {"%resultState3%", &lastFrame_.resultState[2]},
        {"%expectStatements1%", &lastFrame_.expectStatements[0]},
        {"%expectStatements2%", &lastFrame_.expectStatements[1]},
        {"%expectStatements3%", &lastFrame_.expectStatements[2]},
        {"%actionStatements%", &lastFrame_.actionStatements},
    };
    std::string out;
    out.reserve(line.size());
    std::size_t pos = 0;
    while (pos < line.size()) {
        bool replaced = false;
        if (line[pos] == '%') {
            for (const auto& [name, value] : placeholders) {
                if (line.substr(pos).starts_with(name)) {
                    out += *value;
                    pos += name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            out += line[pos++];
        }
    }
    return out;
}

GenerationResult TCLCodeGenerator::WriteScenarioProlog() {
    const auto handle = hostIO_.openRead(prologFileName);
    if (!handle) {
        return GenerationResult::Failed(std::string("Cannot open ") + prologFileName,
                                        SaveFailure::MissingTemplate);
    }
    theScenario_.clear();
    // A last line without a line break is not part of the template.
    while (auto line = hostIO_.readLine(*handle)) {
        if (hostIO_.eof(*handle)) {
            break;
        }
        theScenario_ += ExpandMacros(*line);
        theScenario_ += '\n';
    }
    hostIO_.close(*handle);
    return GenerationResult::Written();
}

GenerationResult TCLCodeGenerator::writeFile() {
    namespace fs = std::filesystem;
    const std::string target = in_.directory + in_.fileName;
    std::error_code ec;
    if (fs::is_directory(PathFromUtf8(target), ec)) {
        return GenerationResult::Failed("Cannot open " + in_.fileName, SaveFailure::FolderInTheWay);
    }
    // A read-only scenario is not replaced behind the user's back; the save
    // dialog asks first and makes it writable.
    if (fs::exists(PathFromUtf8(target), ec) && getFileReadOnly(target)) {
        return GenerationResult::Failed("Cannot open " + in_.fileName, SaveFailure::NoPermission);
    }
    const std::string tempName = temporaryName(in_.fileName);
    const fs::path tempPath = PathFromUtf8(in_.directory + tempName);
    auto writer = hooks_.makeWriter(in_.directory);
    if (!writer) {
        return GenerationResult::Failed("Cannot open " + in_.fileName, SaveFailure::WriteError);
    }
    // The file is written beside the old one and renamed over it: a refusal
    // there is the folder's, however writable the old file is.
    auto folderFailure = [](std::error_code why) {
        const SaveFailure failure = saveFailureOf(why);
        return failure == SaveFailure::NoPermission ? SaveFailure::FolderNotWritable : failure;
    };
    if (!writer->openWrite(tempName)) {
        const std::error_code why = writer->lastError();
        return GenerationResult::Failed("Cannot open " + in_.fileName, folderFailure(why));
    }
    auto fail = [&]() {
        const std::error_code why = writer->lastError();
        writer->closeFile();
        fs::remove(tempPath, ec);
        return GenerationResult::Failed("File write error " + in_.fileName, saveFailureOf(why));
    };
    for (const auto& line : splitLines(theScenario_)) {
        if (!writer->writeLine(line)) {
            return fail();
        }
    }
    showStatus(kStatusLinesWritten);
    if (!writer->closeFile()) {
        return fail();
    }
    fs::rename(tempPath, PathFromUtf8(target), ec);
    if (ec) {
        const std::error_code why = ec;
        fs::remove(tempPath, ec);
        return GenerationResult::Failed("File write error " + in_.fileName, folderFailure(why));
    }
    showStatus(kStatusFileInPlace);
    return GenerationResult::Written();
}

} // namespace crvl
