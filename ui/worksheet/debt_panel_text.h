// What the worksheet's panel under the table says of the debt of the current
// row: its working (sheet/debt_working.h), or why it has no figures, row by
// row. Standard library only.
#pragma once

#include "ui/worksheet/debt_index.h"
#include "ui/worksheet/row_store.h"

#include <string>

namespace orvandel::ui::worksheet {

// The text of the debt `place` belongs to, its lines ending in "\n".
[[nodiscard]] std::string debt_panel_text(const debt_place& place, const row_store& rows);

} // namespace orvandel::ui::worksheet
