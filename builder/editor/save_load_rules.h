#pragma once

// The rules of the save and load dialogs that need no window: the comment's
// one-line form, the name field, the comment read from a scenario file and
// the list of scenario names.

#include <optional>
#include <string>
#include <string_view>

namespace crvl {

class TclControl;

// The comment as the generator stores it, on one line: every carriage return
// and every line feed becomes a tab, every tab four spaces.
std::string encodeComment(std::string_view text);
// A stored comment for the comment field: every tab becomes CR LF.
std::string decodeComment(std::string_view stored);

// The name field's text for a proposed name: a leading "scenarios/" and a
// trailing ".tcl" or ".scn" are removed.
std::string nameFromProposal(std::string name);
// Every blank of a name typed in the dialog becomes "_".
std::string blanksToUnderscores(std::string name);
// Whether OK may go on with a name: not empty after trimming blanks, without
// "/" or "\", which would lead out of the scenario directory, and without
// ";", which separates the names of the scenario list (such a file would be
// listed under other names, and saving over it would not ask first).
bool acceptableScenarioName(std::string_view name);

// The comment of the scenario file path + filename, decoded: the rest of
// its first "# Comment:" line from the thirteenth character on; empty when
// the file has none before "#BeginSavedDiagram". None when the file cannot
// be opened (the console then shows "Cannot open " + path + filename).
std::optional<std::string> readScenarioComment(TclControl& io, const std::string& filename,
                                               const std::string& path);

// The scenario names of a directory under the base location.
class MenuControl {
public:
    MenuControl(std::string directory, TclControl& io, std::string extension)
        : directory_(std::move(directory)), io_(io), extension_(std::move(extension)) {}

    // Creates the directory when missing, then lists the files matching
    // "*" + extension, each name cut before its last "." and followed by ";".
    std::string getMenus();

private:
    std::string directory_;
    TclControl& io_;
    std::string extension_;
};

} // namespace crvl
