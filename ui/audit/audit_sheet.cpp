// Laying the sheet out: every block is measured first, then the blocks are
// placed on pages (a block never splits), and only then is anything drawn,
// so that each page knows how many pages there are.

#include "ui/audit/audit_sheet.h"

#include "runtime/fonts.h"
#include "ui/audit/audit_content.h"
#include "ui/audit/pdf_text_map.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

namespace orvandel::ui::audit {
namespace {

// Margins in millimetres: room to bind on the left.
constexpr double margin_left_mm = 25;
constexpr double margin_right_mm = 18;
constexpr double margin_top_mm = 18;
constexpr double margin_bottom_mm = 12;

// Sizes in points.
constexpr double indent_pt = 21;       // two characters of body text
constexpr double rule_pad_pt = 5;      // between a rule and the text below it
constexpr double footer_pt = 22;       // the footer band at the foot of each page
constexpr double running_head_pt = 24; // the band at the top of every page after the first
constexpr double smallest_fit = 0.6;   // a figures line is made no smaller than this
constexpr int most_wrapped_lines = 4;  // of one text; the rest is cut with "…"

// The faces of the sheet, all the form's Song-style face.
struct face {
    QFont font;
    QFontMetricsF metrics;
};

enum face_index : std::size_t { title_face, heading_face, body_face, sign_face, small_face };

face make_face(double points, bool bold, const QPaintDevice& device) {
    QFont font = runtime::form_font(12, bold);
    font.setPointSizeF(points);
    // Each glyph straight from the font's character map: a PDF names glyphs by
    // the characters that map to them, and an alternate glyph chosen by
    // shaping (figures in Latin text) would be named by none and lost to
    // searching and copying. Chinese and figures need no shaping.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return {font, QFontMetricsF(font, &device)};
}

std::size_t face_of(style kind) {
    switch (kind) {
    case style::title:
        return title_face;
    case style::heading:
        return heading_face;
    case style::body:
    case style::figures:
        return body_face;
    case style::sign:
        return sign_face;
    }
    return body_face;
}

// A line as it will be drawn: its text already broken to fit.
struct laid_line {
    style kind = style::body;
    QString text;
    QString right;
    double x = 0;       // from the left edge of the text area
    double top = 0;     // from the top of the block
    double scale = 1.0; // of the face's size, below 1 for a figures line made to fit
};

struct laid_block {
    std::vector<laid_line> lines;
    double height = 0;
    bool rule_above = false;
    bool keep_with_next = false;
    double space_before = 0;
};

struct placement {
    std::size_t block = 0;
    double y = 0; // of the block's top, from the top of the text area
};

bool starts_no_line(QChar c) {
    return QStringLiteral("，。；：、！？）》」』”’,.;:!?)").contains(c);
}

// Breaks `text` into lines of at most `width`, character by character (as
// Chinese is set), keeping closing punctuation on the line it closes. After
// most_wrapped_lines lines the rest is cut with "…".
QStringList wrap(const QString& text, const QFontMetricsF& metrics, double width) {
    QStringList lines;
    QString current;
    double used = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString piece = text.mid(i, length);
        const double advance = metrics.horizontalAdvance(piece);
        if (used + advance > width && !current.isEmpty() && !starts_no_line(piece.at(0))) {
            lines.push_back(current);
            current.clear();
            used = 0;
        }
        current += piece;
        used += advance;
        i += length - 1;
    }
    lines.push_back(current);
    if (lines.size() > most_wrapped_lines) {
        lines.resize(most_wrapped_lines);
        lines.back() =
            metrics.elidedText(lines.back() + QStringLiteral("…"), Qt::ElideRight, width);
    }
    return lines;
}

class sheet_layout {
public:
    explicit sheet_layout(QPagedPaintDevice& device)
        : device_(device),
          unit_(device.logicalDpiY() / 72.0), faces_{make_face(18, true, device),
                                                     make_face(11, true, device),
                                                     make_face(10.5, false, device),
                                                     make_face(11, false, device),
                                                     make_face(8.5, false, device)},
          width_(device.width()), height_(device.height()) {}

    void lay_out(const std::vector<block>& blocks) {
        blocks_.reserve(blocks.size());
        for (const block& b : blocks) {
            blocks_.push_back(measure(b));
        }
        paginate();
    }

    [[nodiscard]] int pages() const { return static_cast<int>(pages_.size()); }

    void draw(QPainter& painter, const QString& running_head) const {
        for (std::size_t page = 0; page < pages_.size(); ++page) {
            if (page > 0) {
                device_.newPage();
                draw_running_head(painter, running_head);
            }
            for (const placement& at : pages_[page]) {
                draw_block(painter, blocks_[at.block], at.y);
            }
            draw_footer(painter, static_cast<int>(page) + 1);
        }
    }

private:
    [[nodiscard]] double pt(double points) const { return points * unit_; }
    [[nodiscard]] double line_height(style kind) const {
        const double spacing = faces_[face_of(kind)].metrics.lineSpacing();
        return kind == style::title ? spacing * 1.5 : spacing * 1.1;
    }

    laid_block measure(const block& b) const {
        laid_block laid{{}, 0, b.rule_above, b.keep_with_next, pt(b.space_before)};
        double y = b.rule_above ? pt(rule_pad_pt) : 0;
        for (const line& l : b.lines) {
            const face& f = faces_[face_of(l.kind)];
            const double x = l.indent ? pt(indent_pt) : 0;
            const double room = width_ - x;
            const double right_room =
                l.right.isEmpty() ? 0 : f.metrics.horizontalAdvance(l.right + u'　');
            switch (l.kind) {
            case style::title:
            case style::sign:
                laid.lines.push_back({l.kind, l.text, l.right, x, y, 1.0});
                y += line_height(l.kind);
                break;
            case style::figures: {
                const double needed = f.metrics.horizontalAdvance(l.text) + right_room;
                const double scale = needed > room ? std::max(smallest_fit, room / needed) : 1.0;
                if (needed * scale > room) {
                    // Too long even when smaller: broken like text.
                    append_wrapped(laid, l, f, x, room, y);
                } else {
                    laid.lines.push_back({l.kind, l.text, l.right, x, y, scale});
                    y += line_height(l.kind);
                }
                break;
            }
            case style::heading:
            case style::body:
                append_wrapped(laid, l, f, x, room - right_room, y);
                break;
            }
        }
        laid.height = y;
        return laid;
    }

    void append_wrapped(laid_block& laid, const line& l, const face& f, double x, double room,
                        double& y) const {
        const QStringList parts = wrap(l.text, f.metrics, room);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            laid.lines.push_back({l.kind, parts[i], i == 0 ? l.right : QString(), x, y, 1.0});
            y += line_height(l.kind);
        }
    }

    // Places the blocks top to bottom; a block that does not fit the rest of
    // the page starts the next one, and so does a block kept with the next
    // when the two do not fit together.
    void paginate() {
        const double bottom = height_ - pt(footer_pt);
        double top = 0;
        double y = 0;
        pages_.emplace_back();
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            const laid_block& b = blocks_[i];
            double needed = (y > top ? b.space_before : 0) + b.height;
            if (b.keep_with_next && i + 1 < blocks_.size()) {
                needed += blocks_[i + 1].space_before + blocks_[i + 1].height;
            }
            if (y + needed > bottom && y > top) {
                pages_.emplace_back();
                top = pt(running_head_pt);
                y = top;
            }
            if (y > top) {
                y += b.space_before;
            }
            pages_.back().push_back({i, y});
            y += b.height;
        }
    }

    void set_face(QPainter& painter, style kind, double scale) const {
        const face& f = faces_[face_of(kind)];
        if (scale == 1.0) {
            painter.setFont(f.font);
        } else {
            QFont smaller = f.font;
            smaller.setPointSizeF(f.font.pointSizeF() * scale);
            painter.setFont(smaller);
        }
    }

    void draw_block(QPainter& painter, const laid_block& b, double y) const {
        if (b.rule_above) {
            painter.setPen(QPen(Qt::black, pt(0.5)));
            painter.drawLine(QPointF(0, y), QPointF(width_, y));
        }
        for (const laid_line& l : b.lines) {
            set_face(painter, l.kind, l.scale);
            const QFontMetricsF& metrics = faces_[face_of(l.kind)].metrics;
            const double baseline = y + l.top + metrics.ascent() * l.scale;
            switch (l.kind) {
            case style::title: {
                const double advance = metrics.horizontalAdvance(l.text);
                painter.drawText(QPointF((width_ - advance) / 2, baseline), l.text);
                // A double rule under the title, as on a ruled working paper.
                const double under = y + l.top + line_height(l.kind) - pt(4);
                painter.setPen(QPen(Qt::black, pt(1.2)));
                painter.drawLine(QPointF(0, under), QPointF(width_, under));
                painter.setPen(QPen(Qt::black, pt(0.4)));
                painter.drawLine(QPointF(0, under + pt(2)), QPointF(width_, under + pt(2)));
                painter.setPen(Qt::black);
                break;
            }
            case style::sign:
                draw_signature(painter, l, baseline);
                break;
            case style::heading:
            case style::body:
            case style::figures:
                painter.drawText(QPointF(l.x, baseline), l.text);
                break;
            }
            if (!l.right.isEmpty()) {
                const double advance = metrics.horizontalAdvance(l.right) * l.scale;
                painter.drawText(QPointF(width_ - advance, baseline), l.right);
            }
        }
    }

    // The signature line, with a rule under each blank to sign on.
    void draw_signature(QPainter& painter, const laid_line& l, double baseline) const {
        const QFontMetricsF& metrics = faces_[sign_face].metrics;
        painter.drawText(QPointF(l.x, baseline), l.text);
        painter.setPen(QPen(Qt::black, pt(0.5)));
        const double under = baseline + pt(3);
        const QChar blank(0x3000);
        double x = l.x;
        for (qsizetype i = 0; i < l.text.size();) {
            qsizetype run_end = i;
            while (run_end < l.text.size() && l.text.at(run_end) == blank) {
                ++run_end;
            }
            if (run_end > i) {
                const double run = metrics.horizontalAdvance(l.text.mid(i, run_end - i));
                painter.drawLine(QPointF(x, under), QPointF(x + run, under));
                x += run;
                i = run_end;
            } else {
                x += metrics.horizontalAdvance(l.text.at(i));
                ++i;
            }
        }
        // The date's blank follows the last colon.
        painter.drawLine(QPointF(x, under),
                         QPointF(x + 6 * metrics.horizontalAdvance(blank), under));
        painter.setPen(Qt::black);
    }

    void draw_running_head(QPainter& painter, const QString& right) const {
        const face& f = faces_[small_face];
        painter.setFont(f.font);
        const double baseline = f.metrics.ascent();
        painter.drawText(QPointF(0, baseline), title_text + QStringLiteral("（续）"));
        painter.drawText(QPointF(width_ - f.metrics.horizontalAdvance(right), baseline), right);
        painter.setPen(QPen(Qt::black, pt(0.5)));
        const double under = f.metrics.height() + pt(3);
        painter.drawLine(QPointF(0, under), QPointF(width_, under));
        painter.setPen(Qt::black);
    }

    void draw_footer(QPainter& painter, int page) const {
        const face& f = faces_[small_face];
        painter.setFont(f.font);
        const double rule = height_ - pt(footer_pt) + pt(8);
        painter.setPen(QPen(Qt::black, pt(0.5)));
        painter.drawLine(QPointF(0, rule), QPointF(width_, rule));
        painter.setPen(Qt::black);
        const double baseline = height_ - f.metrics.descent();
        painter.drawText(QPointF(0, baseline), program_name_and_version());
        // The title beside the number keeps the number's spaces for a reader
        // of the PDF: with no other text on its line they are taken for
        // letter spacing and dropped.
        const QString number = title_text + QStringLiteral("　") + page_number_text(page, pages());
        painter.drawText(QPointF(width_ - f.metrics.horizontalAdvance(number), baseline), number);
    }

    QPagedPaintDevice& device_;
    double unit_; // device units per point
    std::array<face, 5> faces_;
    double width_;
    double height_;
    std::vector<laid_block> blocks_;
    std::vector<std::vector<placement>> pages_;
};

// The faces the sheet's text may be drawn in: the form's face, regular and
// bold, and the faces that stand in for it, which draw what it lacks.
QList<QFont> sheet_faces() {
    QList<QFont> faces{runtime::form_font(12), runtime::form_font(12, true)};
    for (const QString& family : QFont::substitutes(QString::fromUtf16(runtime::song_face))) {
        for (const bool bold : {false, true}) {
            QFont face(family, 12);
            face.setBold(bold);
            faces.push_back(face);
        }
    }
    return faces;
}

void set_a4_portrait(QPagedPaintDevice& device) {
    device.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                    QMarginsF(margin_left_mm, margin_top_mm, margin_right_mm, margin_bottom_mm),
                    QPageLayout::Millimeter));
}

} // namespace

bool print_audit_sheet(QPagedPaintDevice& device, const audit_items& sheet) {
    set_a4_portrait(device);
    sheet_layout layout(device);
    layout.lay_out(sheet_blocks(sheet));
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    layout.draw(painter, calculation_date_text(sheet));
    return painter.end();
}

audit_export_error export_audit_pdf(const QString& path, const audit_items& sheet) {
    // Opened first, so that an output that cannot be written is known before
    // any drawing; the file is put in place only once it is complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return audit_export_error::cannot_write;
    }
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(title_text);
        writer.setCreator(program_name_and_version());
        if (!print_audit_sheet(writer, sheet)) {
            file.cancelWriting();
            return audit_export_error::cannot_draw;
        }
    }
    const QString page_furniture =
        page_number_text(0, 0) + program_name_and_version() + QStringLiteral("（续）");
    audit::name_glyphs_by_drawn_characters(pdf, sheet_faces(), audit_text(sheet) + page_furniture);
    if (file.write(pdf) != pdf.size() || !file.commit()) {
        file.cancelWriting();
        return audit_export_error::cannot_write;
    }
    return audit_export_error::none;
}

QString audit_text(const audit_items& sheet) {
    QString text;
    for (const block& b : sheet_blocks(sheet)) {
        if (b.rule_above || b.space_before > 0) {
            text += u'\n';
        }
        for (const line& l : b.lines) {
            if (l.indent) {
                text += QStringLiteral("　　");
            }
            text += l.text;
            if (!l.right.isEmpty()) {
                text += QStringLiteral("　") + l.right;
            }
            text += u'\n';
        }
    }
    return text;
}

} // namespace orvandel::ui::audit
