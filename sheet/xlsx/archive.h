// The zip archive of a workbook, read through libzip. Its directory is
// bounded before libzip reads it, and each part is read a chunk at a time,
// its size checked as it decompresses: the sizes the archive declares are
// checked against the limits first, then enforced while reading.
#pragma once

#include "sheet/xlsx/problem.h"

#include "calc/result.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

struct zip;
struct zip_file;

namespace orvandel::sheet::xlsx {

class xml_handler;

// One part, read a chunk at a time.
class part_reader {
public:
    part_reader(part_reader&&) noexcept;
    part_reader& operator=(part_reader&&) noexcept;
    ~part_reader();

    // Reads up to `size` bytes into `into`: how many, 0 at the end of the
    // part, or what is wrong with it.
    calc::result<std::size_t, problem> read(char* into, std::size_t size);

    [[nodiscard]] const std::string& name() const { return name_; }
    [[nodiscard]] std::uint64_t done() const { return done_; }
    [[nodiscard]] std::uint64_t size() const { return declared_; }

private:
    friend class archive;
    part_reader(zip_file* file, std::string name, std::uint64_t declared, std::uint64_t& total,
                std::uint64_t total_limit);

    zip_file* file_;
    std::string name_;
    std::uint64_t declared_;
    std::uint64_t done_ = 0;
    std::uint64_t* total_;
    std::uint64_t total_limit_;
};

class archive {
public:
    [[nodiscard]] static calc::result<std::unique_ptr<archive>, problem>
    open_file(const std::filesystem::path& path, const xlsx_limits& limits);
    [[nodiscard]] static calc::result<std::unique_ptr<archive>, problem>
    open_bytes(std::string_view file, const xlsx_limits& limits);

    ~archive();
    archive(const archive&) = delete;
    archive& operator=(const archive&) = delete;

    [[nodiscard]] bool has(const std::string& name) const;
    // The part, ready to read; it must not outlive the archive.
    [[nodiscard]] calc::result<part_reader, problem> open_part(const std::string& name);
    // Streams the whole part through `handler`, holding a chunk at a time.
    [[nodiscard]] maybe_problem parse(const std::string& name, xml_handler& handler);

    [[nodiscard]] const xlsx_limits& limits() const { return limits_; }

private:
    archive(zip* zip, const xlsx_limits& limits) : zip_(zip), limits_(limits) {}

    zip* zip_;
    xlsx_limits limits_;
    std::uint64_t total_ = 0; // decompressed bytes of every part read
};

// The bytes read from a part at a time.
constexpr std::size_t chunk_size = 64 * 1024;

} // namespace orvandel::sheet::xlsx
