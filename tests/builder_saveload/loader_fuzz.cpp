// Loads arbitrary bytes as a scenario file. The loader must neither crash
// nor hang, must always leave a diagram behind, and must never keep a
// connection whose frames are not both on the canvas.

#include "builder/core/tcl_control.h"
#include "tests/builder_saveload/fake_document.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

// A scratch directory for the run, removed when the fuzzer exits.
struct ScratchDir {
    ScratchDir()
        : path(std::filesystem::temp_directory_path() /
               ("crvl_loader_fuzz_" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path / "template");
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path path;
};

const std::string& fuzzDir() {
    static const ScratchDir scratch;
    static const std::string dir = scratch.path.generic_string() + "/";
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string dir = fuzzDir();
    std::ofstream(dir + "fuzz.scn", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    crvl::TclControl io("file:/" + dir);
    crvl::test::FakeDocument doc;
    crvl::DiagramLoader(doc, doc, io).createDiagramFromFile("fuzz.scn", dir);

    const auto frames = doc.frames();
    auto onCanvas = [&](const crvl::ScenarioFrame& frame) {
        for (const auto* f : frames) {
            if (f == &frame) {
                return true;
            }
        }
        return false;
    };
    for (const crvl::Connection* c : doc.connections()) {
        if (!onCanvas(c->getSource()) || !onCanvas(c->getDest())) {
            std::abort();
        }
    }
    return 0;
}
