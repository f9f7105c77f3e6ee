#include "sheet/xlsx/xml.h"

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace orvandel::sheet::xlsx {
namespace {

// Names arrive as written, "c" or "x:c": the parts are told apart by local
// names, whatever prefix a namespace is given, so both the usual and the
// strict namespaces work; expat's namespace processing, which would spell out
// each name's namespace in full, is not needed.
constexpr char prefix_separator = ':';

bool has_namespace(const char* name) {
    return std::string_view(name).find(prefix_separator) != std::string_view::npos;
}

// Expat's allocations are counted against the limit of the parser they are
// made for: each block records the account it was charged to, and the
// account of the parser being called is set for the length of each call
// into expat (expat allocates only then).
using memory_account = xml_memory_account;

thread_local memory_account* charged = nullptr;

class charging {
public:
    explicit charging(memory_account& account) : previous_(std::exchange(charged, &account)) {}
    ~charging() { charged = previous_; }
    charging(const charging&) = delete;
    charging& operator=(const charging&) = delete;

private:
    memory_account* previous_;
};

struct block_header {
    std::size_t size;
    memory_account* account;
};
constexpr std::size_t header_room = alignof(std::max_align_t) >= sizeof(block_header)
                                        ? alignof(std::max_align_t)
                                        : 2 * alignof(std::max_align_t);

block_header header_of(void* pointer) {
    block_header header{};
    std::memcpy(&header, static_cast<unsigned char*>(pointer) - header_room, sizeof header);
    return header;
}

void* xml_malloc(std::size_t size) {
    memory_account* account = charged;
    if (account != nullptr && size > account->limit - account->in_use) {
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(std::malloc(size + header_room));
    if (block == nullptr) {
        return nullptr;
    }
    const block_header header{size, account};
    std::memcpy(block, &header, sizeof header);
    if (account != nullptr) {
        account->in_use += size;
    }
    return block + header_room;
}

void xml_free(void* pointer) {
    if (pointer == nullptr) {
        return;
    }
    const block_header header = header_of(pointer);
    if (header.account != nullptr) {
        header.account->in_use -= header.size;
    }
    std::free(static_cast<unsigned char*>(pointer) - header_room);
}

void* xml_realloc(void* pointer, std::size_t size) {
    if (pointer == nullptr) {
        return xml_malloc(size);
    }
    void* moved = xml_malloc(size);
    if (moved == nullptr) {
        return nullptr;
    }
    std::memcpy(moved, pointer, std::min(header_of(pointer).size, size));
    xml_free(pointer);
    return moved;
}

const XML_Memory_Handling_Suite xml_memory{&xml_malloc, &xml_realloc, &xml_free};

} // namespace

std::string_view local_name(const char* name) {
    const std::string_view full(name);
    const std::size_t bar = full.rfind(prefix_separator);
    return bar == std::string_view::npos ? full : full.substr(bar + 1);
}

std::optional<std::string_view> attribute(const char** attributes, std::string_view name,
                                          bool qualified) {
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

struct xml_parser::callbacks {
    static xml_parser& self(void* data) { return *static_cast<xml_parser*>(data); }
    static void stop_if_asked(xml_parser& p) {
        auto* parser = static_cast<XML_Parser>(p.parser_);
        if (p.handler_.failure) {
            XML_StopParser(parser, XML_FALSE);
        } else if (p.handler_.pause) {
            p.handler_.pause = false;
            XML_StopParser(parser, XML_TRUE);
        }
    }
    static void on_start(void* data, const XML_Char* name, const XML_Char** attributes) {
        xml_parser& p = self(data);
        p.handler_.start(local_name(name), attributes);
        stop_if_asked(p);
    }
    static void on_end(void* data, const XML_Char* name) {
        xml_parser& p = self(data);
        p.handler_.end(local_name(name));
        stop_if_asked(p);
    }
    static void on_text(void* data, const XML_Char* text, int length) {
        xml_parser& p = self(data);
        p.handler_.text(std::string_view(text, static_cast<std::size_t>(length)));
        stop_if_asked(p);
    }
    // A workbook has no use for entities of its own; refusing any
    // declaration rules out entity expansion tricks altogether.
    static void on_entity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                          const XML_Char*, const XML_Char*, const XML_Char*) {
        xml_parser& p = self(data);
        p.entities_ = true;
        XML_StopParser(static_cast<XML_Parser>(p.parser_), XML_FALSE);
    }
};

xml_parser::xml_parser(xml_handler& handler, std::string part, std::size_t memory_limit)
    : parser_(nullptr), handler_(handler), part_(std::move(part)), memory_{0, memory_limit} {
    charging during(memory_);
    XML_Parser parser = XML_ParserCreate_MM(nullptr, &xml_memory, nullptr);
    parser_ = parser;
    if (parser == nullptr) {
        return;
    }
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &callbacks::on_start, &callbacks::on_end);
    XML_SetCharacterDataHandler(parser, &callbacks::on_text);
    XML_SetEntityDeclHandler(parser, &callbacks::on_entity);
}

xml_parser::~xml_parser() {
    if (parser_ != nullptr) {
        charging during(memory_);
        XML_ParserFree(static_cast<XML_Parser>(parser_));
    }
}

char* xml_parser::buffer(std::size_t size) {
    char* buffer = nullptr;
    if (parser_ != nullptr) {
        charging during(memory_);
        buffer = static_cast<char*>(
            XML_GetBuffer(static_cast<XML_Parser>(parser_), static_cast<int>(size)));
    }
    if (buffer == nullptr) {
        problem_ = out_of_memory();
    }
    return buffer;
}

xml_parser::status xml_parser::parse(std::size_t size, bool last) {
    if (parser_ == nullptr) {
        problem_ = out_of_memory();
        return status::failed;
    }
    charging during(memory_);
    return outcome(
        XML_ParseBuffer(static_cast<XML_Parser>(parser_), static_cast<int>(size), last ? 1 : 0));
}

xml_parser::status xml_parser::resume() {
    charging during(memory_);
    return outcome(XML_ResumeParser(static_cast<XML_Parser>(parser_)));
}

xml_parser::status xml_parser::outcome(int expat_status) {
    auto* parser = static_cast<XML_Parser>(parser_);
    if (handler_.failure) {
        problem_ = handler_.failure;
        return status::failed;
    }
    if (entities_) {
        problem_ = fail(xlsx_read_error::bad_xml, part_ + " declares XML entities");
        return status::failed;
    }
    if (expat_status == XML_STATUS_SUSPENDED) {
        return status::paused;
    }
    if (expat_status == XML_STATUS_OK) {
        return status::more;
    }
    if (XML_GetErrorCode(parser) == XML_ERROR_NO_MEMORY) {
        problem_ = out_of_memory();
    } else {
        problem_ = fail(xlsx_read_error::bad_xml,
                        part_ + ", line " + std::to_string(XML_GetCurrentLineNumber(parser)) +
                            ": " + XML_ErrorString(XML_GetErrorCode(parser)));
    }
    return status::failed;
}

xlsx_read_problem xml_parser::out_of_memory() const {
    return fail(xlsx_read_error::bad_xml,
                part_ + " needs more than the " + size_text(memory_.limit) + " its XML may take",
                memory_.limit);
}

void bounded_text::add(std::string_view more, std::size_t limit) {
    if (value.size() + more.size() > limit) {
        over = true;
        return;
    }
    value += more;
}

void bounded_text::clear() {
    value.clear();
    over = false;
}

namespace {
void append_utf8(std::string& out, char32_t c) {
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
}
} // namespace

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
        append_utf8(out, *unit);
        i += used;
    }
    return out;
}

} // namespace orvandel::sheet::xlsx
