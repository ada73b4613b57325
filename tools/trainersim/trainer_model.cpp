#include "trainer_model.h"

#include <string>

namespace crvl::sim {

ParameterRecord TrainerModel::DefaultParameters() {
    ParameterRecord p;
    // The trainer's factory settings, the same as the tool's Load Defaults.
    p.speakerVolume = 8;
    p.defaultScenario = 1;
    p.cprPause = 0;
    p.shockSeries = 1;
    p.protocolTimeout = 60;
    p.cprTimer = 120;
    p.noShockPause = 120;
    p.promptInterval = 60;
    p.padTolerance = 170;
    p.options = 0;
    return p;
}

std::array<SlotInfo, kSlotCount> TrainerModel::DefaultSlots() {
    std::array<SlotInfo, kSlotCount> slots{};
    for (std::size_t s = 0; s < slots.size(); ++s) {
        slots[s].SetName("Custom " + std::to_string(s + 1));
        // An empty table: every cell unset, each row carrying its number.
        slots[s].table.cells.fill(0xFF);
        for (std::size_t r = 0; r < ScenarioTable::kRows; ++r)
            slots[s].table.At(r, 0) = static_cast<std::uint8_t>(r);
    }
    return slots;
}

} // namespace crvl::sim
