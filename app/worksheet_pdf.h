#pragma once
// `orvandel --worksheet IN --export-pdf OUT`: the worksheet file IN written as
// an audit sheet to the PDF file OUT, with no window shown.

#include "ui/audit/audit_sheet.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

namespace orvandel::app {

// True when the command line asks for a PDF export; read from the raw
// arguments, before Qt starts, so that the platform can still be chosen.
[[nodiscard]] bool pdf_export_requested(int argc, const char* const* argv);

// Reads a worksheet file: the first worksheet of an Excel workbook (.xlsx), or
// a CSV file in the batch's format (UTF-8 with or without a byte order mark,
// or GB18030 as Excel and WPS save it on Chinese Windows); headers in English
// or Chinese. Rows without a pay date take
// `payment_date`. Nothing, with `problem` set, when the file cannot be read
// or names no amount column.
[[nodiscard]] std::optional<ui::audit::audit_items>
read_worksheet_file(const QString& path, const QDate& payment_date, QString& problem);

// Runs the export for `arguments` (the program's, its name first): 0 when
// OUT was written, 2 with a message on `err` for a wrong command line, an
// input that cannot be read or an output that cannot be written; an existing
// OUT is then left as it was.
[[nodiscard]] int export_worksheet_pdf(const QStringList& arguments, QTextStream& err);

} // namespace orvandel::app
