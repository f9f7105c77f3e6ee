// Time of compute_debt on one debt of 1,000 payments: spread over 2015..2024
// so that both the 配比 and the tax-first rule divide them, and on the widest
// amounts, where every 配比 share needs the 128-bit division.
#include "calc/debt.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

namespace {

using namespace orvandel::calc;
using namespace std::chrono;

constexpr int payment_count = 1000;

// Payments every three days from the day after the deadline, each a share of
// the tax small enough that tax is owed to the end.
debt_input debt_of(std::int64_t tax_cents, sys_days due) {
    debt_input in;
    in.tax = money{tax_cents, 2};
    in.due_date = date{due};
    for (int i = 1; i <= payment_count; ++i) {
        in.payments.push_back({date{due + days{3 * i}}, money{tax_cents / 1500 + i, 2}});
    }
    in.as_of = date{due + days{3 * payment_count + 30}};
    return in;
}

void run(benchmark::State& state, const debt_input& in) {
    for (auto _ : state) {
        auto figures = compute_debt(in);
        benchmark::DoNotOptimize(figures);
    }
    state.SetItemsProcessed(state.iterations() * payment_count);
}

void debt_of_1000_payments_both_rules(benchmark::State& state) {
    run(state, debt_of(10'000'000'000, sys_days{2015y / June / 15}));
}

void debt_of_1000_payments_widest_proportional(benchmark::State& state) {
    run(state, debt_of(99'999'999'999'999, sys_days{1992y / June / 15}));
}

BENCHMARK(debt_of_1000_payments_both_rules)->Unit(benchmark::kMicrosecond);
BENCHMARK(debt_of_1000_payments_widest_proportional)->Unit(benchmark::kMicrosecond);

} // namespace
