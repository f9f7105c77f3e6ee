// Reading and writing comma-separated records (RFC 4180) in a stream, one
// record at a time, without holding the whole file.
//
// Reading is lenient so that any file can be passed through: a record ends at
// LF or CRLF outside quotes (a lone CR is data), a quote inside an unquoted
// cell is data, and text after a closing quote belongs to the same cell. Each
// cell is kept as the exact bytes it had in the file, so cells the batch does
// not interpret are written back unchanged, quotes and all, in any encoding.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace orvandel::sheet {

struct csv_cell {
    std::string_view raw; // the bytes as in the file, quotes included
    bool quoted = false;  // the cell starts with a quote
};

struct csv_record {
    std::string_view raw;        // the whole record without its line ending
    std::string_view line_end;   // "\n", "\r\n" or "" (last record of the input)
    std::vector<csv_cell> cells; // at least one
    bool open_quote = false;     // the input ended inside the last cell's quotes
};

// The text of a quoted cell; see cell_text.
[[nodiscard]] std::string_view quoted_cell_text(const csv_cell& cell, std::string& scratch);

// The text of a cell: a quoted cell loses its enclosing quotes and each doubled
// quote inside becomes one. `scratch` holds the text when it has to be rebuilt.
[[nodiscard]] inline std::string_view cell_text(const csv_cell& cell, std::string& scratch) {
    return cell.quoted ? quoted_cell_text(cell, scratch) : cell.raw;
}

// The most bytes write_cell writes for `text`.
[[nodiscard]] constexpr std::size_t cell_room(std::string_view text) {
    return 2 * text.size() + 2;
}
// Writes `text` as one cell at `at`, which has cell_room(text) bytes free, in
// quotes when it holds a comma, quote, CR or LF; returns the cell's end.
char* write_cell(char* at, std::string_view text);

class csv_reader {
public:
    explicit csv_reader(std::istream& in, std::size_t block_size = std::size_t{1} << 20);

    // Reads the next record into `record`, whose views stay valid until the
    // next call. False at the end of the input or when reading failed.
    bool next(csv_record& record);

    // The input began with a UTF-8 byte order mark (not part of any cell).
    [[nodiscard]] bool had_bom() const { return had_bom_; }
    // The stream reported an error other than its end.
    [[nodiscard]] bool failed() const { return failed_; }

private:
    enum class scan { complete, need_more, irregular };
    scan scan_record(csv_record& record);
    // The common record: no quote and no lone CR. `irregular` for any other,
    // which scan_record then reads.
    scan scan_plain_record(csv_record& record);
    // Bytes buffer_ holds for input; past them lie `scan_padding` bytes that
    // are never input, so that the scan may read whole blocks.
    [[nodiscard]] std::size_t capacity() const { return buffer_.size() - scan_padding; }
    static constexpr std::size_t scan_padding = 16;
    // Keeps the unread bytes, makes room and reads more. False when nothing more came.
    bool refill();
    void skip_bom();

    std::istream& in_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0; // first unread byte
    std::size_t end_ = 0;   // one past the last byte read
    bool eof_ = false;
    bool failed_ = false;
    bool had_bom_ = false;
    bool started_ = false;
};

} // namespace orvandel::sheet
