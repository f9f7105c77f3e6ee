// Rows per second of the batch calculator in memory: no file system, so the
// figure is the cost of reading, computing and writing the rows alone.
#include "sheet/batch.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <sstream>
#include <streambuf>
#include <string>

namespace {

using orvandel::sheet::batch_job;
using orvandel::sheet::batch_status;

// Accepts and forgets everything written to it.
class discard_buffer : public std::streambuf {
protected:
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

// `rows` rows alternating between a period by dates and one by day counts.
std::string batch_file(std::size_t rows, bool with_day_columns) {
    std::string csv = with_day_columns
                          ? "id,taxpayer,amount,start_date,end_date,days_before,days_after\n"
                          : "id,taxpayer,amount,start_date,end_date\n";
    const char* const amounts[] = {"12345.67", "1234.56", "98765432.10", "5.00", ".50"};
    const char* const periods[] = {"2001-04-21,2001-05-10", "1999-01-01,2002-01-01",
                                   "2001-05-01,2003-07-15", "2000-02-28,2000-03-01"};
    for (std::size_t i = 0; i < rows; ++i) {
        csv += std::to_string(i) + ",T" + std::to_string(i * 7919 % 1000000) + "," +
               amounts[i % 5] + ",";
        if (!with_day_columns || i % 2 == 0) {
            csv += periods[i % 4];
            csv += with_day_columns ? ",,\n" : "\n";
        } else {
            csv += ",," + std::to_string(i % 400) + "," + std::to_string(i % 4000) + "\n";
        }
    }
    return csv;
}

void run(benchmark::State& state, bool with_day_columns) {
    constexpr std::size_t rows = 100000;
    const std::string csv = batch_file(rows, with_day_columns);
    discard_buffer discard;
    std::ostream out(&discard);
    for (auto _ : state) {
        std::istringstream in(csv);
        batch_job job(in);
        if (!job.read_header() || job.run(out) != batch_status::all_rows_ok) {
            state.SkipWithError("the batch failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(rows));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(csv.size()));
}

// Dates only: the rows pass through as they came and the figures are appended.
void batch_by_dates_appended(benchmark::State& state) {
    run(state, false);
}
// Both kinds of row: the day-count columns are filled in place.
void batch_mixed_in_place(benchmark::State& state) {
    run(state, true);
}

BENCHMARK(batch_by_dates_appended)->Unit(benchmark::kMillisecond);
BENCHMARK(batch_mixed_in_place)->Unit(benchmark::kMillisecond);

} // namespace
