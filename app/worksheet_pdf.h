#pragma once
// `orvandel --worksheet IN --export-pdf OUT`: the worksheet file IN written as
// an audit sheet to the PDF file OUT, with no window shown.

#include "ui/audit/audit_sheet.h"

#include <QDate>
#include <QString>

#include <optional>

class QTextStream;

namespace orvandel::app {

// Reads a worksheet file: the first worksheet of an Excel workbook (.xlsx), or
// a CSV file in the batch's format (UTF-8 with or without a byte order mark,
// or GB18030 as Excel and WPS save it on Chinese Windows); headers in English
// or Chinese. Rows without a pay date take
// `payment_date`. Nothing, with `problem` set, when the file cannot be read
// or names no amount column.
[[nodiscard]] std::optional<ui::audit::audit_items>
read_worksheet_file(const QString& path, const QDate& payment_date, QString& problem);

// Writes the audit sheet of the file `input` to `output`: 0 when it was
// written, 2 with a message on `err` for an input that cannot be read or an
// output that cannot be written; an existing `output` is then left as it was.
[[nodiscard]] int export_worksheet_pdf(const QString& input, const QString& output,
                                       QTextStream& err);

} // namespace orvandel::app
