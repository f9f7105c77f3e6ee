#include "ui/audit/pdf_text_map.h"

#include <QFontDatabase>
#include <QHash>
#include <QRawFont>
#include <QSet>
#include <QStringView>

#include <cstring>

namespace orvandel::ui::audit {
namespace {

// The code points Qt may name a glyph by instead of the character it draws:
// control characters (the tab shares the space's glyph), the CJK Radicals
// Supplement and the Kangxi Radicals.
constexpr char16_t last_control = 0x1F;
constexpr char16_t first_radical = 0x2E80;
constexpr char16_t last_radical = 0x2FDF;

bool is_misnamed(int code) {
    return (code > 0 && code <= last_control) || (code >= first_radical && code <= last_radical);
}

quint32 glyph_of(const QRawFont& font, char16_t c) {
    const QList<quint32> glyphs = font.glyphIndexesForString(QString(QChar(c)));
    return glyphs.isEmpty() ? 0 : glyphs.front();
}

// Misnamed code point → the drawn character that has the same glyph.
QHash<char16_t, char16_t> glyph_names(const QList<QFont>& fonts, const QString& drawn) {
    QSet<char16_t> characters;
    for (const QChar c : drawn) {
        if (!is_misnamed(c.unicode()) && !c.isSurrogate()) {
            characters.insert(c.unicode());
        }
    }
    QHash<char16_t, char16_t> names;
    for (const QFont& font : fonts) {
        const QRawFont raw = QRawFont::fromFont(font, QFontDatabase::SimplifiedChinese);
        if (!raw.isValid()) {
            continue;
        }
        QHash<quint32, char16_t> by_glyph; // the lowest drawn character of each glyph
        for (const char16_t c : characters) {
            const quint32 glyph = glyph_of(raw, c);
            if (glyph != 0 && (!by_glyph.contains(glyph) || c < by_glyph.value(glyph))) {
                by_glyph.insert(glyph, c);
            }
        }
        for (int r = 1; r <= last_radical; ++r) {
            const auto code = static_cast<char16_t>(r);
            if (!is_misnamed(r) || names.contains(code)) {
                continue;
            }
            const quint32 glyph = glyph_of(raw, code);
            if (glyph != 0 && by_glyph.contains(glyph)) {
                names.insert(code, by_glyph.value(glyph));
            }
        }
    }
    return names;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The value of "<XXXX>" at `at`, or -1.
int code_at(const QByteArray& pdf, qsizetype at) {
    if (at + 6 > pdf.size() || pdf[at] != '<' || pdf[at + 5] != '>') {
        return -1;
    }
    int value = 0;
    for (qsizetype i = at + 1; i < at + 5; ++i) {
        const int digit = hex_value(pdf[i]);
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

void write_code(QByteArray& pdf, qsizetype at, char16_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < 4; ++i) {
        pdf[at + 1 + i] = digits[(value >> (12 - 4 * i)) & 0xF];
    }
}

// Rewrites the destinations of one map section (between "beginbfrange" or
// "beginbfchar" and its end). Each entry is a line: "<src> <dst>" (bfchar),
// "<first> <last> [<dst> …]" or "<first> <last> <dst>" (bfrange). Only the
// destinations are touched, and a range with a single starting destination
// only when it covers one code.
qsizetype rewrite_section(QByteArray& pdf, qsizetype begin, qsizetype end, bool ranges,
                          const QHash<char16_t, char16_t>& names) {
    qsizetype rewritten = 0;
    qsizetype line = begin;
    while (line < end) {
        qsizetype line_end = pdf.indexOf('\n', line);
        if (line_end < 0 || line_end > end) {
            line_end = end;
        }
        QList<qsizetype> codes; // positions of the "<XXXX>" tokens on the line
        bool array = false;
        for (qsizetype i = line; i < line_end; ++i) {
            if (pdf[i] == '[') {
                array = true;
            } else if (code_at(pdf, i) >= 0) {
                codes.push_back(i);
                i += 5;
            }
        }
        const qsizetype sources = ranges ? 2 : 1;
        const bool single = !ranges || array ||
                            (codes.size() == 3 && code_at(pdf, codes[0]) == code_at(pdf, codes[1]));
        if (codes.size() > sources && single) {
            for (qsizetype k = sources; k < codes.size(); ++k) {
                const int value = code_at(pdf, codes[k]);
                if (is_misnamed(value) && names.contains(static_cast<char16_t>(value))) {
                    write_code(pdf, codes[k], names.value(static_cast<char16_t>(value)));
                    ++rewritten;
                }
            }
        }
        line = line_end + 1;
    }
    return rewritten;
}

} // namespace

qsizetype name_glyphs_by_drawn_characters(QByteArray& pdf, const QList<QFont>& fonts,
                                          const QString& drawn) {
    const QHash<char16_t, char16_t> names = glyph_names(fonts, drawn);
    if (names.isEmpty()) {
        return 0;
    }
    qsizetype rewritten = 0;
    for (const bool ranges : {true, false}) {
        const QByteArray open = ranges ? "beginbfrange" : "beginbfchar";
        const QByteArray close = ranges ? "endbfrange" : "endbfchar";
        for (qsizetype at = pdf.indexOf(open); at >= 0; at = pdf.indexOf(open, at)) {
            const qsizetype end = pdf.indexOf(close, at);
            if (end < 0) {
                break;
            }
            rewritten += rewrite_section(pdf, at + open.size(), end, ranges, names);
            at = end;
        }
    }
    return rewritten;
}

} // namespace orvandel::ui::audit
