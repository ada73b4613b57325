// The receive path allocates nothing: neither the decoder and ring, nor the
// reader thread while it reads, decodes and notifies. Counted with a
// replacement of the global operator new in this test program.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>

#include <unistd.h>

#include "link/trainer_link.h"
#include "tests/link/link_test_util.h"
#include "tests/link/ring_test_util.h"
#include "tools/trainersim/pty.h"

// GCC cannot see that operator new below allocates with malloc and warns
// where the standard library's deallocations are inlined into this file.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace {
std::atomic<long> g_allocations{0};
} // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace crvl {
namespace {

using namespace std::chrono_literals;

TEST(ReceiveAllocations, DecoderAndRingAllocateNothing) {
    ReceiveRing ring;
    std::vector<std::uint8_t> stream;
    for (int i = 0; i < 200; ++i) {
        const auto f =
            test::Frame(std::vector<std::uint8_t>(1 + i % 40, static_cast<std::uint8_t>(i)));
        stream.insert(stream.end(), f.begin(), f.end());
    }
    std::uint8_t buffer[kMaxPayload];
    const long before = g_allocations.load();
    int taken = 0;
    for (const std::uint8_t b : stream)
        if (ring.Feed(b) == ReceiveRing::FeedResult::Committed && ring.Take(buffer) > 0)
            ++taken;
    EXPECT_EQ(g_allocations.load() - before, 0);
    EXPECT_EQ(taken, 200);
}

TEST(ReceiveAllocations, ReaderThreadAllocatesNothingWhileReceiving) {
    sim::PseudoTerminal pty;
    const Status opened = pty.Open();
    ASSERT_TRUE(opened.ok()) << opened.message();
    test::PortMapping mapping(9, pty.SlavePath());
    std::atomic<int> notes{0};
    LinkOptions options;
    options.serial.readTimeoutMs = 20;
    TrainerLink link(options);
    ASSERT_EQ(link.Open(9, [&] { notes.fetch_add(1); }), 1);

    const auto frame = test::Frame({0x67, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    const long before = g_allocations.load();
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(::write(pty.MasterFd(), frame.data(), frame.size()),
                  static_cast<ssize_t>(frame.size()));
    for (int i = 0; i < 400 && notes.load() < 50; ++i)
        std::this_thread::sleep_for(5ms);
    const long during = g_allocations.load() - before;
    EXPECT_EQ(notes.load(), 50);
    EXPECT_EQ(during, 0);
    link.Close();
}

} // namespace
} // namespace crvl
