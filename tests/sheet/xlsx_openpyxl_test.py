#!/usr/bin/env python3
"""orvandel-cli's workbooks against openpyxl, an independent reader and writer.

    xlsx_openpyxl_test.py ORVANDEL_CLI DATA_DIR WORK_DIR

Workbooks openpyxl writes (both date systems, amounts as binary floats) give the same cells as the same rows in CSV; the
workbooks orvandel-cli writes read back in openpyxl with the same values,
types, number formats and totals. Exits 77 (skipped) when openpyxl is not installed.
"""
import csv
import datetime
import os
import subprocess
import sys
import unittest
from decimal import Decimal

try:
    import openpyxl
    from openpyxl.utils.datetime import CALENDAR_MAC_1904
except ImportError:
    print("SKIP: python3-openpyxl is not installed (apt-get install python3-openpyxl)")
    sys.exit(77)

CLI, DATA, WORK = sys.argv[1:4]
del sys.argv[1:4]

CHINESE = {
    "项目": "item", "应缴税款金额": "amount", "缴款期限": "due_date", "实际缴款日期": "pay_date",
    "起始日期": "start_date", "终止日期": "end_date", "2001年04月30日前滞纳天数": "days_before",
    "2001年05月01日后滞纳天数": "days_after", "合计滞纳天数": "total_days",
    "2001年04月30日前应加征滞纳金": "fee_before", "2001年05月01日后应加征滞纳金": "fee_after",
    "合计应加征滞纳金": "total_fee", "税款与滞纳金合计": "tax_and_fee_total",
    "每多滞纳一日增加": "one_more_day", "备注": "error",
}
MONEY = {"amount", "fee_before", "fee_after", "total_fee", "tax_and_fee_total", "one_more_day"}
COUNTS = {"days_before", "days_after", "total_days"}
DATES = {"start_date", "end_date", "due_date", "pay_date"}


def work(name):
    return os.path.join(WORK, name)


# A program built for another system runs through the emulator CTest names
# (Wine for the Windows build).
EMULATOR = os.environ.get("ORVANDEL_EMULATOR", "").split()


def run(*args):
    return subprocess.run([*EMULATOR, CLI, *args], capture_output=True, text=True, check=False)


def read_csv(path):
    with open(path, newline="", encoding="utf-8-sig") as f:
        return list(csv.reader(f))


def batch_csv(source, *extra):
    out = work("result.csv")
    if os.path.exists(out):
        os.remove(out)
    result = run("--batch", source, "-o", out, *extra)
    return result, (read_csv(out) if os.path.exists(out) else None)


HEADER = ["item", "amount", "start_date", "end_date", "days_before", "days_after"]
ROWS = [
    ["VAT", 12345.67, datetime.date(2001, 4, 21), datetime.date(2001, 5, 10), None, None],
    ["增值税 2024年3月", 1000, datetime.date(2024, 4, 16), datetime.date(2024, 6, 21), None, None],
    ["days", 1234.56, None, None, 15, 30],
    ["cents", 0.1, None, None, 0, 7],
    ["three decimals", 1.234, None, None, 1, 1],
    ["amount as text", "98765432.10", "2001-04-20", "2001-05-09", None, None],
    ["widest", 999999999999.99, datetime.date(2001, 4, 30), datetime.date(2001, 5, 2), None, None],
]


def as_text(value):
    if value is None:
        return ""
    if isinstance(value, datetime.date):
        return value.isoformat()
    return repr(value) if isinstance(value, float) else str(value)


def write_openpyxl(path, epoch1904=False):
    book = openpyxl.Workbook()
    if epoch1904:
        book.epoch = CALENDAR_MAC_1904
    sheet = book.active
    sheet.title = "Data"
    sheet.append(HEADER)
    for row in ROWS:
        sheet.append(row)
    for cells in sheet.iter_rows(min_row=2):
        for c in cells:
            if isinstance(c.value, datetime.date):
                c.number_format = "yyyy-mm-dd"
    other = book.create_sheet("二月")
    other.append(HEADER)
    other.append(["second sheet", 500.5, None, None, 3, 4])
    book.save(path)


def write_csv(path, rows):
    with open(path, "w", newline="", encoding="utf-8") as f:
        writer = csv.writer(f, lineterminator="\r\n")
        writer.writerow(HEADER)
        for row in rows:
            writer.writerow([as_text(v) for v in row])


class WorkbooksOpenpyxlWrites(unittest.TestCase):
    def check_same_as_csv(self, epoch1904):
        book = work("openpyxl-1904.xlsx" if epoch1904 else "openpyxl-1900.xlsx")
        write_openpyxl(book, epoch1904)
        write_csv(work("same-rows.csv"), ROWS)
        from_book, book_rows = batch_csv(book)
        from_csv, csv_rows = batch_csv(work("same-rows.csv"))
        self.assertEqual(from_book.returncode, 1, from_book.stderr)
        self.assertEqual(from_csv.returncode, 1, from_csv.stderr)
        self.assertEqual(book_rows, csv_rows)
        header = book_rows[0]
        amount, error = header.index("amount"), header.index("error")
        self.assertEqual(book_rows[1][amount], "12345.67")
        self.assertEqual(book_rows[4][amount], "0.1")
        self.assertEqual(book_rows[7][amount], "999999999999.99")
        three = book_rows[5]
        self.assertEqual(three[amount], "1.234")
        self.assertIn("amount", three[error])
        self.assertEqual(three[header.index("total_fee")], "")  # refused, never rounded

    def test_1900_date_system(self):
        self.check_same_as_csv(False)

    def test_1904_date_system(self):
        self.check_same_as_csv(True)

    def test_sheet_by_name(self):
        write_openpyxl(work("sheets.xlsx"))
        result, rows = batch_csv(work("sheets.xlsx"), "--sheet", "二月")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(rows[1][:2], ["second sheet", "500.5"])


def display_width(text):
    return sum(2 if ord(ch) >= 0x1100 else 1 for ch in text)


class WorkbooksWeWrite(unittest.TestCase):
    """orvandel-cli's workbook for a corpus against its CSV output."""
    corpus = "xlsx_corpus.csv"
    total_label, left_out = "total", "7 rows left out of the totals for errors"

    @classmethod
    def setUpClass(cls):
        corpus = os.path.join(DATA, cls.corpus)
        book = work(cls.corpus + ".xlsx")
        cls.result = run("--batch", corpus, "-o", book)
        run("--batch", corpus, "-o", work("ours.csv"))
        cls.csv = read_csv(work("ours.csv"))
        cls.names = [CHINESE.get(h, h) for h in cls.csv[0]]
        cls.book = openpyxl.load_workbook(book)
        cls.values = openpyxl.load_workbook(book, data_only=True)

    def test_cells_have_the_csv_values_types_and_formats(self):
        self.assertEqual(self.result.returncode, 1, self.result.stderr)
        sheet = self.book.active
        header = self.names
        self.assertEqual([c.value for c in sheet[1]], self.csv[0])
        computed = header.index("total_fee")
        for r, row in enumerate(self.csv[1:], start=2):
            ok = row[computed] != ""
            for c, text in enumerate(row):
                cell = sheet.cell(row=r, column=c + 1)
                name = header[c]
                where = f"row {r} {name}"
                if text == "":
                    self.assertIsNone(cell.value, where)
                elif ok and name in MONEY and len(text.replace(".", "").lstrip("0")) <= 15:
                    self.assertIsInstance(cell.value, (int, float), where)
                    self.assertEqual(Decimal(repr(cell.value)), Decimal(text), where)
                    self.assertEqual(cell.number_format, "0.00", where)
                elif ok and name in COUNTS:
                    self.assertIsInstance(cell.value, int, where)
                    self.assertEqual(str(cell.value), text, where)
                    self.assertEqual(cell.number_format, "0", where)
                elif ok and name in DATES and text >= "1900-01-01":  # Excel has no earlier day
                    self.assertIsInstance(cell.value, datetime.datetime, where)
                    self.assertEqual(cell.value.date().isoformat(), text, where)
                    self.assertEqual(cell.number_format, "yyyy-mm-dd", where)
                else:  # text, and every input cell of a row left out
                    self.assertIsInstance(cell.value, str, where)
                    self.assertEqual(cell.value, text, where)

    def test_totals_are_live_formulas_with_their_results(self):
        header = self.names
        rows = self.csv[1:]
        last = len(rows) + 2
        sheet, values = self.book.active, self.values.active
        self.assertEqual(sheet.max_row, last)
        computed = header.index("total_fee")
        for c, name in enumerate(header):
            formula = sheet.cell(row=last, column=c + 1).value
            if name not in MONEY | COUNTS:
                continue
            letter = openpyxl.utils.get_column_letter(c + 1)
            expected = sum(Decimal(r[c]) for r in rows if r[computed] != "" and r[c] != "")
            if len(str(expected).replace(".", "").lstrip("0").rstrip("0")) > 15:
                self.assertEqual(Decimal(formula), expected, name)  # too wide: the exact text
                continue
            self.assertEqual(formula, f"=SUM({letter}2:{letter}{last - 1})", name)
            cached = values.cell(row=last, column=c + 1).value
            self.assertEqual(Decimal(repr(cached)).normalize(), expected.normalize(), name)
        self.assertEqual(sheet.cell(row=last, column=1).value, self.total_label)
        self.assertEqual(sheet.cell(row=last, column=header.index("error") + 1).value,
                         self.left_out)

    def test_header_bold_frozen_and_wide_enough(self):
        sheet = self.book.active
        self.assertEqual(sheet.freeze_panes, "A2")
        for cell in sheet[1]:
            self.assertTrue(cell.font.b, cell.value)
            width = sheet.column_dimensions[cell.column_letter].width
            self.assertGreaterEqual(width, display_width(cell.value), cell.value)


class SharedCorpusWeWrite(WorkbooksWeWrite):
    """The same for the rows every front end must read alike, with Chinese headers."""
    corpus = "rows-zh.csv"
    total_label, left_out = "合计", "另有17行有误，未计入合计"


if __name__ == "__main__":
    os.makedirs(WORK, exist_ok=True)
    unittest.main(verbosity=2)
