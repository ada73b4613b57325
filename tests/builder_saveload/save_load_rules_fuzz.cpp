// Arbitrary comments and names through the save and load dialogs' rules.
// A comment is stored on one line; read back from a saved file it comes out
// as the comment field would show it, and saving that again stores the same
// line. Any file contents before the diagram give a comment or none, never a
// crash. A name the dialog accepts holds neither a separator nor a blank,
// comes back unchanged when the saved file is proposed again, and shows in
// the load list as itself.
//
// Input: "C" and a typed comment, "N" and a typed name, or else a whole file
// (so the shipped scenarios seed the file reading).

#include "builder/core/tcl_control.h"
#include "builder/editor/save_load_rules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

using namespace crvl;

// A scratch directory for the run, removed when the fuzzer exits.
struct ScratchDir {
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "crvl_comment_fuzz_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path = pattern + "/";
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string path;
};

const std::string& scratchDirectory() {
    static const ScratchDir dir;
    return dir.path;
}

std::optional<std::string> readBack(const std::string& contents) {
    const std::string& dir = scratchDirectory();
    {
        std::ofstream file(dir + "fuzz.scn", std::ios::binary | std::ios::trunc);
        file << contents;
    }
    TclControl io(dir);
    return readScenarioComment(io, "fuzz.scn", dir);
}

// What the comment field gives back: its lines joined by line feeds.
std::string asTheFieldShowsIt(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out;
}

void checkComment(std::string_view typed) {
    // What a user can type: printable characters, tabs and line breaks.
    std::string text;
    for (char c : typed) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\t' || c == '\r' || c == '\n' || (u >= 32 && u < 127)) {
            text += c;
        }
    }
    const std::string stored = encodeComment(text);
    if (stored.find_first_of("\r\n") != std::string::npos) {
        std::abort();
    }
    const auto read = readBack("# Scenario\n# Comment:  " + stored + "\n#BeginSavedDiagram\n");
    if (!read || read->find('\t') != std::string::npos) {
        std::abort();
    }
    // Blanks at the end of the line are kept, so the field shows the comment
    // as it was typed, every line break now CR LF.
    if (encodeComment(asTheFieldShowsIt(*read)) != stored) {
        std::abort();
    }
}

void checkAnyFile(std::string_view contents) {
    const auto read = readBack(std::string(contents));
    if (!read) {
        std::abort();
    }
}

void checkName(std::string_view typed) {
    // What a user can type into the name field, in ASCII: the file names'
    // encoding is a matter of the file system, not of these rules.
    std::string name;
    for (char c : typed.substr(0, 200)) {
        if (c >= 32 && c < 127) {
            name += c;
        }
    }
    if (!acceptableScenarioName(name)) {
        return;
    }
    name = blanksToUnderscores(name);
    if (name.find_first_of("/\\ ") != std::string::npos ||
        nameFromProposal("scenarios/" + name + ".scn") != name) {
        std::abort();
    }
    // The saved file appears in the load list under exactly that name.
    const std::string& dir = scratchDirectory();
    const std::filesystem::path file = std::filesystem::path(dir) / "scenarios" / (name + ".scn");
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << "# Comment:  \n";
    TclControl io(dir);
    const std::string list = MenuControl("scenarios/", io, ".scn").getMenus();
    std::filesystem::remove(file);
    if (list != name + ";") {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0]) {
    case 'C':
        checkComment(text);
        break;
    case 'N':
        checkName(text);
        break;
    default:
        checkAnyFile(std::string_view(reinterpret_cast<const char*>(data), size));
        break;
    }
    return 0;
}
