// Time of one compute_late_fee call, by dates and by day counts, over a
// spread of inputs so that no single branch is measured alone.
#include "calc/date.h"
#include "calc/fee.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace orvandel::calc;

constexpr std::size_t input_count = 1024; // a power of two, for the cheap index below

// A small linear congruential generator: the same inputs on every run.
struct sequence {
    std::uint64_t state = 20010501;
    std::uint64_t next(std::uint64_t bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return (state >> 33) % bound;
    }
};

money some_amount(sequence& s) {
    // From a few yuan to the widest amount the form admits.
    const std::uint64_t digits = 1 + s.next(12);
    std::uint64_t whole = 1;
    for (std::uint64_t i = 0; i < digits; ++i) {
        whole = whole * 10 + s.next(10);
    }
    return money{static_cast<std::int64_t>(whole * 100 + s.next(100)), 2};
}

std::vector<late_fee_input> inputs(entry_mode mode) {
    sequence s;
    std::vector<late_fee_input> all(input_count);
    const std::chrono::sys_days base{std::chrono::year{1998} / 1 / 1};
    for (late_fee_input& in : all) {
        in.amount_due = some_amount(s);
        in.mode = mode;
        const auto start = base + std::chrono::days{static_cast<int>(s.next(2500))};
        in.start_date = date{start};
        in.end_date = date{start + std::chrono::days{static_cast<int>(s.next(2500))}};
        in.days_before = static_cast<day_count>(s.next(1000000));
        in.days_after = static_cast<day_count>(s.next(1000000));
    }
    return all;
}

void run(benchmark::State& state, entry_mode mode) {
    const std::vector<late_fee_input> all = inputs(mode);
    std::size_t i = 0;
    for (auto _ : state) {
        auto figures = compute_late_fee(all[i]);
        benchmark::DoNotOptimize(figures);
        i = (i + 1) & (input_count - 1);
    }
    state.SetItemsProcessed(state.iterations());
}

void compute_late_fee_by_dates(benchmark::State& state) {
    run(state, entry_mode::by_dates);
}
void compute_late_fee_by_days(benchmark::State& state) {
    run(state, entry_mode::by_days);
}

BENCHMARK(compute_late_fee_by_dates);
BENCHMARK(compute_late_fee_by_days);

} // namespace
