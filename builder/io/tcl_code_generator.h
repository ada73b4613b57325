#pragma once

// Writes a scenario file: the template "template/scenarioProlog.tcl" with its
// placeholders filled in, among them the state table and the saved diagram.
// The format is described in docs/scenario-file.md.

#include "base/status.h"
#include "builder/io/state_table.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace crvl {

class TclControl;

// One line-oriented output file; the generator writes through this so that
// write failures can be exercised.
class ScenarioLineWriter {
public:
    virtual ~ScenarioLineWriter() = default;
    virtual bool openWrite(const std::string& name) = 0;
    virtual bool writeLine(std::string_view text) = 0;
    // True only when the file was open and every byte reached it.
    virtual bool closeFile() = 0;
    // The system's reason for the last failure, if it gave one.
    virtual std::error_code lastError() const { return {}; }
};

// A CharFileWriter for the given directory (Parameters::ENCODING, CR LF).
std::unique_ptr<ScenarioLineWriter> makeCharFileLineWriter(const std::string& directory);

// Local date and time in the form "Wed Dec 09 00:09:41 UTC 2026".
std::string currentDateText();

struct GeneratorInput {
    std::vector<FrameSnapshot> frames; // in canvas order
    std::string diagram;               // the saved-diagram text
    std::string fileName;              // extension included
    std::string directory;             // ends with "/"
    std::string comment;               // one line
};

struct GeneratorHooks {
    // Progress counts 40, 60 and 100 (the editor shows them followed by "...").
    std::function<void(int)> showStatus;
    std::function<std::string()> dateText = currentDateText;
    std::function<std::unique_ptr<ScenarioLineWriter>(const std::string& directory)> makeWriter =
        makeCharFileLineWriter;
};

// Why a scenario file was not written, in the terms the user is told.
enum class SaveFailure {
    None,
    TooManyFrames,     // a frame number beyond the state table's rows
    MissingTemplate,   // template/scenarioProlog.tcl cannot be read
    NoPermission,      // the file may not be written
    FolderNotWritable, // the new file cannot be made beside the old one
    DiskFull,
    FolderInTheWay, // a directory has the file's name
    WriteError,     // any other reason
};

// The failure a system error stands for.
SaveFailure saveFailureOf(std::error_code error);

// Whether the scenario file was written: Status::Ok(), or the reason
// ("Cannot open ...", "File write error ...", ...) with the failure it
// stands for.
struct GenerationResult {
    Status status = Status::Ok();
    SaveFailure failure = SaveFailure::None;

    static GenerationResult Written() { return {}; }
    static GenerationResult Failed(std::string reason, SaveFailure failure) {
        return {Status::Error(std::move(reason)), failure};
    }
    bool ok() const { return status.ok(); }
    // Empty when written.
    const std::string& message() const { return status.message(); }
};

class TCLCodeGenerator {
public:
    static constexpr const char* workDir = "template/";
    static constexpr const char* prologFileName = "template/scenarioProlog.tcl";
    static constexpr const char* CodeGenVersion = "1.0-Corvel";

    TCLCodeGenerator(TclControl& hostIO, GeneratorInput input, GeneratorHooks hooks = {});

    // Fills the state table, expands the template and writes the file. The
    // file is first written under a temporary name beside the target and
    // replaces the target only when every line reached the disk, so a
    // failed save leaves the previous file as it was.
    GenerationResult run();

    // The line with every placeholder replaced, in one pass from the left:
    // text that a value brings in is never searched for placeholders.
    std::string ExpandMacros(std::string_view line) const;

    const StateTable& frameCodes() const { return frameCodes_; }
    const std::string& FinalCode() const { return finalCode_; }
    // The text of the file, lines separated by line feeds.
    const std::string& theScenario() const { return theScenario_; }

    // Name of the temporary file written before it replaces fileName.
    static std::string temporaryName(const std::string& fileName);

private:
    GenerationResult fillStateTable();
    GenerationResult WriteScenarioProlog();
    GenerationResult writeFile();
    void showStatus(int step) const;

    TclControl& hostIO_;
    GeneratorInput in_;
    GeneratorHooks hooks_;
    StateTable frameCodes_;
    FrameProcedure lastFrame_;
    std::string finalCode_;
    std::string date_;
    std::string theScenario_;
};

} // namespace crvl
