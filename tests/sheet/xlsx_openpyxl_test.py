#!/usr/bin/env python3
"""Our workbooks against openpyxl, an independent reader and writer.

    xlsx_openpyxl_test.py ORVANDEL_CLI XLSX_TOOL DATA_DIR WORK_DIR

Workbooks openpyxl writes (both date systems, amounts as binary floats) give
the same cells as the same rows in CSV, and their number formats give the
decimals they show; the workbooks orvandel-cli and the row-at-a-time writer
(through xlsx_tool) write read back in openpyxl with the same values, types,
number formats, bold frozen header and totals. Exits 77 (skipped) when
openpyxl is not installed.
"""
import csv
import datetime
import os
import random
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

CLI, TOOL, DATA, WORK = sys.argv[1:5]
del sys.argv[1:5]

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


def tool(*args, stdin=None):
    return subprocess.run([*EMULATOR, TOOL, *args], input=stdin, capture_output=True, text=True,
                          check=False)


class RowByRowWriter(unittest.TestCase):
    """1,000 rows of a sheet of results written a row at a time, read by openpyxl."""
    HEADER = ["项目", "应缴税款金额", "缴款期限", "实际缴款日期", "合计滞纳天数",
              "合计应加征滞纳金", "备注"]
    ROWS = 1000

    @classmethod
    def setUpClass(cls):
        rng = random.Random(20010501)
        cls.rows = []
        for i in range(cls.ROWS):
            amount = Decimal(rng.randrange(1, 10 ** 11)) / 100
            due = datetime.date(1999, 1, 1) + datetime.timedelta(days=rng.randrange(9000))
            days = rng.randrange(4000)
            fee = Decimal(rng.randrange(0, 10 ** 9)) / 100
            note = "未逾期" if days == 0 else ("" if i % 3 else f"第{i}项有误")
            cls.rows.append([f"增值税 {i}", amount, due, due + datetime.timedelta(days=days),
                             days, fee, note])
        lines = ["\t".join(cls.HEADER)]
        for item, amount, due, paid, days, fee, note in cls.rows:
            lines.append("\t".join([f"t:{item}", f"n:{amount}", f"d:{due}", f"d:{paid}",
                                    f"i:{days}", f"n:{fee}", f"t:{note}" if note else ""]))
        lines.append("totals\t" + "\t".join(["t:合计", "s", "", "", "s", "s", "t:另有0行有误"]))
        cls.path = work("row-by-row.xlsx")
        cls.written = tool("write", cls.path, stdin="\n".join(lines) + "\n")
        cls.book = openpyxl.load_workbook(cls.path)
        cls.values = openpyxl.load_workbook(cls.path, data_only=True)

    def test_written(self):
        self.assertEqual(self.written.returncode, 0, self.written.stderr)

    def test_cells_have_their_values_types_and_formats(self):
        sheet = self.book.active
        for r, row in enumerate(self.rows, start=2):
            item, amount, due, paid, days, fee, note = [sheet.cell(row=r, column=c).value
                                                        for c in range(1, 8)]
            where = f"row {r}"
            self.assertEqual(item, row[0], where)
            for c, expected in ((2, row[1]), (6, row[5])):
                cell = sheet.cell(row=r, column=c)
                self.assertIsInstance(cell.value, (int, float), where)
                self.assertEqual(Decimal(repr(cell.value)), expected, where)
                self.assertEqual(cell.number_format, "0.00", where)
            for c, expected in ((3, row[2]), (4, row[3])):
                cell = sheet.cell(row=r, column=c)
                self.assertEqual(cell.value, datetime.datetime.combine(expected, datetime.time()),
                                 where)
                self.assertEqual(cell.number_format, "yyyy-mm-dd", where)
            self.assertEqual(days, row[4], where)
            self.assertIsInstance(days, int, where)
            self.assertEqual(sheet.cell(row=r, column=5).number_format, "0", where)
            self.assertEqual(note, row[6] or None, where)

    def test_bold_frozen_header_wide_enough(self):
        sheet = self.book.active
        self.assertEqual(sheet.freeze_panes, "A2")
        self.assertEqual([c.value for c in sheet[1]], self.HEADER)
        for cell in sheet[1]:
            self.assertTrue(cell.font.b, cell.value)
            width = sheet.column_dimensions[cell.column_letter].width
            self.assertGreaterEqual(width, display_width(cell.value), cell.value)
        # The widths come from the rows seen too: the item column fits "增值税 999".
        self.assertGreaterEqual(sheet.column_dimensions["A"].width, display_width("增值税 999"))

    def test_totals_are_sums_with_their_exact_results(self):
        last = self.ROWS + 2
        sheet, values = self.book.active, self.values.active
        self.assertEqual(sheet.max_row, last)
        self.assertEqual(sheet.cell(row=last, column=1).value, "合计")
        for c, index in ((2, 1), (5, 4), (6, 5)):
            letter = openpyxl.utils.get_column_letter(c)
            self.assertEqual(sheet.cell(row=last, column=c).value,
                             f"=SUM({letter}2:{letter}{last - 1})")
            self.assertTrue(sheet.cell(row=last, column=c).font.b)
            expected = sum(Decimal(row[index]) for row in self.rows)
            cached = values.cell(row=last, column=c).value
            self.assertEqual(Decimal(repr(cached)).normalize(), expected.normalize(), letter)

    def test_reads_back_row_by_row(self):
        read = tool("read", self.path)
        self.assertEqual(read.returncode, 0, read.stderr)
        lines = read.stdout.splitlines()
        self.assertEqual(len(lines), self.ROWS + 2)
        self.assertEqual(lines[1].split("\t")[:2],
                         [f"t:{self.rows[0][0]}", f"n:{self.rows[0][1]}@2"])
        self.assertEqual(lines[-1], "totals\tt:合计\ts\t\t\ts\ts\tt:另有0行有误")


class NumberFormatsOpenpyxlWrites(unittest.TestCase):
    """Amounts worked out by formulas, as spreadsheets show them."""

    def test_decimals_the_formats_show(self):
        cases = [  # value, number format, the cell read
            (12345.67, "General", "n:12345.67"),
            (864.1969, "#,##0.00", "n:864.1969@2"),
            (-864.1969, '"¥"#,##0.00;[Red]\\-"¥"#,##0.00', "n:-864.1969@2"),
            (100, "0.00", "n:100.00@2"),
            (70, "#,##0", "n:70@0"),
            (0.5, "0.00%", "n:0.5"),
            (1.25, "0.0#", "n:1.25"),
            (datetime.date(2024, 4, 15), "yyyy-mm-dd", "d:2024-04-15"),
            ("=B2*0.07", "#,##0.00", ""),  # openpyxl stores no result for a formula
        ]
        book = openpyxl.Workbook()
        sheet = book.active
        sheet.append([f"c{i}" for i in range(len(cases))])
        sheet.append([value for value, _, _ in cases])
        for i, (_, number_format, _) in enumerate(cases, start=1):
            sheet.cell(row=2, column=i).number_format = number_format
        path = work("formats.xlsx")
        book.save(path)
        read = tool("read", path)
        self.assertEqual(read.returncode, 0, read.stderr)
        cells = read.stdout.splitlines()[1].split("\t")
        cells += [""] * (len(cases) - len(cells))
        for (value, number_format, expected), got in zip(cases, cells):
            self.assertEqual(got, expected, f"{value!r} as {number_format}")

    def test_libreoffice_formula_workbook(self):
        path = os.path.join(DATA, "formula_amounts.xlsx")
        values = openpyxl.load_workbook(path, data_only=True).active
        self.assertEqual(values["C2"].value, 864.1969)
        read = tool("read", path)
        self.assertEqual(read.returncode, 0, read.stderr)
        self.assertEqual(read.stdout.splitlines()[1].split("\t")[2], "n:864.1969@2")


if __name__ == "__main__":
    os.makedirs(WORK, exist_ok=True)
    unittest.main(verbosity=2)
