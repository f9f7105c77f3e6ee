#include "sheet/xlsx_reader.h"

#include "sheet/text_utf8.h"
#include "sheet/xlsx_writer.h"

#include <expat.h>
#include <zip.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace orvandel::sheet {
namespace {

using problem = xlsx_read_problem;
using maybe_problem = std::optional<problem>;

constexpr std::size_t max_rows = 1'048'576; // Excel's own limits
constexpr std::size_t max_columns = 16'384;
constexpr std::size_t max_formats = 65'536; // cell formats kept; later ones read as General
constexpr std::size_t chunk_size = 64 * 1024;
constexpr std::size_t max_formula = 256; // formula text kept to recognise a totals row

problem fail(xlsx_read_error what, std::string detail = {}) {
    return {what, std::move(detail)};
}

// ---- XML -----------------------------------------------------------------

// Element and attribute names arrive as "namespace|local"; the parts are told
// apart by local names, so both the usual and the strict namespaces work.
constexpr char namespace_separator = '|';

std::string_view local_name(const char* name) {
    const std::string_view full(name);
    const std::size_t bar = full.rfind(namespace_separator);
    return bar == std::string_view::npos ? full : full.substr(bar + 1);
}

bool has_namespace(const char* name) {
    return std::string_view(name).find(namespace_separator) != std::string_view::npos;
}

// The value of the attribute with local name `name`; with `qualified`, only
// one in a namespace (r:id), without, only one without (Id, Target).
std::optional<std::string_view> attribute(const char** attributes, std::string_view name,
                                          bool qualified = false) {
    for (const char** at = attributes; *at != nullptr; at += 2) {
        if (local_name(at[0]) == name && has_namespace(at[0]) == qualified) {
            return std::string_view(at[1]);
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> whole_number(std::string_view text) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

class xml_handler {
public:
    virtual ~xml_handler() = default;
    virtual void start(std::string_view name, const char** attributes) = 0;
    virtual void end(std::string_view name) = 0;
    virtual void text(std::string_view) {}

    maybe_problem failure; // set by a handler to stop the parse
};

// The memory the XML parser of one part may hold: far more than any
// workbook's structure needs, and a bound on what nesting millions of
// elements deep or giving one element millions of attributes could take.
constexpr std::size_t xml_memory_limit = std::size_t{32} << 20;

// Expat's allocations, counted against xml_memory_limit; past it, expat is
// told there is no memory and stops with an error. One parser at a time runs
// on a thread.
thread_local std::size_t xml_memory_in_use = 0;
constexpr std::size_t xml_block_header = alignof(std::max_align_t);

void* xml_malloc(std::size_t size) {
    if (size > xml_memory_limit - xml_memory_in_use) {
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::malloc(size + xml_block_header));
    if (block == nullptr) {
        return nullptr;
    }
    std::memcpy(block, &size, sizeof size);
    xml_memory_in_use += size;
    return block + xml_block_header;
}

void xml_free(void* pointer) {
    if (pointer == nullptr) {
        return;
    }
    auto* block = static_cast<unsigned char*>(pointer) - xml_block_header;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    xml_memory_in_use -= size;
    std::free(block);
}

void* xml_realloc(void* pointer, std::size_t size) {
    if (pointer == nullptr) {
        return xml_malloc(size);
    }
    void* moved = xml_malloc(size);
    if (moved == nullptr) {
        return nullptr;
    }
    std::size_t old = 0;
    std::memcpy(&old, static_cast<unsigned char*>(pointer) - xml_block_header, sizeof old);
    std::memcpy(moved, pointer, std::min(old, size));
    xml_free(pointer);
    return moved;
}

const XML_Memory_Handling_Suite xml_memory{&xml_malloc, &xml_realloc, &xml_free};

class xml_parser {
public:
    explicit xml_parser(xml_handler& handler)
        : parser_(XML_ParserCreate_MM(nullptr, &xml_memory, "|")), handler_(handler) {
        if (parser_ == nullptr) {
            return;
        }
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &on_start, &on_end);
        XML_SetCharacterDataHandler(parser_, &on_text);
        // A workbook has no use for entities of its own; refusing any
        // declaration rules out entity expansion tricks altogether.
        XML_SetEntityDeclHandler(parser_, &on_entity);
    }
    ~xml_parser() {
        if (parser_ != nullptr) {
            XML_ParserFree(parser_);
        }
    }
    xml_parser(const xml_parser&) = delete;
    xml_parser& operator=(const xml_parser&) = delete;

    // Feeds `bytes`; a problem as soon as the XML is bad or the handler fails.
    maybe_problem feed(std::string_view part, std::string_view bytes, bool last) {
        if (parser_ == nullptr) {
            return fail(xlsx_read_error::bad_xml, std::string(part) + ": no memory for a parser");
        }
        const auto status =
            XML_Parse(parser_, bytes.data(), static_cast<int>(bytes.size()), last ? 1 : 0);
        if (handler_.failure) {
            return handler_.failure;
        }
        if (entities_) {
            return fail(xlsx_read_error::bad_xml, std::string(part) + " declares XML entities");
        }
        if (status != XML_STATUS_OK && XML_GetErrorCode(parser_) == XML_ERROR_NO_MEMORY) {
            return fail(xlsx_read_error::bad_xml,
                        std::string(part) + " needs more than the 32 MiB its XML may take");
        }
        if (status != XML_STATUS_OK) {
            return fail(xlsx_read_error::bad_xml,
                        std::string(part) + ", line " +
                            std::to_string(XML_GetCurrentLineNumber(parser_)) + ": " +
                            XML_ErrorString(XML_GetErrorCode(parser_)));
        }
        return std::nullopt;
    }

private:
    static xml_parser& self(void* data) { return *static_cast<xml_parser*>(data); }
    void stop() { XML_StopParser(parser_, XML_FALSE); }
    static void on_start(void* data, const XML_Char* name, const XML_Char** attributes) {
        xml_parser& p = self(data);
        p.handler_.start(local_name(name), attributes);
        if (p.handler_.failure) {
            p.stop();
        }
    }
    static void on_end(void* data, const XML_Char* name) {
        xml_parser& p = self(data);
        p.handler_.end(local_name(name));
        if (p.handler_.failure) {
            p.stop();
        }
    }
    static void on_text(void* data, const XML_Char* text, int length) {
        xml_parser& p = self(data);
        p.handler_.text(std::string_view(text, static_cast<std::size_t>(length)));
        if (p.handler_.failure) {
            p.stop();
        }
    }
    static void on_entity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                          const XML_Char*, const XML_Char*, const XML_Char*) {
        xml_parser& p = self(data);
        p.entities_ = true;
        p.stop();
    }

    XML_Parser parser_;
    xml_handler& handler_;
    bool entities_ = false;
};

// Text accumulated within one element, up to a limit; `over` once past it.
struct bounded_text {
    std::string value;
    bool over = false;
    void add(std::string_view more, std::size_t limit) {
        if (value.size() + more.size() > limit) {
            over = true;
            return;
        }
        value += more;
    }
    void clear() {
        value.clear();
        over = false;
    }
};

// "_x000D_" and the other escapes of characters XML cannot carry, back into
// the characters; "_x005F_" is a literal "_".
std::string unescape(std::string_view text) {
    if (text.find("_x") == std::string_view::npos) {
        return std::string(text);
    }
    const auto hex_unit = [&](std::size_t at) -> std::optional<char32_t> {
        if (at + 7 > text.size() || text[at] != '_' || text[at + 1] != 'x' || text[at + 6] != '_') {
            return std::nullopt;
        }
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(text.data() + at + 2, text.data() + at + 6, value, 16);
        if (error != std::errc() || end != text.data() + at + 6) {
            return std::nullopt;
        }
        return static_cast<char32_t>(value);
    };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        auto unit = hex_unit(i);
        std::size_t used = 7;
        if (unit && *unit >= 0xD800 && *unit <= 0xDBFF) {
            const auto low = hex_unit(i + 7);
            if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                unit = 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00);
                used = 14;
            } else {
                unit.reset();
            }
        }
        if (!unit || (*unit >= 0xDC00 && *unit <= 0xDFFF)) {
            out += text[i++];
            continue;
        }
        const char32_t c = *unit;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        i += used;
    }
    return out;
}

// ---- the archive -----------------------------------------------------------

class archive {
public:
    archive(std::string_view file, const xlsx_limits& limits) : limits_(limits) {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(file.data(), file.size(), 0, &error);
        if (source != nullptr) {
            zip_ = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
            if (zip_ == nullptr) {
                zip_source_free(source);
            }
        }
        if (zip_ == nullptr) {
            why_ = zip_error_strerror(&error);
        } else if (zip_get_num_entries(zip_, 0) <= 0) {
            why_ = "an empty archive";
            zip_discard(std::exchange(zip_, nullptr));
        }
        zip_error_fini(&error);
    }
    ~archive() {
        if (zip_ != nullptr) {
            zip_discard(zip_);
        }
    }
    archive(const archive&) = delete;
    archive& operator=(const archive&) = delete;

    [[nodiscard]] bool open() const { return zip_ != nullptr; }
    [[nodiscard]] const std::string& why() const { return why_; }

    [[nodiscard]] bool has(const std::string& name) const {
        return zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE) >= 0;
    }

    // Streams the part through `handler`, never holding more than a chunk of
    // it, and stops as soon as it expands past a limit: the sizes the
    // archive declares are checked first and then enforced while reading.
    maybe_problem parse(const std::string& name, xml_handler& handler) {
        const zip_int64_t index = zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE);
        if (index < 0) {
            return fail(xlsx_read_error::missing_part, name);
        }
        const auto at = static_cast<zip_uint64_t>(index);
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(zip_, at, 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0) {
            return fail(xlsx_read_error::damaged_part, name + ": " + zip_strerror(zip_));
        }
        if (const auto declared = checked_size(name, stat.size)) {
            return declared;
        }
        std::unique_ptr<zip_file_t, decltype(&zip_fclose)> part(zip_fopen_index(zip_, at, 0),
                                                                &zip_fclose);
        if (!part) {
            return fail(xlsx_read_error::damaged_part, name + ": " + zip_strerror(zip_));
        }
        xml_parser parser(handler);
        std::string chunk(chunk_size, '\0');
        zip_uint64_t read = 0;
        for (;;) {
            const zip_int64_t got = zip_fread(part.get(), chunk.data(), chunk.size());
            if (got < 0) {
                return fail(xlsx_read_error::damaged_part,
                            name + ": " + zip_error_strerror(zip_file_get_error(part.get())));
            }
            read += static_cast<zip_uint64_t>(got);
            if (read > stat.size) {
                return fail(xlsx_read_error::damaged_part, name + " is longer than declared");
            }
            if (const auto over = checked_size(name, read)) {
                return over;
            }
            const bool last = got == 0;
            if (auto bad = parser.feed(
                    name, std::string_view(chunk.data(), static_cast<std::size_t>(got)), last)) {
                return bad;
            }
            if (last) {
                break;
            }
        }
        if (read != stat.size) {
            return fail(xlsx_read_error::damaged_part, name + " is shorter than declared");
        }
        total_ += read;
        return std::nullopt;
    }

private:
    [[nodiscard]] maybe_problem checked_size(const std::string& name, zip_uint64_t size) const {
        if (size > limits_.part_bytes || total_ + size > limits_.total_bytes) {
            return fail(xlsx_read_error::part_too_large, name);
        }
        return std::nullopt;
    }

    const xlsx_limits& limits_;
    zip_t* zip_ = nullptr;
    std::string why_;
    zip_uint64_t total_ = 0;
};

// ---- package structure -----------------------------------------------------

struct relationship {
    std::string id, type, target;
};

class relationships_handler final : public xml_handler {
public:
    void start(std::string_view name, const char** attributes) override {
        if (name != "Relationship" || list.size() >= 4096) {
            return;
        }
        const auto mode = attribute(attributes, "TargetMode");
        if (mode && *mode == "External") {
            return;
        }
        list.push_back({std::string(attribute(attributes, "Id").value_or("")),
                        std::string(attribute(attributes, "Type").value_or("")),
                        std::string(attribute(attributes, "Target").value_or(""))});
    }
    void end(std::string_view) override {}

    // The target of the first relationship whose type ends in "/kind".
    [[nodiscard]] std::optional<std::string> of_type(std::string_view kind) const {
        for (const auto& r : list) {
            const std::size_t slash = r.type.rfind('/');
            if (slash != std::string::npos && std::string_view(r.type).substr(slash + 1) == kind) {
                return r.target;
            }
        }
        return std::nullopt;
    }

    std::vector<relationship> list;
};

// `target` as the name of a part, relative to the folder of `source`.
std::string resolve(std::string_view source, std::string_view target) {
    std::string path;
    if (target.starts_with('/')) {
        target.remove_prefix(1);
    } else {
        const std::size_t slash = source.rfind('/');
        path = slash == std::string_view::npos ? "" : std::string(source.substr(0, slash + 1));
    }
    while (!target.empty()) {
        const std::size_t slash = target.find('/');
        const std::string_view segment = target.substr(0, slash);
        target = slash == std::string_view::npos ? std::string_view() : target.substr(slash + 1);
        if (segment == "..") {
            const std::size_t end = path.empty() ? 0 : path.rfind('/', path.size() - 2);
            path.resize(end == std::string::npos || path.size() < 2 ? 0 : end + 1);
        } else if (segment != "." && !segment.empty()) {
            path += segment;
            if (slash != std::string_view::npos) {
                path += '/';
            }
        }
    }
    return path;
}

std::string relationships_of(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? "" : part.substr(0, slash + 1);
    const std::string_view file = slash == std::string_view::npos ? part : part.substr(slash + 1);
    return std::string(folder) + "_rels/" + std::string(file) + ".rels";
}

struct sheet_entry {
    std::string name, relationship;
};

class workbook_handler final : public xml_handler {
public:
    void start(std::string_view name, const char** attributes) override {
        if (name == "workbookPr") {
            const auto value = attribute(attributes, "date1904");
            date1904 = value && (*value == "1" || *value == "true");
        } else if (name == "sheet" && sheets.size() < 4096) {
            sheets.push_back({std::string(attribute(attributes, "name").value_or("")),
                              std::string(attribute(attributes, "id", true).value_or(""))});
        }
    }
    void end(std::string_view) override {}

    bool date1904 = false;
    std::vector<sheet_entry> sheets;
};

// ---- number formats ----------------------------------------------------------

// How a cell's number format shows its number.
struct number_format {
    bool date = false;
    int decimals = -1; // fixed decimals, or -1 (General and anything unusual)
};

number_format built_in_format(std::size_t id) {
    constexpr std::array dates{14, 15, 16, 17, 18, 19, 20, 21, 22, 27, 28,
                               29, 30, 31, 36, 50, 51, 52, 53, 54, 57, 58};
    if (std::find(dates.begin(), dates.end(), static_cast<int>(id)) != dates.end()) {
        return {true, -1};
    }
    switch (id) {
    case 1:
    case 3:
    case 37:
    case 38:
        return {false, 0};
    case 2:
    case 4:
    case 7:
    case 8:
    case 39:
    case 40:
    case 43:
    case 44:
        return {false, 2};
    default:
        return {};
    }
}

// A format code of the file's own: a date when y, m or d appear outside
// quotes, escapes and brackets (m only without h or s, which make it minutes);
// otherwise the fixed decimals of its first section, if it has any.
number_format custom_format(std::string_view code) {
    std::string bare;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char ch = code[i];
        if (ch == '"') {
            const std::size_t close = code.find('"', i + 1);
            i = close == std::string_view::npos ? code.size() : close;
        } else if (ch == '\\' || ch == '_' || ch == '*') {
            ++i;
        } else if (ch == '[') {
            const std::size_t close = code.find(']', i + 1);
            i = close == std::string_view::npos ? code.size() : close;
        } else {
            bare += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
        }
    }
    if (bare == "general") {
        return {};
    }
    const bool minutes = bare.find_first_of("hs") != std::string::npos;
    if (bare.find_first_of("yd") != std::string::npos ||
        (!minutes && bare.find('m') != std::string::npos)) {
        return {true, -1};
    }
    const std::string_view first = std::string_view(bare).substr(0, bare.find(';'));
    if (first.find_first_of("%e") != std::string_view::npos) {
        return {};
    }
    const std::size_t point = first.find('.');
    if (point == std::string_view::npos) {
        return {false, first.find('0') != std::string_view::npos ? 0 : -1};
    }
    int decimals = 0;
    for (std::size_t i = point + 1; i < first.size() && first[i] == '0'; ++i) {
        ++decimals;
    }
    return {false, decimals};
}

class styles_handler final : public xml_handler {
public:
    void start(std::string_view name, const char** attributes) override {
        if (name == "cellXfs") {
            in_cell_formats_ = true;
        } else if (name == "numFmt" && custom_.size() < max_formats) {
            const auto id = whole_number(attribute(attributes, "numFmtId").value_or(""));
            if (id) {
                custom_[*id] = custom_format(attribute(attributes, "formatCode").value_or(""));
            }
        } else if (name == "xf" && in_cell_formats_ && cell_formats_.size() < max_formats) {
            cell_formats_.push_back(
                whole_number(attribute(attributes, "numFmtId").value_or("0")).value_or(0));
        }
    }
    void end(std::string_view name) override {
        if (name == "cellXfs") {
            in_cell_formats_ = false;
        }
    }

    // The format of cell style `index` (the s attribute of a cell).
    [[nodiscard]] number_format format(std::size_t index) const {
        if (index >= cell_formats_.size()) {
            return {};
        }
        const std::size_t id = cell_formats_[index];
        const auto own = custom_.find(id);
        return own != custom_.end() ? own->second : built_in_format(id);
    }

private:
    bool in_cell_formats_ = false;
    std::map<std::size_t, number_format> custom_;
    std::vector<std::size_t> cell_formats_;
};

// ---- cell values -------------------------------------------------------------

// The shortest decimal text that reads back as `value`, in plain notation.
std::string shortest_decimal(double value) {
    std::array<char, 400> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed);
    std::string text(buffer.data(), error == std::errc() ? end : buffer.data());
    return text == "-0" ? "0" : text;
}

std::string padded(std::string text, int decimals) {
    if (decimals <= 0) {
        return text;
    }
    std::size_t point = text.find('.');
    if (point == std::string::npos) {
        point = text.size();
        text += '.';
    }
    const std::size_t have = text.size() - point - 1;
    if (have < static_cast<std::size_t>(decimals)) {
        text.append(static_cast<std::size_t>(decimals) - have, '0');
    }
    return text;
}

// A serial day number of either date system as a cell: a date, the text of
// the 1900 system's day that never was, or the number when it names no day.
cell serial_date(double serial, bool date1904, const std::string& number_text) {
    using namespace std::chrono;
    const double whole = std::floor(serial);
    if (!(whole >= 0 && whole <= 3'000'000)) {
        return cell::of_number(number_text);
    }
    const auto days = static_cast<int>(whole);
    sys_days day;
    if (date1904) {
        day = sys_days(year{1904} / January / 1) + std::chrono::days(days);
    } else if (days == 60) {
        return cell::of_text("1900-02-29"); // Excel's 1900 counts a 29 February that was not
    } else if (days == 0) {
        return cell::of_text("1900-01-00");
    } else {
        day = sys_days(year{1899} / December / (days < 60 ? 31 : 30)) + std::chrono::days(days);
    }
    const year_month_day ymd(day);
    if (!calc::is_calendar_day(ymd)) {
        return cell::of_number(number_text);
    }
    return cell::of_date(ymd);
}

// ---- the worksheet -------------------------------------------------------------

// A cell that refers to a shared string, resolved once the strings are read.
struct shared_reference {
    std::size_t row, column, index;
};

// Reads "B3" into a 0-based row and column.
std::optional<std::pair<std::size_t, std::size_t>> cell_reference(std::string_view ref) {
    std::size_t column = 0;
    std::size_t i = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && i < 3; ++i) {
        column = column * 26 + static_cast<std::size_t>(ref[i] - 'A' + 1);
    }
    const auto row = whole_number(ref.substr(i));
    if (i == 0 || column > max_columns || !row || *row == 0 || *row > max_rows) {
        return std::nullopt;
    }
    return std::pair{*row - 1, column - 1};
}

// "SUM(B2:B9)" over rows first..last of `column`, as the totals row writes it.
struct sum_range {
    std::size_t column, first, last;
};
std::optional<sum_range> sum_formula(std::string_view formula) {
    if (formula.starts_with('=')) {
        formula.remove_prefix(1);
    }
    if (!formula.starts_with("SUM(") || !formula.ends_with(")")) {
        return std::nullopt;
    }
    formula = formula.substr(4, formula.size() - 5);
    const std::size_t colon = formula.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto from = cell_reference(formula.substr(0, colon));
    const auto to = cell_reference(formula.substr(colon + 1));
    if (!from || !to || from->second != to->second) {
        return std::nullopt;
    }
    return sum_range{from->second, from->first, to->first};
}

class sheet_handler final : public xml_handler {
public:
    sheet_handler(const styles_handler& styles, bool date1904, const xlsx_limits& limits)
        : styles_(styles), date1904_(date1904), limits_(limits) {}

    void start(std::string_view name, const char** attributes) override {
        if (name == "sheetData") {
            in_data_ = true;
        } else if (!in_data_) {
            return;
        } else if (name == "row") {
            start_row(attributes);
        } else if (name == "c") {
            start_cell(attributes);
        } else if (!in_cell_) {
            return;
        } else if (name == "v") {
            in_value_ = true;
        } else if (name == "f") {
            in_formula_ = true;
        } else if (name == "rPh") {
            ++in_phonetic_;
        } else if (name == "t" && in_phonetic_ == 0) {
            in_inline_ = true;
        }
    }

    void end(std::string_view name) override {
        if (name == "sheetData") {
            in_data_ = false;
        } else if (name == "c" && in_cell_) {
            finish_cell();
        } else if (name == "v") {
            in_value_ = false;
        } else if (name == "f") {
            in_formula_ = false;
        } else if (name == "rPh" && in_phonetic_ > 0) {
            --in_phonetic_;
        } else if (name == "t") {
            in_inline_ = false;
        }
    }

    void text(std::string_view text) override {
        if (in_value_) {
            value_.add(text, limits_.text_bytes);
        } else if (in_inline_) {
            inline_.add(text, limits_.text_bytes);
        } else if (in_formula_) {
            formula_.add(text, max_formula);
        }
    }

    std::vector<std::vector<cell>> rows;
    std::vector<shared_reference> shared;
    struct sum_cell {
        std::size_t row, column;
        sum_range range;
    };
    std::vector<sum_cell> sums; // cells with a formula "SUM(X1:X9)"
    std::size_t text_bytes = 0;

private:
    void start_row(const char** attributes) {
        const auto number = attribute(attributes, "r");
        if (number) {
            const auto parsed = whole_number(*number);
            if (!parsed || *parsed == 0 || *parsed > max_rows) {
                failure = fail(xlsx_read_error::bad_cell, "row number " + std::string(*number));
                return;
            }
            row_ = *parsed - 1;
        } else {
            row_ = next_row_;
        }
        next_row_ = row_ + 1;
        next_column_ = 0;
    }

    void start_cell(const char** attributes) {
        in_cell_ = true;
        value_.clear();
        inline_.clear();
        formula_.clear();
        in_phonetic_ = 0;
        column_ = next_column_;
        if (const auto ref = attribute(attributes, "r")) {
            const auto at = cell_reference(*ref);
            if (!at) {
                failure = fail(xlsx_read_error::bad_cell, "cell reference " + std::string(*ref));
                return;
            }
            row_ = at->first;
            column_ = at->second;
        }
        if (row_ >= max_rows || column_ >= max_columns) {
            failure =
                fail(xlsx_read_error::bad_cell, "a cell beyond the sheet's last row or column");
            return;
        }
        next_column_ = column_ + 1;
        type_ = std::string(attribute(attributes, "t").value_or("n"));
        style_ = whole_number(attribute(attributes, "s").value_or("0")).value_or(0);
    }

    [[nodiscard]] std::string where() const {
        return column_letters(column_) + std::to_string(row_ + 1);
    }

    void finish_cell() {
        in_cell_ = false;
        in_value_ = in_inline_ = in_formula_ = false;
        if (value_.over || inline_.over) {
            failure = fail(xlsx_read_error::too_much_text, where());
            return;
        }
        std::string_view value = value_.value;
        if (type_ == "s") {
            const auto index = whole_number(trimmed(value));
            if (!index) {
                failure = fail(xlsx_read_error::bad_cell,
                               where() + ": shared string " + std::string(value.substr(0, 20)));
                return;
            }
            if (place()) {
                shared.push_back({row_, column_, *index});
            }
            return;
        }
        std::optional<cell> made = make_cell(value);
        if (failure || !made) {
            return;
        }
        if (const auto range = formula_.over ? std::nullopt : sum_formula(formula_.value)) {
            sums.push_back({row_, column_, *range});
        }
        text_bytes += made->text.size();
        if (text_bytes > limits_.text_bytes) {
            failure = fail(xlsx_read_error::too_much_text, where());
            return;
        }
        if (cell* slot = place()) {
            *slot = std::move(*made);
        }
    }

    static std::string_view trimmed(std::string_view text) {
        const std::size_t first = text.find_first_not_of(" \t\r\n");
        if (first == std::string_view::npos) {
            return {};
        }
        return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    }

    // The cell a value makes; nothing for an empty one.
    std::optional<cell> make_cell(std::string_view value) {
        if (type_ == "inlineStr") {
            return inline_.value.empty() ? std::nullopt
                                         : std::optional(cell::of_text(unescape(inline_.value)));
        }
        if (type_ == "str" || type_ == "e") {
            return value.empty() ? std::nullopt : std::optional(cell::of_text(unescape(value)));
        }
        if (type_ == "b") {
            return cell::of_text(trimmed(value) == "1" ? "TRUE" : "FALSE");
        }
        if (type_ == "d") {
            const auto day = calc::parse_date_text(trimmed(value).substr(0, 10));
            return day ? cell::of_date(*day) : cell::of_text(std::string(value));
        }
        value = trimmed(value);
        if (value.empty()) {
            return std::nullopt;
        }
        double number = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), number);
        if (error != std::errc() || end != value.data() + value.size() || !std::isfinite(number)) {
            failure = fail(xlsx_read_error::bad_cell,
                           where() + ": not a number: " + std::string(value.substr(0, 20)));
            return std::nullopt;
        }
        const number_format format = styles_.format(style_);
        const std::string text = shortest_decimal(number);
        if (format.date) {
            return serial_date(number, date1904_, text);
        }
        return cell::of_number(padded(text, format.decimals));
    }

    // The slot of the current cell, making room for it; null past the limit.
    cell* place() {
        if (row_ >= rows.size()) {
            rows.resize(row_ + 1);
        }
        std::vector<cell>& row = rows[row_];
        if (column_ >= row.size()) {
            held_ += column_ + 1 - row.size();
            if (held_ > limits_.cells) {
                failure = fail(xlsx_read_error::too_many_cells);
                return nullptr;
            }
            row.resize(column_ + 1);
        }
        return &row[column_];
    }

    const styles_handler& styles_;
    bool date1904_;
    const xlsx_limits& limits_;
    bool in_data_ = false, in_cell_ = false, in_value_ = false, in_inline_ = false,
         in_formula_ = false;
    int in_phonetic_ = 0;
    std::size_t row_ = 0, next_row_ = 0, column_ = 0, next_column_ = 0, style_ = 0;
    std::string type_;
    bounded_text value_, inline_, formula_;
    std::size_t held_ = 0;
};

// The shared strings, keeping only those in `wanted` (sorted, unique): a table
// of strings far larger than the sheet refers to costs reading time only.
class shared_strings_handler final : public xml_handler {
public:
    shared_strings_handler(const std::vector<std::size_t>& wanted, const xlsx_limits& limits)
        : wanted_(wanted), limits_(limits) {
        kept.resize(wanted.size());
    }

    void start(std::string_view name, const char**) override {
        if (name == "si") {
            keep_ = next_ < wanted_.size() && wanted_[next_] == index_;
            text_.clear();
        } else if (name == "rPh") {
            ++in_phonetic_;
        } else if (name == "t" && in_phonetic_ == 0) {
            in_text_ = true;
        }
    }
    void end(std::string_view name) override {
        if (name == "si") {
            if (keep_) {
                if (text_.over) {
                    failure = fail(xlsx_read_error::too_much_text,
                                   "shared string " + std::to_string(index_));
                    return;
                }
                kept_bytes_ += text_.value.size();
                if (kept_bytes_ > limits_.text_bytes) {
                    failure = fail(xlsx_read_error::too_much_text);
                    return;
                }
                kept[next_++] = unescape(text_.value);
            }
            ++index_;
            keep_ = false;
        } else if (name == "rPh" && in_phonetic_ > 0) {
            --in_phonetic_;
        } else if (name == "t") {
            in_text_ = false;
        }
    }
    void text(std::string_view text) override {
        if (keep_ && in_text_) {
            text_.add(text, limits_.text_bytes);
        }
    }

    // The first wanted index the table lacks, if any.
    [[nodiscard]] std::optional<std::size_t> missing() const {
        return next_ < wanted_.size() ? std::optional(wanted_[next_]) : std::nullopt;
    }

    std::vector<std::string> kept; // parallel to wanted

private:
    const std::vector<std::size_t>& wanted_;
    const xlsx_limits& limits_;
    std::size_t index_ = 0, next_ = 0, kept_bytes_ = 0;
    bool keep_ = false, in_text_ = false;
    int in_phonetic_ = 0;
    bounded_text text_;
};

// ---- putting it together -------------------------------------------------------

struct workbook_parts {
    std::string workbook;
    workbook_handler book;
    relationships_handler relations;
};

maybe_problem read_structure(archive& zip, workbook_parts& parts) {
    std::string workbook = "xl/workbook.xml";
    if (zip.has("_rels/.rels")) {
        relationships_handler root;
        if (auto bad = zip.parse("_rels/.rels", root)) {
            return bad;
        }
        if (const auto target = root.of_type("officeDocument")) {
            workbook = resolve("", *target);
        }
    }
    parts.workbook = workbook;
    if (auto bad = zip.parse(workbook, parts.book)) {
        return bad;
    }
    if (auto bad = zip.parse(relationships_of(workbook), parts.relations)) {
        return bad;
    }
    return std::nullopt;
}

// The part of the worksheet asked for.
calc::result<std::string, problem> worksheet_part(const workbook_parts& parts,
                                                  const std::string& wanted) {
    std::string names;
    for (const auto& entry : parts.book.sheets) {
        const auto relation =
            std::find_if(parts.relations.list.begin(), parts.relations.list.end(),
                         [&](const relationship& r) { return r.id == entry.relationship; });
        if (relation == parts.relations.list.end() || !relation->type.ends_with("/worksheet")) {
            continue; // a chart sheet, or a sheet the package lost
        }
        if (wanted.empty() || entry.name == wanted) {
            return resolve(parts.workbook, relation->target);
        }
        names += (names.empty() ? "" : ", ") + entry.name;
    }
    if (names.empty()) {
        return fail(xlsx_read_error::no_worksheet);
    }
    return fail(xlsx_read_error::no_such_sheet, names);
}

maybe_problem resolve_shared(archive& zip, const workbook_parts& parts, sheet_handler& sheet,
                             const xlsx_limits& limits) {
    if (sheet.shared.empty()) {
        return std::nullopt;
    }
    std::vector<std::size_t> wanted;
    wanted.reserve(sheet.shared.size());
    for (const auto& ref : sheet.shared) {
        wanted.push_back(ref.index);
    }
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    const auto target = parts.relations.of_type("sharedStrings");
    if (!target) {
        return fail(xlsx_read_error::missing_part, "the shared strings");
    }
    shared_strings_handler strings(wanted, limits);
    if (auto bad = zip.parse(resolve(parts.workbook, *target), strings)) {
        return bad;
    }
    if (const auto index = strings.missing()) {
        return fail(xlsx_read_error::bad_cell,
                    "shared string " + std::to_string(*index) + " does not exist");
    }
    for (const auto& ref : sheet.shared) {
        const auto at = std::lower_bound(wanted.begin(), wanted.end(), ref.index) - wanted.begin();
        const std::string& text = strings.kept[static_cast<std::size_t>(at)];
        sheet.text_bytes += text.size();
        if (sheet.text_bytes > limits.text_bytes) {
            return fail(xlsx_read_error::too_much_text);
        }
        if (!text.empty()) {
            sheet.rows[ref.row][ref.column] = cell::of_text(text);
        }
    }
    return std::nullopt;
}

bool is_blank(const std::vector<cell>& row) {
    return std::all_of(row.begin(), row.end(),
                       [](const cell& c) { return c.kind == cell_kind::empty; });
}

// Moves a last row of totals out of the rows: one with at least one formula
// "SUM(X2:Xn)" over the rows between the header and itself in its own column,
// and no figure that is not such a total.
void take_totals(table& sheet, std::size_t header_row,
                 const std::vector<sheet_handler::sum_cell>& sums) {
    if (sheet.rows.empty()) {
        return;
    }
    const std::size_t last = header_row + sheet.rows.size(); // its 0-based sheet row
    const auto is_total = [&](std::size_t column) {
        return std::any_of(sums.begin(), sums.end(), [&](const sheet_handler::sum_cell& s) {
            return s.row == last && s.column == column && s.range.column == column &&
                   s.range.first == header_row + 1 && s.range.last + 1 == last;
        });
    };
    std::vector<cell> totals = sheet.rows.back();
    bool any = false;
    for (std::size_t c = 0; c < totals.size(); ++c) {
        if (totals[c].kind == cell_kind::empty || totals[c].kind == cell_kind::text) {
            continue;
        }
        if (!is_total(c)) {
            return; // a figure that is not a total: an ordinary row
        }
        totals[c] = cell::of_sum();
        any = true;
    }
    if (any) {
        sheet.totals = std::move(totals);
        sheet.rows.pop_back();
    }
}

calc::result<table, problem> build_table(sheet_handler& sheet) {
    auto& rows = sheet.rows;
    const auto header = std::find_if(rows.begin(), rows.end(),
                                     [](const std::vector<cell>& r) { return !is_blank(r); });
    if (header == rows.end()) {
        return fail(xlsx_read_error::no_header);
    }
    while (is_blank(rows.back())) {
        rows.pop_back();
    }
    table out;
    for (const cell& c : *header) {
        out.header.push_back(cell_text(c));
    }
    const auto header_row = static_cast<std::size_t>(header - rows.begin());
    out.rows.assign(std::make_move_iterator(header + 1), std::make_move_iterator(rows.end()));
    take_totals(out, header_row, sheet.sums);
    return out;
}

} // namespace

calc::result<table, xlsx_read_problem> read_xlsx(std::string_view file,
                                                 const xlsx_read_options& options) {
    const xlsx_limits& limits = options.limits;
    if (file.size() > limits.file_bytes) {
        return fail(xlsx_read_error::file_too_large);
    }
    archive zip(file, limits);
    if (!zip.open()) {
        return fail(xlsx_read_error::not_a_workbook, zip.why());
    }
    workbook_parts parts;
    if (auto bad = read_structure(zip, parts)) {
        return std::move(*bad);
    }
    const auto part = worksheet_part(parts, options.sheet);
    if (!part) {
        return part.error();
    }
    styles_handler styles;
    if (const auto target = parts.relations.of_type("styles")) {
        if (auto bad = zip.parse(resolve(parts.workbook, *target), styles)) {
            return std::move(*bad);
        }
    }
    sheet_handler sheet(styles, parts.book.date1904, limits);
    if (auto bad = zip.parse(*part, sheet)) {
        return std::move(*bad);
    }
    if (auto bad = resolve_shared(zip, parts, sheet, limits)) {
        return std::move(*bad);
    }
    return build_table(sheet);
}

calc::result<table, xlsx_read_problem> read_xlsx_file(const std::filesystem::path& path,
                                                      const xlsx_read_options& options) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) {
        return fail(xlsx_read_error::cannot_open, error.message());
    }
    if (size > options.limits.file_bytes) {
        return fail(xlsx_read_error::file_too_large);
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        return fail(xlsx_read_error::cannot_open, "the file cannot be read");
    }
    return read_xlsx(bytes, options);
}

calc::result<std::vector<std::string>, xlsx_read_problem>
xlsx_sheet_names(std::string_view file, const xlsx_limits& limits) {
    if (file.size() > limits.file_bytes) {
        return fail(xlsx_read_error::file_too_large);
    }
    archive zip(file, limits);
    if (!zip.open()) {
        return fail(xlsx_read_error::not_a_workbook, zip.why());
    }
    workbook_parts parts;
    if (auto bad = read_structure(zip, parts)) {
        return std::move(*bad);
    }
    std::vector<std::string> names;
    for (const auto& entry : parts.book.sheets) {
        names.push_back(entry.name);
    }
    return names;
}

std::string describe(const xlsx_read_problem& problem, language lang) {
    const bool zh = lang == language::chinese;
    const std::string& d = problem.detail;
    const auto with = [&](std::string text) {
        return d.empty() ? text : text + (zh ? "：" : ": ") + d;
    };
    switch (problem.what) {
    case xlsx_read_error::file_too_large:
        return zh ? "文件太大（工作簿最大64 MiB）" : "the file is too large (at most 64 MiB)";
    case xlsx_read_error::not_a_workbook:
        return with(zh ? "不是Excel工作簿(.xlsx)，或文件已损坏"
                       : "not an Excel workbook (.xlsx), or a damaged one");
    case xlsx_read_error::missing_part:
        return with(zh ? "工作簿不完整，缺少部件" : "the workbook is incomplete; missing part");
    case xlsx_read_error::damaged_part:
        return with(zh ? "工作簿已损坏" : "the workbook is damaged");
    case xlsx_read_error::part_too_large:
        return with(zh ? "工作簿解压后超过限制（单个部件256 MiB，合计512 MiB）"
                       : "the workbook expands past the limit (256 MiB a part, 512 MiB in all)");
    case xlsx_read_error::bad_xml:
        return with(zh ? "工作簿内容格式错误" : "the workbook's XML is malformed");
    case xlsx_read_error::no_worksheet:
        return zh ? "工作簿中没有工作表" : "the workbook has no worksheet";
    case xlsx_read_error::no_such_sheet:
        return with(zh ? "没有该名称的工作表，现有工作表"
                       : "no worksheet has that name; the worksheets are");
    case xlsx_read_error::bad_cell:
        return with(zh ? "单元格无法读取" : "a cell cannot be read");
    case xlsx_read_error::too_many_cells:
        return zh ? "工作表超过2,000,000个单元格的限制"
                  : "the worksheet has more than the 2,000,000 cells allowed";
    case xlsx_read_error::too_much_text:
        return with(zh ? "工作表文字超过64 MiB的限制"
                       : "the worksheet holds more than the 64 MiB of text allowed");
    case xlsx_read_error::cannot_open:
        return with(zh ? "无法打开文件" : "cannot open the file");
    case xlsx_read_error::no_header:
        return zh ? "工作表是空的，没有标题行" : "the worksheet is empty; a header row is required";
    }
    return {};
}

} // namespace orvandel::sheet
