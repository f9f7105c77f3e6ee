#include "sheet/csv.h"

#include "calc/utf8.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvandel::sheet {
namespace {

// The first ',', LF or CR in [p, stop), or stop. The batch spends much of its
// time here, so whole blocks of sixteen bytes are tested at once where the
// processor allows.
const char* find_separator(const char* p, const char* stop) {
#if defined(__SSE2__)
    const __m128i comma = _mm_set1_epi8(',');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; stop - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, comma), _mm_cmpeq_epi8(block, lf)),
                         _mm_cmpeq_epi8(block, cr));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0) {
            return p + std::countr_zero(mask);
        }
    }
#endif
    for (; p < stop; ++p) {
        if (*p == ',' || *p == '\n' || *p == '\r') {
            return p;
        }
    }
    return stop;
}

// Bit i set where p[i] is ',', LF, CR or '"': the bytes that end a cell or a
// record or need the careful reading. Reads sixteen bytes.
unsigned special_bytes(const char* p) {
#if defined(__SSE2__)
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(',')),
                                                   _mm_cmpeq_epi8(block, _mm_set1_epi8('\n'))),
                                      _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\r')),
                                                   _mm_cmpeq_epi8(block, _mm_set1_epi8('"'))));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
#else
    unsigned mask = 0;
    for (unsigned i = 0; i < 16; ++i) {
        const char c = p[i];
        if (c == ',' || c == '\n' || c == '\r' || c == '"') {
            mask |= 1U << i;
        }
    }
    return mask;
#endif
}

} // namespace

std::string_view quoted_cell_text(const csv_cell& cell, std::string& scratch) {
    const std::string_view body = cell.raw.substr(1);
    const std::size_t quote = body.find('"');
    if (quote == std::string_view::npos) {
        return body; // the input ended inside the quotes
    }
    if (quote + 1 == body.size()) {
        return body.substr(0, quote); // the common "text" with nothing to undouble
    }
    scratch.clear();
    bool inside = true;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (inside && c == '"') {
            if (i + 1 < body.size() && body[i + 1] == '"') {
                scratch.push_back('"');
                ++i;
            } else {
                inside = false;
            }
            continue;
        }
        scratch.push_back(c);
    }
    return scratch;
}

char* write_cell(char* at, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        std::memcpy(at, text.data(), text.size());
        return at + text.size();
    }
    *at++ = '"';
    for (const char c : text) {
        if (c == '"') {
            *at++ = '"';
        }
        *at++ = c;
    }
    *at++ = '"';
    return at;
}

csv_reader::csv_reader(std::istream& in, std::size_t block_size)
    : in_(in), buffer_((block_size == 0 ? 1 : block_size) + scan_padding) {}

bool csv_reader::next(csv_record& record) {
    if (!started_) {
        started_ = true;
        skip_bom();
    }
    for (;;) {
        if (failed_) {
            return false;
        }
        if (begin_ == end_ && (eof_ || !refill())) {
            return false;
        }
        scan found = scan_plain_record(record);
        if (found == scan::irregular) {
            found = scan_record(record);
        }
        if (found == scan::complete) {
            return true;
        }
        refill(); // at the end of the input the next scan completes the record
    }
}

void csv_reader::skip_bom() {
    constexpr std::string_view bom = calc::utf8_bom;
    while (end_ - begin_ < bom.size() && !eof_ && refill()) {
    }
    const std::string_view head(buffer_.data() + begin_, end_ - begin_);
    if (head.substr(0, bom.size()) == bom) {
        begin_ += bom.size();
        had_bom_ = true;
    }
}

bool csv_reader::refill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity()) {
        // One record fills the whole buffer: double it, so that a long record
        // is rescanned only a logarithmic number of times.
        buffer_.resize(capacity() * 2 + scan_padding);
    }
    in_.read(buffer_.data() + end_, static_cast<std::streamsize>(capacity() - end_));
    const auto got = static_cast<std::size_t>(in_.gcount());
    end_ += got;
    if (in_.bad()) {
        failed_ = true;
    }
    if (!in_) {
        eof_ = true;
    }
    return got > 0;
}

// Reads the record at begin_ when it has no quote and no lone CR, as nearly
// every record has, testing sixteen bytes at a time for the next separator.
csv_reader::scan csv_reader::scan_plain_record(csv_record& record) {
    record.cells.clear();
    record.open_quote = false;
    const char* const start = buffer_.data() + begin_;
    const char* const stop = buffer_.data() + end_;
    const char* cell_start = start;
    const char* p = stop;
    std::size_t line_end = 0;
    for (const char* block = start; block < stop && line_end == 0; block += 16) {
        unsigned mask = special_bytes(block); // may read into the padding
        if (stop - block < 16) {
            mask &= (1U << (stop - block)) - 1;
        }
        for (; mask != 0; mask &= mask - 1) {
            p = block + std::countr_zero(mask);
            if (*p == ',') {
                record.cells.push_back({{cell_start, static_cast<std::size_t>(p - cell_start)}});
                cell_start = p + 1;
                continue;
            }
            if (*p == '\n') {
                line_end = 1;
            } else if (*p == '\r' && p + 1 < stop && p[1] == '\n') {
                line_end = 2;
            } else {
                return scan::irregular;
            }
            break;
        }
    }
    if (line_end == 0) {
        if (!eof_) {
            return scan::need_more;
        }
        p = stop; // the last record of the input, without a line ending
    }
    record.cells.push_back({{cell_start, static_cast<std::size_t>(p - cell_start)}});
    record.raw = {start, static_cast<std::size_t>(p - start)};
    record.line_end = {p, line_end};
    begin_ = static_cast<std::size_t>(p + line_end - buffer_.data());
    return scan::complete;
}

// Finds the record that starts at begin_. Every view points into buffer_, so
// when the record is not complete yet nothing is kept: the caller reads more
// and the record is scanned again from its start.
csv_reader::scan csv_reader::scan_record(csv_record& record) {
    record.cells.clear();
    record.open_quote = false;
    const char* const start = buffer_.data() + begin_;
    const char* const stop = buffer_.data() + end_;
    const char* p = start;
    for (;;) {
        const char* const cell_start = p;
        const bool quoted = p < stop && *p == '"';
        if (quoted) {
            ++p;
            for (;;) {
                const void* quote = std::memchr(p, '"', static_cast<std::size_t>(stop - p));
                if (quote == nullptr) {
                    if (!eof_) {
                        return scan::need_more;
                    }
                    record.open_quote = true;
                    p = stop;
                    break;
                }
                p = static_cast<const char*>(quote) + 1;
                if (p == stop) {
                    if (!eof_) {
                        return scan::need_more; // a doubled quote may follow
                    }
                    break;
                }
                if (*p != '"') {
                    break; // the closing quote
                }
                ++p;
            }
        }
        // The unquoted cell, or what follows a closing quote.
        while ((p = find_separator(p, stop)) < stop && *p == '\r') {
            if (p + 1 == stop && !eof_) {
                return scan::need_more; // CRLF may be split between two reads
            }
            if (p + 1 < stop && p[1] == '\n') {
                break;
            }
            ++p; // a lone CR is data
        }
        if (p == stop && !eof_) {
            return scan::need_more;
        }
        record.cells.push_back({{cell_start, static_cast<std::size_t>(p - cell_start)}, quoted});
        if (p < stop && *p == ',') {
            ++p;
            continue;
        }
        record.raw = {start, static_cast<std::size_t>(p - start)};
        const std::size_t line_end = p == stop ? 0 : (*p == '\r' ? 2 : 1);
        record.line_end = {p, line_end};
        begin_ = static_cast<std::size_t>(p + line_end - buffer_.data());
        return scan::complete;
    }
}

} // namespace orvandel::sheet
