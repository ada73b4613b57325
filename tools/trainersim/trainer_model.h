#pragma once

#include <array>
#include <cstdint>

#include "protocol/trainer_messages.h"

namespace crvl::sim {

// What the simulated trainer holds: its parameters, identity, battery and
// custom scenario slots, and the switches the tool sets.
struct TrainerModel {
    // The trainer's factory settings, the same record as the tool's Load Defaults.
    ParameterRecord parameters = crvl::DefaultParameters();
    std::array<std::uint8_t, kVersionSize> version = {2, 1, 3, 0};
    std::uint8_t batteryRaw = 0xB4;
    std::array<SlotInfo, kSlotCount> slots = DefaultSlots();
    bool attached = false;
    bool monitorReports = false;

    static std::array<SlotInfo, kSlotCount> DefaultSlots();
};

} // namespace crvl::sim
