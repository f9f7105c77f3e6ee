#include "sheet/xlsx/archive.h"

#include "sheet/xlsx/xml.h"

#include <zip.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

namespace orvandel::sheet::xlsx {
namespace {

// ---- the directory, before libzip reads it ----------------------------------
//
// libzip reads an archive's whole directory when it opens it, taking memory
// in proportion to it (a few times its size). The directory's size and number of parts
// are declared by the end-of-directory record (and its zip64 form) within
// the file's last 64 KiB; every such record found there is checked, as
// libzip may take any one of them.

constexpr std::uint64_t end_record_size = 22;
constexpr std::uint64_t zip64_locator_size = 20;
constexpr std::uint64_t zip64_record_size = 56;
constexpr std::uint64_t longest_comment = 65535;
constexpr std::uint64_t directory_entry_size = 46; // the smallest, with no name

std::uint64_t little_endian(const unsigned char* at, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | at[i];
    }
    return value;
}

class source_bytes {
public:
    explicit source_bytes(zip_source_t* source) : source_(source) {}

    // `size` bytes at `offset`, or fewer when the file ends or fails.
    std::vector<unsigned char> at(std::uint64_t offset, std::uint64_t size) {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
        if (offset > static_cast<std::uint64_t>(std::numeric_limits<zip_int64_t>::max()) ||
            zip_source_seek(source_, static_cast<zip_int64_t>(offset), SEEK_SET) != 0) {
            return {};
        }
        const zip_int64_t got = zip_source_read(source_, bytes.data(), bytes.size());
        bytes.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        return bytes;
    }

private:
    zip_source_t* source_;
};

// The largest directory any end record of the file declares, in bytes: its
// own size, or its number of parts at the smallest entry size if that is more.
std::uint64_t declared_directory(source_bytes& file, std::uint64_t file_size) {
    const std::uint64_t tail_size =
        std::min(file_size, end_record_size + longest_comment + zip64_locator_size);
    const std::uint64_t tail_at = file_size - tail_size;
    const std::vector<unsigned char> tail = file.at(tail_at, tail_size);
    std::uint64_t largest = 0;
    const auto declare = [&](std::uint64_t parts, std::uint64_t bytes) {
        const std::uint64_t by_parts =
            parts > std::numeric_limits<std::uint64_t>::max() / directory_entry_size
                ? std::numeric_limits<std::uint64_t>::max()
                : parts * directory_entry_size;
        largest = std::max({largest, bytes, by_parts});
    };
    for (std::size_t at = tail.size() >= end_record_size ? tail.size() - end_record_size + 1 : 0;
         at-- > 0;) {
        const unsigned char* record = tail.data() + at;
        if (record[0] != 'P' || record[1] != 'K' || record[2] != 5 || record[3] != 6) {
            continue;
        }
        declare(std::max(little_endian(record + 8, 2), little_endian(record + 10, 2)),
                little_endian(record + 12, 4));
        if (tail_at + at < zip64_locator_size) {
            continue;
        }
        const auto locator = file.at(tail_at + at - zip64_locator_size, zip64_locator_size);
        if (locator.size() != zip64_locator_size || locator[0] != 'P' || locator[1] != 'K' ||
            locator[2] != 6 || locator[3] != 7) {
            continue;
        }
        const auto record64 = file.at(little_endian(locator.data() + 8, 8), zip64_record_size);
        if (record64.size() == zip64_record_size && record64[0] == 'P' && record64[1] == 'K' &&
            record64[2] == 6 && record64[3] == 6) {
            declare(std::max(little_endian(record64.data() + 24, 8),
                             little_endian(record64.data() + 32, 8)),
                    little_endian(record64.data() + 40, 8));
        }
    }
    return largest;
}

// libzip's words for an error. zip_error_strerror() keeps the text it makes
// in the error, and not every owner of an error frees it: the text is made
// from a copy, freed here.
std::string error_text(const zip_error_t* error) {
    zip_error_t copy;
    zip_error_init(&copy);
    zip_error_set(&copy, zip_error_code_zip(error), zip_error_code_system(error));
    std::string text = zip_error_strerror(&copy);
    zip_error_fini(&copy);
    return text;
}

std::string source_failure(zip_source_t* source) {
    return error_text(zip_source_error(source));
}

// Opens `source` as an archive (taking it over), once its directory is
// known to be within the limit.
calc::result<zip_t*, problem> open_source(zip_source_t* source, xlsx_read_error cannot_read,
                                          std::uint64_t limit) {
    if (zip_source_open(source) != 0) {
        problem why = fail(cannot_read, source_failure(source));
        zip_source_free(source);
        return why;
    }
    std::uint64_t directory = 0;
    if (zip_source_seek(source, 0, SEEK_END) == 0) {
        const zip_int64_t size = zip_source_tell(source);
        source_bytes bytes(source);
        directory = size > 0 ? declared_directory(bytes, static_cast<std::uint64_t>(size)) : 0;
    }
    zip_source_close(source);
    if (directory > limit) {
        zip_source_free(source);
        return fail(xlsx_read_error::directory_too_large, {}, limit);
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_t* zip = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (zip == nullptr) {
        problem why = fail(xlsx_read_error::not_a_workbook, zip_error_strerror(&error));
        zip_error_fini(&error);
        zip_source_free(source);
        return why;
    }
    zip_error_fini(&error);
    if (zip_get_num_entries(zip, 0) <= 0) {
        zip_discard(zip);
        return fail(xlsx_read_error::not_a_workbook, "an empty archive");
    }
    return zip;
}

std::uint64_t times(std::uint64_t a, std::uint64_t b) {
    return b != 0 && a > std::numeric_limits<std::uint64_t>::max() / b
               ? std::numeric_limits<std::uint64_t>::max()
               : a * b;
}

// The slack a small part has before the expansion limit counts: the
// styles, the workbook and the relationships compress far better than cells.
constexpr std::uint64_t expansion_slack = std::uint64_t{1} << 20;

} // namespace

// ---- parts ------------------------------------------------------------------

part_reader::part_reader(zip_file_t* file, std::string name, std::uint64_t declared,
                         std::uint64_t& total, std::uint64_t total_limit)
    : file_(file), name_(std::move(name)), declared_(declared), total_(&total),
      total_limit_(total_limit) {}

part_reader::part_reader(part_reader&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), name_(std::move(other.name_)),
      declared_(other.declared_), done_(other.done_), total_(other.total_),
      total_limit_(other.total_limit_) {}

part_reader& part_reader::operator=(part_reader&& other) noexcept {
    if (this != &other) {
        if (file_ != nullptr) {
            zip_fclose(file_);
        }
        file_ = std::exchange(other.file_, nullptr);
        name_ = std::move(other.name_);
        declared_ = other.declared_;
        done_ = other.done_;
        total_ = other.total_;
        total_limit_ = other.total_limit_;
    }
    return *this;
}

part_reader::~part_reader() {
    if (file_ != nullptr) {
        zip_fclose(file_);
    }
}

calc::result<std::size_t, problem> part_reader::read(char* into, std::size_t size) {
    const zip_int64_t got = zip_fread(file_, into, size);
    if (got < 0) {
        return fail(xlsx_read_error::damaged_part,
                    name_ + ": " + error_text(zip_file_get_error(file_)));
    }
    const auto count = static_cast<std::uint64_t>(got);
    done_ += count;
    *total_ += count;
    if (done_ > declared_) {
        return fail(xlsx_read_error::damaged_part, name_ + " is longer than declared");
    }
    if (*total_ > total_limit_) {
        return fail(xlsx_read_error::part_too_large, {}, total_limit_);
    }
    if (got == 0 && done_ != declared_) {
        return fail(xlsx_read_error::damaged_part, name_ + " is shorter than declared");
    }
    return static_cast<std::size_t>(count);
}

// ---- the archive ------------------------------------------------------------

calc::result<std::unique_ptr<archive>, problem>
archive::open_file(const std::filesystem::path& path, const xlsx_limits& limits) {
    zip_error_t error;
    zip_error_init(&error);
#ifdef _WIN32
    zip_source_t* source = zip_source_win32w_create(path.c_str(), 0, -1, &error);
#else
    zip_source_t* source = zip_source_file_create(path.c_str(), 0, -1, &error);
#endif
    if (source == nullptr) {
        problem why = fail(xlsx_read_error::cannot_open, zip_error_strerror(&error));
        zip_error_fini(&error);
        return why;
    }
    zip_error_fini(&error);
    const auto zip = open_source(source, xlsx_read_error::cannot_open, limits.directory_bytes);
    if (!zip) {
        return zip.error();
    }
    return std::unique_ptr<archive>(new archive(*zip, limits));
}

calc::result<std::unique_ptr<archive>, problem> archive::open_bytes(std::string_view file,
                                                                    const xlsx_limits& limits) {
    if (file.size() > limits.file_bytes) {
        return fail(xlsx_read_error::file_too_large, {}, limits.file_bytes);
    }
    if (file.empty()) {
        return fail(xlsx_read_error::not_a_workbook, "an empty file"); // libzip cannot seek in one
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(file.data(), file.size(), 0, &error);
    if (source == nullptr) {
        problem why = fail(xlsx_read_error::not_a_workbook, zip_error_strerror(&error));
        zip_error_fini(&error);
        return why;
    }
    zip_error_fini(&error);
    const auto zip = open_source(source, xlsx_read_error::not_a_workbook, limits.directory_bytes);
    if (!zip) {
        return zip.error();
    }
    return std::unique_ptr<archive>(new archive(*zip, limits));
}

archive::~archive() {
    zip_discard(zip_);
}

bool archive::has(const std::string& name) const {
    return zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE) >= 0;
}

calc::result<part_reader, problem> archive::open_part(const std::string& name) {
    const zip_int64_t index = zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE);
    if (index < 0) {
        return fail(xlsx_read_error::missing_part, name);
    }
    const auto at = static_cast<zip_uint64_t>(index);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip_, at, 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0 ||
        (stat.valid & ZIP_STAT_COMP_SIZE) == 0) {
        return fail(xlsx_read_error::damaged_part, name + ": " + error_text(zip_get_error(zip_)));
    }
    if (stat.size > limits_.part_bytes) {
        return fail(xlsx_read_error::part_too_large, name, limits_.part_bytes);
    }
    if (stat.size > std::max(expansion_slack, times(stat.comp_size, limits_.expansion))) {
        return fail(xlsx_read_error::expands_too_much, name, limits_.expansion);
    }
    if (stat.size > limits_.total_bytes - std::min(total_, limits_.total_bytes)) {
        return fail(xlsx_read_error::part_too_large, {}, limits_.total_bytes);
    }
    zip_file_t* file = zip_fopen_index(zip_, at, 0);
    if (file == nullptr) {
        return fail(xlsx_read_error::damaged_part, name + ": " + error_text(zip_get_error(zip_)));
    }
    return part_reader(file, name, stat.size, total_, limits_.total_bytes);
}

maybe_problem archive::parse(const std::string& name, xml_handler& handler) {
    auto opened = open_part(name);
    if (!opened) {
        return opened.error();
    }
    part_reader part = std::move(opened).value();
    xml_parser parser(handler, name, limits_.xml_bytes);
    for (;;) {
        char* buffer = parser.buffer(chunk_size);
        if (buffer == nullptr) {
            return parser.problem();
        }
        const auto got = part.read(buffer, chunk_size);
        if (!got) {
            return got.error();
        }
        auto status = parser.parse(*got, *got == 0);
        while (status == xml_parser::status::paused) {
            status = parser.resume();
        }
        if (status == xml_parser::status::failed) {
            return parser.problem();
        }
        if (*got == 0) {
            return std::nullopt;
        }
    }
}

} // namespace orvandel::sheet::xlsx
