// Arbitrary file contents through the scenario table reader, including
// contents longer than the part of a file that is read.
#include "scenario/scenario_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(std::span<const std::uint8_t> bytes) {
    const crvl::TableScan scan = crvl::ScanScenarioTable(bytes);
    if (scan.cellsStored > crvl::ScenarioTable::kSize)
        std::abort();
    const std::size_t nameLength = bytes.size() < 64 ? bytes.size() : 64;
    const crvl::ScenarioFile file = crvl::ParseScenarioFile(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), nameLength), bytes);
    if (file.name.size() > crvl::SlotInfo::kNameSize)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Check({data, size});
    // The fuzzer's inputs are short; repeat this one past the read limit so
    // the cut at 15000 bytes is exercised too.
    if (size > 0 && (data[0] & 1) != 0) {
        std::vector<std::uint8_t> big;
        big.reserve(crvl::kScenarioFileReadLimit + size);
        while (big.size() <= crvl::kScenarioFileReadLimit)
            big.insert(big.end(), data, data + size);
        Check(big);
    }
    return 0;
}
