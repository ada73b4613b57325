// crvlctl's wall time at a lab bench: params on a known port, and find --all
// over sixteen ports of which four hold a simulated trainer and the others
// are missing. Each iteration is one whole run of the program.
#include "tests/cli/ctl_process.h"

#include <benchmark/benchmark.h>

namespace {

using crvl::cli::test::CtlResult;
using crvl::cli::test::RunCtl;
using crvl::cli::test::Trainer;

void Check(const CtlResult& run, benchmark::State& state) {
    if (run.code != 0)
        state.SkipWithError(run.err.c_str());
}

void BM_ParamsOnAKnownPort(benchmark::State& state) {
    Trainer trainer;
    for (auto _ : state)
        Check(RunCtl({"--port", trainer.Path(), "--quiet", "params"}), state);
    state.SetLabel("crvlctl params, wall time of one run");
}
BENCHMARK(BM_ParamsOnAKnownPort)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_FindAllOverSixteenPorts(benchmark::State& state) {
    std::vector<std::unique_ptr<Trainer>> trainers;
    std::vector<std::string> env;
    for (int n = 1; n <= 16; ++n) {
        std::string device = "/nonexistent/crvlctl-bench-com" + std::to_string(n);
        if (n % 4 == 2) {
            trainers.push_back(std::make_unique<Trainer>());
            device = trainers.back()->Path();
        }
        env.push_back("CRVL_COM" + std::to_string(n) + "=" + device);
    }
    for (auto _ : state)
        Check(RunCtl({"--quiet", "find", "--all"}, env), state);
    state.SetLabel("crvlctl find --all, 16 ports, 4 trainers, wall time of one run");
}
BENCHMARK(BM_FindAllOverSixteenPorts)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
