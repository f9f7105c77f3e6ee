// One calculation from the command line, written as the form shows it or as
// one JSON object.
#pragma once

#include "options.h"

#include "calc/fee.h"

#include <ostream>
#include <string>
#include <string_view>

namespace orvandel::cli {

// The form's labels with the figures, one per line, in the order the form
// shows them, with the two formula lines written as the window writes them.
// `deadline_note` (where a --period deadline comes from) ends the block in
// 备注.
[[nodiscard]] std::string readable_block(const single_options& request,
                                         const calc::late_fee_input& input,
                                         const calc::late_fee_result& figures,
                                         std::string_view deadline_note = {});

// {"days_before":10,...,"tax_and_fee_total":"12648.14"} and a line end;
// `more_members` (already JSON, without braces) are added at the end.
[[nodiscard]] std::string json_object(const calc::late_fee_result& figures,
                                      std::string_view more_members = {});

// Runs one calculation. Returns the exit status: 0 done, 1 the start date is
// after the end date (the form's message on `err`, nothing on `out`), 2 a
// field that cannot be read (a one-line message on `err`).
int run_single(const single_options& request, std::ostream& out, std::ostream& err);

} // namespace orvandel::cli
