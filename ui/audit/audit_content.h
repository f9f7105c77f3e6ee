#pragma once
// What the audit sheet says, before it is laid out: its blocks of lines in
// reading order. The painter and the plain text both read from here, so the
// printed sheet and the copied text say the same.

#include "ui/audit/audit_sheet.h"

#include <QString>

#include <vector>

namespace orvandel::ui::audit {

enum class style : unsigned char {
    title,   // the sheet's title, centred
    heading, // an item's or a section's first line, bold
    body,    // ordinary text; wraps within the width
    figures, // one line of figures or a formula: never wraps, made smaller to fit
    sign,    // the signature line, with blanks to sign on
};

struct line {
    style kind = style::body;
    QString text;
    QString right; // right-aligned on the same line; empty for none
    bool indent = false;
};

struct block {
    std::vector<line> lines;
    bool rule_above = false;     // a thin rule across the page above the block
    bool keep_with_next = false; // on the same page as the block after it
    double space_before = 0;     // points of space above the block (not at a page's top)
};

// The sheet's blocks: the start, one block per computed item, the end.
[[nodiscard]] std::vector<block> sheet_blocks(const audit_items& sheet);

// "计算日期：2026-12-07": the sheet's calculation date, today when it has none.
[[nodiscard]] QString calculation_date_text(const audit_items& sheet);

// "orvandel 2.0.0": the program's name and version, as the footer shows them.
[[nodiscard]] QString program_name_and_version();

// "第 3 页 共 12 页".
[[nodiscard]] QString page_number_text(int page, int pages);

inline const QString title_text = QStringLiteral("滞纳金计算底稿");
inline const QString signature_text = QStringLiteral("计算人：　　　　复核人：　　　　日期：");

} // namespace orvandel::ui::audit
