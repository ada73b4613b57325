// Arbitrary trainer messages in arbitrary states: the connection logic must
// never read past a message, whatever its length.
#include "tests/config/fakes.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace crvl;
    testing::FakeLink link;
    link.goodPorts = {1, 2};
    testing::RecordingView view;
    int pending = 0;
    LinkMachine machine(link, view, [&pending] { ++pending; });
    machine.ConnectPressed();
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t op = data[i++];
        switch (op % 8) {
        case 0:
            machine.Tick();
            break;
        case 1:
            machine.ConnectPressed();
            break;
        case 2:
            machine.StartSlotRead();
            break;
        case 3:
            machine.MarkChanged();
            machine.CollectAndWrite();
            break;
        default: {
            // A message of up to 31 bytes, or a full slot reply's length.
            std::size_t length = op >> 3;
            if (length == 31) {
                length = 302;
            }
            length = std::min(length, size - i);
            if (length > 0) {
                link.Deliver(Bytes(data + i, data + i + length));
                i += length;
            }
            break;
        }
        }
        while (pending > 0) {
            --pending;
            machine.Dispatch();
        }
        view.events.clear();
    }
    return 0;
}
