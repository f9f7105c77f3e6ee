// Payment rows per second of the batch on debts paid in parts, in memory:
// 100,000 debts of 10 payments each (1,100,000 rows, 1,000,000 of them
// payments), their payments on both sides of 2020-03-01 so that both rules
// divide them. Once with the rows of each debt together, once with every
// row of the file in a shuffled order, which the batch must gather the same.
#include "sheet/batch.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

using orvandel::sheet::batch_job;
using orvandel::sheet::batch_status;
using namespace std::chrono;

constexpr std::size_t debts = 100000;
constexpr std::size_t payments_per_debt = 10;

// Accepts and forgets everything written to it.
class discard_buffer : public std::streambuf {
protected:
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

std::string day_text(sys_days day) {
    const year_month_day d{day};
    char text[11];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(d.year()),
                  static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
    return text;
}

// The rows of the file after its header: each debt's row, then its payments
// a month apart from a month after its 缴款期限.
std::vector<std::string> debt_rows() {
    std::vector<std::string> rows;
    rows.reserve(debts * (payments_per_debt + 1));
    const sys_days first_due{2019y / June / 15};
    for (std::size_t d = 0; d < debts; ++d) {
        const sys_days due = first_due + days{static_cast<int>(d % 300)};
        const std::string id = "D" + std::to_string(d);
        const long tax = 100000 + static_cast<long>(d % 97) * 1000;
        rows.push_back(id + ",增值税," + std::to_string(tax) + ".00," + day_text(due) + ",,");
        for (std::size_t p = 1; p <= payments_per_debt; ++p) {
            rows.push_back(id + ",," + ",," + day_text(due + days{31 * static_cast<int>(p)}) + "," +
                           std::to_string(tax / 12 + static_cast<long>(p)) + ".50");
        }
    }
    return rows;
}

std::string file_of(const std::vector<std::string>& rows) {
    std::string csv = "item_id,item,amount,due_date,pay_date,paid_amount\n";
    for (const std::string& row : rows) {
        csv.append(row).append("\n");
    }
    return csv;
}

void run(benchmark::State& state, const std::string& csv) {
    discard_buffer discard;
    std::ostream out(&discard);
    for (auto _ : state) {
        std::istringstream in(csv);
        batch_job job(in);
        job.set_as_of(year_month_day{2022y / December / 31});
        if (!job.read_header() || job.run(out) != batch_status::all_rows_ok) {
            state.SkipWithError("the batch failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(debts) *
                            static_cast<std::int64_t>(payments_per_debt));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(csv.size()));
}

void debts_in_order(benchmark::State& state) {
    run(state, file_of(debt_rows()));
}

void debts_shuffled(benchmark::State& state) {
    std::vector<std::string> rows = debt_rows();
    std::shuffle(rows.begin(), rows.end(), std::mt19937(20200301));
    run(state, file_of(rows));
}

BENCHMARK(debts_in_order)->Unit(benchmark::kMillisecond);
BENCHMARK(debts_shuffled)->Unit(benchmark::kMillisecond);

} // namespace
