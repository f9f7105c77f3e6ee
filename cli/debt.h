// A debt paid in parts from the command line, written as a short table of its
// segments, payments and totals, or as one JSON object.
#pragma once

#include "options.h"

#include "calc/debt.h"

#include <ostream>
#include <string>

namespace orvandel::cli {

// The debt as given, then each segment with its formula, each payment with the
// rule that divided it, and the totals with the capped surcharge beside them.
[[nodiscard]] std::string debt_table(const calc::debt_input& input,
                                     const calc::debt_result& figures);

// {"tax":"100000.00",...,"segments":[...],"payments":[...]} and a line end.
[[nodiscard]] std::string debt_json(const calc::debt_result& figures);

// Runs one debt. Returns the exit status: 0 done, 2 a value that cannot be
// read or a debt the engine refuses (one line on `err`, nothing on `out`), 1
// sums too large to compute exactly.
int run_debt(const debt_options& request, std::ostream& out, std::ostream& err);

} // namespace orvandel::cli
