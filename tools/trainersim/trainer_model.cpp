#include "tools/trainersim/trainer_model.h"

#include <string>

namespace crvl::sim {

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
