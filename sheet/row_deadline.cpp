#include "sheet/row_deadline.h"

#include "calc/deadline_note.h"

namespace orvandel::sheet {
namespace {

calc::note_language note_language_of(language lang) {
    return lang == language::english ? calc::note_language::english : calc::note_language::chinese;
}

} // namespace

period_problem read_row_deadline(std::string_view period, const std::optional<calc::date>& given,
                                 row_deadline& out) {
    out = row_deadline{};
    const auto read = calc::parse_tax_period(period);
    if (!read) {
        return read.error() == calc::tax_period_error::no_such_period
                   ? period_problem::no_such_period
                   : period_problem::not_a_period;
    }
    out.period = *read;
    const auto calendar = calc::deadline_of(*read);
    if (given) {
        out.given = *given;
    }
    if (!calendar) {
        if (!given) {
            return period_problem::no_data;
        }
        out.origin = deadline_origin::unchecked;
        return period_problem::none;
    }
    out.calendar = *calendar;
    out.origin = !given                         ? deadline_origin::filled
                 : *given == calendar->deadline ? deadline_origin::confirmed
                                                : deadline_origin::differs;
    return period_problem::none;
}

void append_deadline_note(std::string& out, const row_deadline& d, language lang) {
    switch (d.origin) {
    case deadline_origin::filled:
    case deadline_origin::confirmed:
        out += calc::deadline_note(d.calendar, note_language_of(lang));
        return;
    case deadline_origin::differs:
        out += calc::differing_deadline_note(d.given, d.calendar, note_language_of(lang));
        return;
    case deadline_origin::typed:
    case deadline_origin::unchecked:
        return;
    }
}

int due_year(const row_deadline& d) {
    return static_cast<int>(calc::due_month(d.period).year());
}

} // namespace orvandel::sheet
