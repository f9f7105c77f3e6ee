// The package structure of a workbook: which part is the workbook, its
// worksheets in tab order and the parts of each, its styles and shared
// strings, and its date system. Parts are found through the package's
// relationships, never by their usual names alone.
#pragma once

#include "sheet/xlsx/archive.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::sheet::xlsx {

struct sheet_entry {
    std::string name;
    std::string part; // empty for a chart sheet, or a sheet whose part the package lost
};

struct package {
    std::string workbook; // the workbook part, usually xl/workbook.xml
    bool date1904 = false;
    std::vector<sheet_entry> sheets;
    std::optional<std::string> styles;
    std::optional<std::string> shared_strings;
};

[[nodiscard]] calc::result<package, problem> read_package(archive& zip);

// The part of the worksheet named `wanted`, or of the first worksheet when
// `wanted` is empty.
[[nodiscard]] calc::result<std::string, problem> worksheet_part(const package& book,
                                                                const std::string& wanted);

// `target` as the name of a part, relative to the folder of `source`.
[[nodiscard]] std::string resolve(std::string_view source, std::string_view target);

} // namespace orvandel::sheet::xlsx
