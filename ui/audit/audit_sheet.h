#pragma once
// The audit sheet (计算底稿): the working of a set of surcharge items on A4
// portrait paper, for an accountant to check, sign and file. It opens with the
// title, the dates and the legal basis, shows each item with its dates, day
// counts, both formulas and totals (an item never split across pages), each
// debt paid in parts with its segments, their formulas, each payment's
// division with its rule and document, its totals and the cap (a long debt
// runs on over pages), and ends with the totals, the items left out for
// errors and the signature line.
// Every page carries "第 N 页 共 M 页" and the program's name and version.
//
// Everything is drawn as text and lines, so a PDF of the sheet keeps every
// figure searchable and sharp at any size.

#include "sheet/debts.h"
#include "sheet/row.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QPagedPaintDevice;

namespace orvandel::ui::audit {

// A debt paid in parts: the rows of one 编号 (sheet/debts.h).
struct audit_debt {
    QString id;                  // 编号
    sheet::debt_outcome outcome; // with its figures when ok
};

// One item of the sheet, as the worksheet or the form holds it.
struct audit_item {
    QString name;               // 项目; may be empty
    sheet::row_outcome outcome; // the item read and computed (not of a debt)
    QString note; // 备注: why an item has no figures, or "未逾期"; empty otherwise
    std::optional<audit_debt> debt{}; // a debt paid in parts, in place of `outcome`
};

// The item has its figures: computed alone, or as a debt.
[[nodiscard]] inline bool computed(const audit_item& item) {
    return item.debt ? item.debt->outcome.ok() : item.outcome.ok;
}

struct audit_items {
    std::vector<audit_item> items;
    QDate calculation_date; // 计算日期: the day the sheet is made; null for today
    QDate payment_date;     // 缴款日期: the worksheet's payment date; null when there is none
};

// Draws the sheet on `device` (a printer or a PDF writer), which it sets to A4
// portrait with the sheet's margins. False when painting could not begin.
[[nodiscard]] bool print_audit_sheet(QPagedPaintDevice& device, const audit_items& sheet);

enum class audit_export_error {
    none,
    cannot_write, // the file could not be created, written or put in place
    cannot_draw,  // painting on the PDF could not begin
};

// Writes the sheet as a PDF file. An existing file at `path` is replaced only
// once the new one is complete; on an error it is left as it was.
[[nodiscard]] audit_export_error export_audit_pdf(const QString& path, const audit_items& sheet);

// The sheet's lines as plain text, in reading order and without page
// furniture: what "复制计算过程" puts on the clipboard. Lines end in "\n".
[[nodiscard]] QString audit_text(const audit_items& sheet);

} // namespace orvandel::ui::audit
