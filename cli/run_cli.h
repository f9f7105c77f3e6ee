// orvandel-cli as a function over streams, so that it can be run in-process.
#pragma once

#include <istream>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace orvandel::cli {

// Where batch files come from and go to. The command line reaches files only
// through this, so a caller can supply its own.
class file_access {
public:
    virtual ~file_access() = default;
    // A stream for reading `path`, or nullptr with the reason in `why`.
    virtual std::unique_ptr<std::istream> open_input(const std::string& path, std::string& why) = 0;
    // A stream that replaces the contents of `path`, or nullptr with the reason in `why`.
    virtual std::unique_ptr<std::ostream> open_output(const std::string& path,
                                                      std::string& why) = 0;
    // Both paths name one existing file.
    virtual bool same_file(const std::string& a, const std::string& b) = 0;
};

// The files of the machine.
class disk_files final : public file_access {
public:
    std::unique_ptr<std::istream> open_input(const std::string& path, std::string& why) override;
    std::unique_ptr<std::ostream> open_output(const std::string& path, std::string& why) override;
    bool same_file(const std::string& a, const std::string& b) override;
};

// Exit statuses.
inline constexpr int exit_ok = 0;      // done; in a batch every row was computed
inline constexpr int exit_refused = 1; // start after end, or some batch rows have an error
inline constexpr int exit_usage = 2;   // the command line, a file or a header is unusable

// Runs the command line `args` (without the program name). `in` is read for
// "--batch -", `out` gets results, `err` gets messages.
int run_cli(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
            std::ostream& err, file_access& files);

// The same on the machine's files.
int run_cli(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
            std::ostream& err);

} // namespace orvandel::cli
