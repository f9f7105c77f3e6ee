#include "run_cli.h"

#include "deadline.h"
#include "debt.h"
#include "options.h"
#include "single.h"

#include "calc/fee.h"
#include "sheet/batch.h"

#include "sheet/workbook_sink.h"
#include "sheet/workbook_source.h"
#include "sheet/xlsx_reader.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace orvandel::cli {
namespace {

constexpr std::string_view program = "orvandel-cli: ";

constexpr std::string_view help = R"(Usage:
  orvandel-cli --amount AMOUNT --from YYYY-MM-DD --to YYYY-MM-DD [--json]
  orvandel-cli --amount AMOUNT --due YYYY-MM-DD --paid YYYY-MM-DD [--json]
  orvandel-cli --amount AMOUNT --days-before N --days-after N [--json]
  orvandel-cli --amount AMOUNT --period PERIOD --paid YYYY-MM-DD [--json]
  orvandel-cli --deadline PERIOD [--json]
  orvandel-cli --amount AMOUNT --due YYYY-MM-DD --payment YYYY-MM-DD=AMOUNT...
               [--as-of YYYY-MM-DD] [--stop YYYY-MM-DD] [--json]
  orvandel-cli --batch IN.csv|IN.xlsx [--sheet NAME] [--as-of YYYY-MM-DD]
               [-o OUT.csv|OUT.xlsx]
  orvandel-cli --help

Computes the late-payment surcharge on an amount of tax: {rate_before} per day for
overdue days before 2001-05-01 and {rate_after} per day from 2001-05-01 on, each
side rounded to the cent (half a cent away from zero). Of a period from one
date to another (--from, --to), the start day is overdue and the end day is
not, as on the form. --due is the last day to pay without surcharge and
--paid the day the tax was paid: the overdue days are the days after the due
date through the day paid, both included (--from due + 1 day, --to paid + 1
day); paid on or before the due date, there is no surcharge ("未逾期").

AMOUNT is digits with an optional point: at most 12 integer digits and 2
decimals, no sign, exponent or grouping ("12345.67", ".50", "30"). N is one to
six digits. Options may also be written --amount=AMOUNT.

One calculation prints the form's lines with the figures; --json prints one
object instead: days_before, days_after, total_days as integers, fee_before,
fee_after, total_fee, tax_and_fee_total as strings with two decimals. A start
date after the end date prints the form's message on standard error.

Filing calendar: PERIOD is a tax period (税款所属期), a month ("2024-04",
"2024年4月") or a quarter ("2024Q1", "2024年第1季度"), whose tax falls due in
the month after it. --deadline prints that month's deadline (缴款期限) and its
source; --period takes it in place of --due, and the output says where it
comes from (税款所属期 and 备注; with --json, the members below after the
figures). The source is the State Taxation Administration's published
calendar of the year, named by its notice, for 2018 and 2020..2026. Other
years are derived from the holidays and weekends of 2004..2026 and labelled
推算: from the base day (the 15th, the 10th before 2009), the rest days from
the 1st to it that lie in runs of three or more (N) move the deadline, by the
calendar rule up to 2017 (base day + N days, then the next working day) and
by the working-day rule from 2018 (the N-th working day after the base day).
When the other rule gives another day, it is shown as the alternative
(另一算法), as local bureaus have published either. A period due in a year
with neither (before 2004, after 2026) has no deadline: exit status 2. Where
the local bureau set another day, or the deadline was extended, type it with
--due instead; a typed deadline always stands. --deadline --json prints
{"period":"2024-04","deadline":"2024-05-22","source":NOTICE or "推算",
"rule":"published", "calendar" or "working-day"}, with "alternative" only when
the two rules differ on a derived deadline.

A debt paid in parts: --amount is the tax, --due its 缴款期限 and each
--payment DATE=AMOUNT one payment (AMOUNT as above, above zero), in date
order, several on one day in the order paid (with none, --as-of or --stop
alone gives the debt unpaid through that day). Each day after --due accrues on
the tax unpaid that day, a payment day on the tax owed before the payment.
Each payment day ends a segment, whose surcharge is computed and rounded as
one calculation. A payment on or before --due goes to the tax; one from
2020-03-01 on to the tax first, then the surcharge (先税后滞纳金); one in
between in proportion (配比): P*T/(T+S) to the tax, rounded to the cent (half
up), the rest to the surcharge, where T and S are the tax and surcharge unpaid
that day; a payment that covers both clears both. Anything beyond is excess
(多缴). --stop (停止计算日期) is the last day that accrues; later payments are
divided against the surcharge frozen then. Tax still owed after the last
payment accrues through --as-of, included; the calculator never assumes
today, so --as-of is then required unless --stop ends accrual. Prints the
segments with their formulas, each payment with its rule, and the totals with
the surcharge capped at the tax (按行政强制法第四十五条封顶) beside the total.
--json prints one object: tax, total_fee, capped_total_fee, fee_paid,
fee_outstanding, tax_outstanding, excess; segments, each with start, end,
ends (payment, stop_date or as_of), tax, days_before, days_after (integers),
fee_before, fee_after, total_fee; payments, each with date, amount, rule
(before_deadline, tax_first or proportional), tax_due and fee_due (T and S
before it), to_tax, to_fee, excess, tax_outstanding, fee_outstanding. Dates
are yyyy-mm-dd, money strings with two decimals.

Batch: IN.csv ("-" for standard input) is CSV (RFC 4180) with a header row.
Columns, named in English or in Chinese, in any order: amount (应缴税款金额,
required), and for each row one pair: due_date and pay_date (缴款期限,
实际缴款日期; as --due and --paid), start_date and end_date (起始日期,
终止日期; as --from and --to), or days_before and days_after
(2001年04月30日前滞纳天数, 2001年05月01日后滞纳天数). An optional tax_period
(税款所属期) fills an empty due_date from the filing calendar, which is then
written into the output (into a due_date column added before the figures when
the input has none), and the error column names its source; a typed due_date
stands, and when it is not the calendar's date the error column names both.
Other columns, and names in the other language than the amount column's, pass
through byte for byte. Output (-o OUT.csv, "-" or none for standard output):
the input's columns, then each of days_before, days_after, total_days,
fee_before, fee_after, total_fee, tax_and_fee_total, error that the input
lacks, named in the language of the amount column (备注 for error); figures
whose column exists are written into it, one_more_day (每多滞纳一日增加)
included. A bad row keeps its cells, gets empty figures and an error cell such
as "amount: not a number" (应缴税款金额：不是数字). A row paid on or before its
due date gets zero figures, and in Chinese 未逾期. Day counts beside a row's
dates are its results when its total_days (合计滞纳天数) is filled, as in a
file the batch or the worksheet wrote, which therefore reads again with the
same figures. Records end as the input's header does (CRLF when it has no
line break); a UTF-8 byte order mark is kept; a blank row (every cell empty)
stays a blank row, with no figures and no error, and blank rows at the end
are dropped; a row with more or fewer cells than the header is a bad row.
OUT.csv may not be IN.csv. --as-of is the day rows without pay_date are paid
(without it they are bad rows).

Debts paid in parts in a batch: a column item_id (编号) makes the rows that
share a value one debt, as --payment does for one. Its row with amount gives
the tax and due_date, and may give stop_date (停止计算日期) and apply_cap
(适用封顶: yes/是 to carry the capped total); each of its rows with pay_date
and paid_amount (本次缴款金额) is one payment, the row with amount too. The
rows need not be neighbours and are divided in date order wherever they
stand, so sorting the file changes no figure; payments of one day in the
order of their rows. Tax still owed after the last payment accrues through
--as-of (or the stop date). Rows without item_id are read as above. The output
adds to_tax, to_fee, excess, tax_outstanding, fee_outstanding, fee_paid and
capped_total_fee (抵缴税款, 抵缴滞纳金, 多缴, 尚欠税款, 尚欠滞纳金, 已缴滞纳金,
按行政强制法第四十五条封顶) before error: each payment row what went to the tax,
to the surcharge and beyond both, and what was owed after it; the debt's row
the segments' day counts and surcharges summed, total_fee, fee_paid, and the
debt's fee_outstanding, tax_outstanding and capped_total_fee. A bad row, or a
debt without exactly one row with amount, leaves every row of its item_id
without figures, each saying why and naming the item_id. A debt takes its
due_date as typed: tax_period fills only rows without item_id.

Workbooks: a name ending in .xlsx is an Excel workbook, in or out; standard
output is always CSV. --sheet NAME reads that worksheet (else the first).
Numbers are read exactly as stored, at full precision: an amount of more than
two decimals is an error, never rounded, unless its cell's format shows two
decimals ("0.00", "#,##0.00"), as for a tax a formula worked out: it is then
read as the cell shows it, half up, and the error column says so. Date cells
are dates; a totals row of SUM formulas is no row. The
output workbook has numeric amounts and surcharges ("0.00"), whole day counts,
real dates, a bold frozen header and a totals row of SUM formulas; a bad row
keeps its cells as text.
{limits}

Exit status: 0 done (every batch row computed); 1 the start date is after the
end date, a surcharge or a sum of payments too large to compute exactly, or
some batch rows have an error (the output is still complete); 2 a usage error,
an unreadable field, a period without a deadline, a payment of zero or out of
date order, --stop before --due, --as-of missing or before the last payment
while tax is owed, a missing file or amount column, or a read or write
failure.
)";

// `text` in lines of at most 78 columns, broken at spaces.
std::string wrapped(std::string_view text) {
    std::string out;
    std::size_t line = 0;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        if (line > 0 && line + 1 + word.size() > 78) {
            out += '\n';
            line = 0;
        } else if (line > 0) {
            out += ' ';
            ++line;
        }
        out += word;
        line += word.size();
        text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
    }
    return out;
}

// The help, its rates and workbook limits taken from where they are kept.
std::string help_text() {
    std::string text(help);
    const auto put = [&text](std::string_view token, const std::string& value) {
        text.replace(text.find(token), token.size(), value);
    };
    put("{rate_before}", calc::default_text(calc::rate_before));
    put("{rate_after}", calc::default_text(calc::rate_after));
    put("{limits}", wrapped(sheet::limits_text(sheet::xlsx_limits{}, sheet::language::english)));
    return text;
}

int fail(std::ostream& err, std::string_view message) {
    err << program << message << '\n';
    return exit_usage;
}

int finish(std::ostream& out, std::ostream& err, int status) {
    out.flush();
    if (!out) {
        return fail(err, "cannot write the output");
    }
    return status;
}

// Opens the output only when there is something to write, so that a bad
// input never empties it.
std::unique_ptr<std::ostream> open_output(const batch_options& request, std::ostream& err,
                                          file_access& files) {
    std::string why;
    const std::string output_path(*request.output);
    auto opened = files.open_output(output_path, why);
    if (!opened) {
        fail(err, "cannot open " + output_path + ": " + why);
    }
    return opened;
}

// The file a UTF-8 name names. On Windows, whose file names are UTF-16, the
// name is converted (a narrow name would go through the ANSI code page and
// lose every character outside it); elsewhere its bytes are the name.
std::filesystem::path path_of(const std::string& name) {
#ifdef _WIN32
    std::u8string utf8;
    utf8.reserve(name.size());
    for (const char c : name) {
        utf8.push_back(static_cast<char8_t>(c));
    }
    return std::filesystem::path(utf8);
#else
    return std::filesystem::path(name);
#endif
}

// Opens `name` as a file stream of type Stream, or gives nullptr with the reason in `why`.
template <class Stream>
std::unique_ptr<Stream> open_file(const std::string& name, std::ios::openmode mode,
                                  std::string& why) {
    std::filesystem::path path;
    try {
        path = path_of(name);
    } catch (const std::exception&) {
        why = "not a valid file name";
        return nullptr;
    }
    auto file = std::make_unique<Stream>(path, mode);
    if (!*file) {
        why = std::strerror(errno);
        return nullptr;
    }
    return file;
}

// The path names an Excel workbook: it ends in ".xlsx", in any case.
bool is_workbook_path(std::string_view path) {
    constexpr std::string_view extension = ".xlsx";
    if (path.size() < extension.size()) {
        return false;
    }
    const std::string_view tail = path.substr(path.size() - extension.size());
    return std::equal(tail.begin(), tail.end(), extension.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

// The worksheet the request names of the workbook at `path`, as records.
std::unique_ptr<sheet::record_source>
open_workbook(const std::string& path, const batch_options& request, std::string& why_not) {
    sheet::xlsx_read_options options;
    options.sheet = std::string(request.sheet.value_or(""));
    try {
        auto opened = sheet::workbook_source::open(path_of(path), options);
        if (!opened) {
            why_not = sheet::describe(opened.error(), sheet::language::english);
            return nullptr;
        }
        return std::move(opened).value();
    } catch (const std::exception&) {
        why_not = "not a valid file name";
        return nullptr;
    }
}

// The batch's rows as a workbook, written to the output file once complete.
int write_workbook(const batch_options& request, sheet::batch_job& job, std::ostream& err,
                   file_access& files) {
    std::unique_ptr<std::ostream> target;
    sheet::workbook_sink sink([&](std::string& why) -> std::ostream* {
        target = files.open_output(std::string(*request.output), why);
        if (target) {
            return target.get();
        }
        why = "cannot open " + std::string(*request.output) + ": " + why;
        return nullptr;
    });
    const sheet::batch_status status = job.run(sink);
    if (status == sheet::batch_status::unusable) {
        return fail(err, job.problem());
    }
    return finish(*target, err, static_cast<int>(status));
}

int run_batch(const batch_options& request, std::istream& in, std::ostream& out, std::ostream& err,
              file_access& files) {
    const std::string input_path(request.input);
    const bool from_stdin = input_path == "-";
    const bool to_stdout = !request.output || *request.output == "-";
    const bool workbook_in = !from_stdin && is_workbook_path(input_path);
    const bool workbook_out = !to_stdout && is_workbook_path(*request.output);
    if (request.sheet && !workbook_in) {
        return fail(err, "--sheet needs an .xlsx input");
    }
    if (!from_stdin && !to_stdout && files.same_file(input_path, std::string(*request.output))) {
        return fail(err, "-o names the input file; write the output elsewhere");
    }
    std::string why;
    std::unique_ptr<std::istream> opened_input;
    std::unique_ptr<sheet::record_source> book;
    std::optional<sheet::batch_job> job;
    if (workbook_in) {
        book = open_workbook(input_path, request, why);
        if (!book) {
            return fail(err, "cannot read " + input_path + ": " + why);
        }
        job.emplace(*book);
    } else if (!from_stdin) {
        opened_input = files.open_input(input_path, why);
        if (!opened_input) {
            return fail(err, "cannot open " + input_path + ": " + why);
        }
        job.emplace(*opened_input);
    } else {
        job.emplace(in);
    }
    if (request.as_of) {
        const auto day = sheet::read_date(*request.as_of);
        if (!day) {
            return fail(err, "--as-of: " + std::string(sheet::problem_text(
                                               day.error(), sheet::language::english)));
        }
        job->set_as_of(*day);
    }
    if (!job->read_header()) {
        return fail(err, job->problem());
    }
    if (workbook_out) {
        return write_workbook(request, *job, err, files);
    }
    std::unique_ptr<std::ostream> opened_output;
    if (!to_stdout) {
        opened_output = open_output(request, err, files);
        if (!opened_output) {
            return exit_usage;
        }
    }
    std::ostream& target = to_stdout ? out : *opened_output;
    const sheet::batch_status status = job->run(target);
    if (status == sheet::batch_status::unusable) {
        return fail(err, job->problem());
    }
    return finish(target, err, static_cast<int>(status));
}

} // namespace

std::unique_ptr<std::istream> disk_files::open_input(const std::string& path, std::string& why) {
    return open_file<std::ifstream>(path, std::ios::binary, why);
}

std::unique_ptr<std::ostream> disk_files::open_output(const std::string& path, std::string& why) {
    return open_file<std::ofstream>(path, std::ios::binary | std::ios::trunc, why);
}

bool disk_files::same_file(const std::string& a, const std::string& b) {
    try {
        std::error_code ignored;
        return std::filesystem::equivalent(path_of(a), path_of(b), ignored);
    } catch (const std::exception&) {
        return false; // a name that cannot be a file's names none
    }
}

int run_cli(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
            std::ostream& err, file_access& files) {
    const auto parsed = parse_options(args);
    if (const auto* reason = std::get_if<std::string>(&parsed)) {
        return fail(err, *reason);
    }
    const auto& request = std::get<options>(parsed);
    if (std::holds_alternative<help_options>(request)) {
        out << help_text();
        return finish(out, err, exit_ok);
    }
    if (const auto* single = std::get_if<single_options>(&request)) {
        return finish(out, err, run_single(*single, out, err));
    }
    if (const auto* deadline = std::get_if<deadline_options>(&request)) {
        return finish(out, err, run_deadline(*deadline, out, err));
    }
    if (const auto* debt = std::get_if<debt_options>(&request)) {
        return finish(out, err, run_debt(*debt, out, err));
    }
    return run_batch(std::get<batch_options>(request), in, out, err, files);
}

int run_cli(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
            std::ostream& err) {
    disk_files files;
    return run_cli(args, in, out, err, files);
}

} // namespace orvandel::cli
