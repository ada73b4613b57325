#pragma once

#include <filesystem>

namespace crvl::update {

// The folder the running program lies in, where crvlupd.ini and loaders/
// are found; argv0 is the fallback where the system does not say.
std::filesystem::path ProgramDirectory(const char* argv0);

} // namespace crvl::update
