// XML parts of a workbook, parsed with expat within a bound on the parser's
// own memory, so that elements nested millions deep or one element with
// millions of attributes is an error, not gigabytes. A part is fed in chunks;
// a handler may pause the parse (after each worksheet row) and the caller
// resumes it when it wants more.
#pragma once

#include "sheet/xlsx/problem.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvandel::sheet::xlsx {

// The name without its namespace prefix: "c" of "x:c".
[[nodiscard]] std::string_view local_name(const char* name);

// The value of the attribute with local name `name`; with `qualified`, only
// one with a namespace prefix (r:id), without, only one without (Id, Target).
[[nodiscard]] std::optional<std::string_view>
attribute(const char** attributes, std::string_view name, bool qualified = false);

// Plain decimal digits as a number; nothing for anything else.
[[nodiscard]] std::optional<std::size_t> whole_number(std::string_view text);

class xml_handler {
public:
    virtual ~xml_handler() = default;
    virtual void start(std::string_view name, const char** attributes) = 0;
    virtual void end(std::string_view name) = 0;
    virtual void text(std::string_view) {}

    maybe_problem failure; // set by a handler to stop the parse
    bool pause = false;    // set by a handler to pause after the current element
};

// What the parser of one part has allocated, and may.
struct xml_memory_account {
    std::size_t in_use = 0;
    std::size_t limit = 0;
};

class xml_parser {
public:
    xml_parser(xml_handler& handler, std::string part, std::size_t memory_limit);
    ~xml_parser();
    xml_parser(const xml_parser&) = delete;
    xml_parser& operator=(const xml_parser&) = delete;

    enum class status { more, paused, failed };

    // A buffer of `size` bytes for the next chunk, or null when there is no
    // memory for it (then problem() says so).
    [[nodiscard]] char* buffer(std::size_t size);
    // Parses the `size` bytes put in buffer(); `last` for the end of the
    // part. Paused when the handler asked; failed when the XML is bad or the
    // handler failed (then problem() says why).
    status parse(std::size_t size, bool last);
    // Goes on after a pause with the rest of the chunk.
    status resume();
    [[nodiscard]] const maybe_problem& problem() const { return problem_; }

private:
    struct callbacks;
    status outcome(int expat_status);
    [[nodiscard]] xlsx_read_problem out_of_memory() const;

    void* parser_;
    xml_handler& handler_;
    std::string part_;
    xml_memory_account memory_;
    bool entities_ = false;
    maybe_problem problem_;
};

// Text accumulated within one element, up to a limit; `over` once past it.
struct bounded_text {
    std::string value;
    bool over = false;
    void add(std::string_view more, std::size_t limit);
    void clear();
};

// "_x000D_" and the other escapes of characters XML cannot carry, back into
// the characters; "_x005F_" is a literal "_".
[[nodiscard]] std::string unescape(std::string_view text);

} // namespace orvandel::sheet::xlsx
