// Decoder throughput over a long stream of frames of mixed sizes, with the
// consumer taking each message out as it completes.

#include <benchmark/benchmark.h>

#include <vector>

#include "protocol/frame_codec.h"
#include "protocol/receive_ring.h"

namespace {

std::vector<std::uint8_t> Stream(std::size_t frames) {
    std::vector<std::uint8_t> stream;
    std::vector<std::uint8_t> frame(crvl::MaxEncodedSize(crvl::kMaxPayload));
    for (std::size_t i = 0; i < frames; ++i) {
        std::vector<std::uint8_t> payload(1 + (i * 37) % 302);
        for (std::size_t j = 0; j < payload.size(); ++j)
            payload[j] = static_cast<std::uint8_t>(i + j * 7); // a third need escaping
        const std::size_t n = crvl::EncodeFrame(payload, frame.data());
        stream.insert(stream.end(), frame.begin(), frame.begin() + static_cast<long>(n));
    }
    return stream;
}

void BM_DecodeStream(benchmark::State& state) {
    const auto stream = Stream(static_cast<std::size_t>(state.range(0)));
    crvl::ReceiveRing ring;
    std::uint8_t buffer[crvl::kMaxPayload];
    std::size_t messages = 0;
    for (auto _ : state) {
        for (const std::uint8_t b : stream)
            if (ring.Feed(b) == crvl::ReceiveRing::FeedResult::Committed)
                messages += ring.Take(buffer) > 0 ? 1 : 0;
        benchmark::DoNotOptimize(messages);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
    state.counters["messages"] = static_cast<double>(messages);
}
BENCHMARK(BM_DecodeStream)->Arg(10000);

void BM_EncodeFrame(benchmark::State& state) {
    std::vector<std::uint8_t> payload(static_cast<std::size_t>(state.range(0)));
    for (std::size_t j = 0; j < payload.size(); ++j)
        payload[j] = static_cast<std::uint8_t>(j);
    std::vector<std::uint8_t> out(crvl::MaxEncodedSize(payload.size()));
    for (auto _ : state)
        benchmark::DoNotOptimize(crvl::EncodeFrame(payload, out.data()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * payload.size()));
}
BENCHMARK(BM_EncodeFrame)->Arg(302)->Arg(1024);

} // namespace
