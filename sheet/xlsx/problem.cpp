#include "sheet/xlsx/problem.h"

#include <utility>

namespace orvandel::sheet::xlsx {

problem fail(xlsx_read_error what, std::string detail, std::uint64_t limit) {
    return {what, std::move(detail), limit};
}

std::string grouped(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) {
            out += ',';
        }
        out += digits[i];
    }
    return out;
}

std::string size_text(std::uint64_t bytes, language lang) {
    constexpr const char* units[] = {"GiB", "MiB", "KiB"};
    constexpr unsigned shifts[] = {30, 20, 10};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::uint64_t unit = std::uint64_t{1} << shifts[i];
        if (bytes >= unit && bytes % unit == 0) {
            return grouped(bytes >> shifts[i]) + " " + units[i];
        }
    }
    if (lang == language::chinese) {
        return grouped(bytes) + "字节";
    }
    return grouped(bytes) + (bytes == 1 ? " byte" : " bytes");
}

} // namespace orvandel::sheet::xlsx
