#pragma once

// The builder's global settings: one set for the whole program.

#include <string>

namespace crvl {

class Parameters {
public:
    Parameters() = delete;

    // Character set of every text file the builder reads and writes and of
    // the language file. The only setting changed at run time: the language
    // file's ENCODING line replaces it once at start-up.
    static inline std::string ENCODING = "Cp1252";

    // Output boxes shown in each frame (2 or 3).
    static constexpr int NUM_OF_EVENTBOXES = 2;
    // Largest number of frames in a scenario; the state table has this many rows.
    static constexpr int MAX_NUM_OF_FRAMES = 20;

    static inline const std::string SCENARIO_DIR = "scenarios/";
    static inline const std::string SCENARIO_EXTENSION = ".scn";
    static inline const std::string DEFAULT_FILENAME = "Default";
    static inline const std::string SCENARIO_EDIT_HELP = "help/Se.html";
};

} // namespace crvl
