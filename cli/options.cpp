#include "options.h"

#include <algorithm>
#include <array>

namespace orvandel::cli {
namespace {

enum class option {
    help,
    json,
    amount,
    from,
    to,
    due,
    paid,
    days_before,
    days_after,
    batch,
    output,
    sheet,
    deadline,
    period,
    payment,
    as_of,
    stop,
};

struct option_spelling {
    std::string_view name;
    option id;
    bool takes_value;
};

constexpr std::array<option_spelling, 19> spellings{{
    {"--help", option::help, false},
    {"-h", option::help, false},
    {"--json", option::json, false},
    {"--amount", option::amount, true},
    {"--from", option::from, true},
    {"--to", option::to, true},
    {"--due", option::due, true},
    {"--paid", option::paid, true},
    {"--days-before", option::days_before, true},
    {"--days-after", option::days_after, true},
    {"--batch", option::batch, true},
    {"-o", option::output, true},
    {"--output", option::output, true},
    {"--sheet", option::sheet, true},
    {"--deadline", option::deadline, true},
    {"--period", option::period, true},
    {"--payment", option::payment, true},
    {"--as-of", option::as_of, true},
    {"--stop", option::stop, true},
}};
constexpr std::size_t option_count = 17;

// The options as given: each at most once but --payment, with its value.
struct given_options {
    std::array<bool, option_count> seen{};
    std::array<std::string_view, option_count> value{};
    std::vector<std::string_view> payments; // --payment may be given any number of times

    [[nodiscard]] bool has(option o) const { return seen[static_cast<std::size_t>(o)]; }
    [[nodiscard]] std::string_view operator[](option o) const {
        return value[static_cast<std::size_t>(o)];
    }
};

std::string_view name_of(option o) {
    if (o == option::output) {
        return "-o";
    }
    return std::find_if(spellings.begin(), spellings.end(),
                        [o](const option_spelling& s) { return s.id == o; })
        ->name;
}

std::variant<given_options, std::string> collect(std::span<const std::string_view> args) {
    given_options given;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
        const std::string_view name = arg.substr(0, equals);
        const auto* spelling =
            std::find_if(spellings.begin(), spellings.end(),
                         [name](const option_spelling& s) { return s.name == name; });
        if (spelling == spellings.end()) {
            if (arg.starts_with("-") && arg != "-") {
                return "unknown option " + std::string(arg);
            }
            return "unexpected argument " + std::string(arg);
        }
        const auto at = static_cast<std::size_t>(spelling->id);
        if (given.seen[at] && spelling->id != option::payment) {
            return std::string(name_of(spelling->id)) + " is given twice";
        }
        given.seen[at] = true;
        if (!spelling->takes_value) {
            if (equals != std::string_view::npos) {
                return std::string(name) + " takes no value";
            }
            continue;
        }
        if (equals != std::string_view::npos) {
            given.value[at] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            given.value[at] = args[++i];
        } else {
            return std::string(name) + " needs a value";
        }
        if (spelling->id == option::payment) {
            given.payments.push_back(given.value[at]);
        }
    }
    return given;
}

std::variant<options, std::string> batch_from(const given_options& given) {
    for (const option o :
         {option::json, option::amount, option::from, option::to, option::due, option::paid,
          option::days_before, option::days_after, option::period, option::payment, option::stop}) {
        if (given.has(o)) {
            return std::string(name_of(o)) + " cannot be used with --batch";
        }
    }
    batch_options batch{given[option::batch], std::nullopt, std::nullopt, std::nullopt};
    if (given.has(option::output)) {
        batch.output = given[option::output];
    }
    if (given.has(option::sheet)) {
        batch.sheet = given[option::sheet];
    }
    if (given.has(option::as_of)) {
        batch.as_of = given[option::as_of];
    }
    return options{batch};
}

std::variant<options, std::string> debt_from(const given_options& given) {
    for (const option o :
         {option::from, option::to, option::paid, option::days_before, option::days_after}) {
        if (given.has(o)) {
            return std::string(name_of(o)) + " cannot be used with --payment, --as-of or --stop";
        }
    }
    if (!given.has(option::due)) {
        return std::string("--due is required with --payment, --as-of or --stop");
    }
    debt_options debt;
    debt.amount = given[option::amount];
    debt.due = given[option::due];
    debt.payments = given.payments;
    if (given.has(option::as_of)) {
        debt.as_of = given[option::as_of];
    }
    if (given.has(option::stop)) {
        debt.stop = given[option::stop];
    }
    debt.json = given.has(option::json);
    return options{debt};
}

std::variant<options, std::string> single_from(const given_options& given) {
    if (given.has(option::output)) {
        return std::string("-o needs --batch");
    }
    if (given.has(option::sheet)) {
        return std::string("--sheet needs --batch");
    }
    if (!given.has(option::amount)) {
        return std::string("--amount is required (see --help)");
    }
    if (given.has(option::period) && given.has(option::due)) {
        return std::string("--period takes the place of --due; give one of them");
    }
    // --period stands in for --due in the pair it belongs to.
    const auto has = [&given](option o) {
        return given.has(o) || (o == option::due && given.has(option::period));
    };
    const auto name = [&given](option o) {
        return o == option::due && given.has(option::period) ? std::string_view("--period")
                                                             : name_of(o);
    };
    if (given.has(option::payment) || given.has(option::as_of) || given.has(option::stop)) {
        return debt_from(given);
    }
    // The three ways to give the period; exactly one of them, in full.
    constexpr std::array<std::array<option, 2>, 3> pairs{{
        {option::from, option::to},
        {option::due, option::paid},
        {option::days_before, option::days_after},
    }};
    constexpr std::string_view choices = "give --from and --to, --due and --paid, or "
                                         "--days-before and --days-after";
    const std::array<option, 2>* chosen = nullptr;
    for (const auto& pair : pairs) {
        if (!has(pair[0]) && !has(pair[1])) {
            continue;
        }
        if (chosen != nullptr) {
            return std::string(choices) + ", only one of them";
        }
        chosen = &pair;
    }
    if (chosen == nullptr) {
        return std::string(choices);
    }
    for (std::size_t k = 0; k < 2; ++k) {
        if (!has((*chosen)[k])) {
            return std::string(name((*chosen)[1 - k])) + " needs " +
                   std::string(name((*chosen)[k]));
        }
    }
    single_options single;
    single.amount = given[option::amount];
    single.by_days = (*chosen)[0] == option::days_before;
    single.by_due_and_paid = (*chosen)[0] == option::due;
    single.due = given[option::due];
    single.paid = given[option::paid];
    single.from = given[option::from];
    single.to = given[option::to];
    single.days_before = given[option::days_before];
    single.days_after = given[option::days_after];
    if (given.has(option::period)) {
        single.period = given[option::period];
    }
    single.json = given.has(option::json);
    return options{single};
}

std::variant<options, std::string> deadline_from(const given_options& given) {
    for (std::size_t i = 0; i < option_count; ++i) {
        const auto o = static_cast<option>(i);
        if (given.has(o) && o != option::deadline && o != option::json) {
            return std::string(name_of(o)) + " cannot be used with --deadline";
        }
    }
    return options{deadline_options{given[option::deadline], given.has(option::json)}};
}

} // namespace

std::variant<options, std::string> parse_options(std::span<const std::string_view> args) {
    if (args.empty()) {
        return std::string("nothing to do (see --help)");
    }
    auto collected = collect(args);
    if (auto* reason = std::get_if<std::string>(&collected)) {
        return std::move(*reason);
    }
    const auto& given = std::get<given_options>(collected);
    if (given.has(option::help)) {
        return options{help_options{}};
    }
    if (given.has(option::deadline)) {
        return deadline_from(given);
    }
    return given.has(option::batch) ? batch_from(given) : single_from(given);
}

} // namespace orvandel::cli
