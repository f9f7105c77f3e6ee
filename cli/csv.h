// The CSV reader and writer live in sheet/csv.h; these names keep the batch's
// code as it was.
#pragma once

#include "sheet/csv.h"

namespace orvandel::cli {

using sheet::cell_room;
using sheet::cell_text;
using sheet::csv_cell;
using sheet::csv_reader;
using sheet::csv_record;
using sheet::quoted_cell_text;
using sheet::write_cell;

} // namespace orvandel::cli
