#include "config/classroom/station_state.h"

namespace crvl {

ParameterRecord MergeParameters(const ParameterRecord& own, const ParameterRecord& record,
                                const ParameterMask& mask) {
    std::array<std::uint8_t, ParameterRecord::kSize> bytes = own.Encode();
    const std::array<std::uint8_t, ParameterRecord::kSize> wanted = record.Encode();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (mask[i])
            bytes[i] = wanted[i];
    }
    return *ParameterRecord::Decode(bytes);
}

std::string_view StateText(StationState state) {
    switch (state) {
    case StationState::Probing:
        return "Searching";
    case StationState::NotTrainer:
        return "Not a trainer";
    case StationState::Connected:
        return "Connected";
    case StationState::Monitoring:
        return "Monitoring";
    case StationState::Lost:
        return "Lost";
    case StationState::HandedOver:
        return "In crvlconfig";
    }
    return {};
}

std::string_view ActionText(ActionKind kind) {
    switch (kind) {
    case ActionKind::Upload:
        return "Upload";
    case ActionKind::Parameters:
        return "Parameters";
    case ActionKind::Monitor:
        return "Monitor";
    case ActionKind::Stop:
        return "Stop";
    }
    return {};
}

std::string_view OutcomeText(ActionOutcome outcome) {
    switch (outcome) {
    case ActionOutcome::Running:
        return "running";
    case ActionOutcome::Done:
        return "done";
    case ActionOutcome::Refused:
        return "refused by the trainer";
    case ActionOutcome::NotStored:
        return "not stored (read back)";
    case ActionOutcome::NoAnswer:
        return "no answer";
    case ActionOutcome::LineLost:
        return "line lost";
    case ActionOutcome::Detached:
        return "detached by the trainer";
    case ActionOutcome::NotConnected:
        return "not connected";
    case ActionOutcome::Busy:
        return "busy monitoring";
    }
    return {};
}

bool Succeeded(ActionOutcome outcome) {
    return outcome == ActionOutcome::Done;
}

} // namespace crvl
