// The command line of orvandel-cli, read into what was asked for.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvandel::cli {

struct single_options {
    std::string_view amount;
    bool by_days = false;
    bool by_due_and_paid = false;             // --due and --paid
    std::string_view from, to;                // by dates
    std::string_view due, paid;               // by the due date and the day paid
    std::string_view days_before, days_after; // by days
    // --period: the 缴款期限 is the filing calendar's for this tax period,
    // in place of --due (which is then empty).
    std::optional<std::string_view> period;
    bool json = false;
};

struct batch_options {
    std::string_view input;                 // a path, or "-" for standard input
    std::optional<std::string_view> output; // a path, or "-"; standard output when absent
    std::optional<std::string_view> sheet;  // the worksheet of an .xlsx input
    // --as-of: the day rows without 实际缴款日期 are paid, and through which
    // debts with 编号 accrue the tax still owed after their last payment.
    std::optional<std::string_view> as_of;
};

// --deadline: the 缴款期限 of a tax period and its source.
struct deadline_options {
    std::string_view period;
    bool json = false;
};

// A debt paid in parts: --amount and --due with --payment, --as-of or --stop.
struct debt_options {
    std::string_view amount, due;
    std::vector<std::string_view> payments; // each "DATE=AMOUNT", in the order given
    std::optional<std::string_view> as_of, stop;
    bool json = false;
};

struct help_options {};

using options =
    std::variant<help_options, single_options, batch_options, deadline_options, debt_options>;

// What the arguments ask for, or a one-line reason why they make no sense.
// `args` excludes the program name. Both "--amount 5" and "--amount=5" work.
[[nodiscard]] std::variant<options, std::string>
parse_options(std::span<const std::string_view> args);

} // namespace orvandel::cli
