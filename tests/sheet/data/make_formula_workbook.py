#!/usr/bin/env python3
"""Writes formula_amounts.xlsx: a workbook laid out as LibreOffice Calc saves
one, whose 应缴税款金额 is a surtax worked out by a formula (=B2*0.07) with its
result stored (864.1969) and shown to cents ("#,##0.00", and yuan with red
negatives), and whose dates are serial numbers shown "YYYY-MM-DD".

    python3 make_formula_workbook.py [OUT]     (default: formula_amounts.xlsx beside it)
"""
import datetime
import os
import sys
import zipfile

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "formula_amounts.xlsx")

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"
XML = '<?xml version="1.0" encoding="UTF-8"?>\n'

HEADER = ["项目", "计税依据", "应缴税款金额", "缴款期限", "实际缴款日期"]
# item, base, formula, stored result, style of the result, due, paid
ROWS = [
    ("城市维护建设税 2024年3月", "12345.67", "B2*0.07", "864.1969", 2,
     datetime.date(2024, 4, 15), datetime.date(2024, 5, 20)),
    ("城市维护建设税 2024年4月", "1000", "B3*0.07", "70", 2,
     datetime.date(2024, 5, 15), datetime.date(2024, 5, 20)),
    ("退还城市维护建设税", "-12345.67", "B4*0.07", "-864.1969", 3,
     datetime.date(2024, 4, 15), datetime.date(2024, 5, 20)),
]


def serial(day):
    return (day - datetime.date(1899, 12, 30)).days


def column(i):
    return "ABCDE"[i]


strings = HEADER + [r[0] for r in ROWS]
shared = "".join(f"<si><t xml:space=\"preserve\">{s}</t></si>" for s in strings)

rows = ['<row r="1" customFormat="false" ht="12.8" hidden="false" customHeight="false" '
        'outlineLevel="0" collapsed="false">' +
        "".join(f'<c r="{column(i)}1" s="0" t="s"><v>{i}</v></c>' for i in range(5)) + "</row>"]
for n, (item, base, formula, result, style, due, paid) in enumerate(ROWS, start=2):
    rows.append(
        f'<row r="{n}" customFormat="false" ht="12.8" hidden="false" customHeight="false" '
        f'outlineLevel="0" collapsed="false">'
        f'<c r="A{n}" s="0" t="s"><v>{len(HEADER) + n - 2}</v></c>'
        f'<c r="B{n}" s="1" t="n"><v>{base}</v></c>'
        f'<c r="C{n}" s="{style}" t="n"><f aca="false">{formula}</f><v>{result}</v></c>'
        f'<c r="D{n}" s="4" t="n"><v>{serial(due)}</v></c>'
        f'<c r="E{n}" s="4" t="n"><v>{serial(paid)}</v></c></row>')

parts = {
    "[Content_Types].xml": XML +
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Override PartName="/_rels/.rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
    '<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>'
    '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
    '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
    '<Override PartName="/xl/_rels/workbook.xml.rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '</Types>',
    "_rels/.rels": XML + f'<Relationships xmlns="{PKG}">'
    f'<Relationship Id="rId1" Type="{REL}/officeDocument" Target="xl/workbook.xml"/>'
    '</Relationships>',
    "xl/_rels/workbook.xml.rels": XML + f'<Relationships xmlns="{PKG}">'
    f'<Relationship Id="rId1" Type="{REL}/styles" Target="styles.xml"/>'
    f'<Relationship Id="rId2" Type="{REL}/worksheet" Target="worksheets/sheet1.xml"/>'
    f'<Relationship Id="rId3" Type="{REL}/sharedStrings" Target="sharedStrings.xml"/>'
    '</Relationships>',
    "xl/workbook.xml": XML + f'<workbook xmlns="{MAIN}" xmlns:r="{REL}">'
    '<fileVersion appName="Calc"/><workbookPr backupFile="false" showObjects="all" date1904="false"/>'
    '<sheets><sheet name="Sheet1" sheetId="1" state="visible" r:id="rId2"/></sheets></workbook>',
    "xl/styles.xml": XML + f'<styleSheet xmlns="{MAIN}">'
    '<numFmts count="4"><numFmt numFmtId="164" formatCode="General"/>'
    '<numFmt numFmtId="165" formatCode="#,##0.00"/>'
    '<numFmt numFmtId="166" formatCode="&quot;¥&quot;#,##0.00;[RED]\\-&quot;¥&quot;#,##0.00"/>'
    '<numFmt numFmtId="167" formatCode="YYYY\\-MM\\-DD"/></numFmts>'
    '<fonts count="1"><font><sz val="10"/><name val="Arial"/><family val="2"/></font></fonts>'
    '<fills count="2"><fill><patternFill patternType="none"/></fill>'
    '<fill><patternFill patternType="gray125"/></fill></fills>'
    '<borders count="1"><border diagonalUp="false" diagonalDown="false"><left/><right/><top/>'
    '<bottom/><diagonal/></border></borders>'
    '<cellStyleXfs count="1"><xf numFmtId="164" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
    '<cellXfs count="5">'
    '<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0"/>'
    '<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0"/>'
    '<xf numFmtId="165" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="true"/>'
    '<xf numFmtId="166" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="true"/>'
    '<xf numFmtId="167" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="true"/>'
    '</cellXfs><cellStyles count="1"><cellStyle name="Default" xfId="0" builtinId="0"/></cellStyles>'
    '</styleSheet>',
    "xl/sharedStrings.xml": XML +
    f'<sst xmlns="{MAIN}" count="{len(strings)}" uniqueCount="{len(strings)}">{shared}</sst>',
    "xl/worksheets/sheet1.xml": XML + f'<worksheet xmlns="{MAIN}" xmlns:r="{REL}">'
    '<dimension ref="A1:E4"/><sheetFormatPr defaultRowHeight="12.8"/>'
    f'<sheetData>{"".join(rows)}</sheetData></worksheet>',
}

with zipfile.ZipFile(OUT, "w", zipfile.ZIP_DEFLATED) as book:
    for name, text in parts.items():
        info = zipfile.ZipInfo(name, date_time=(2024, 5, 20, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        book.writestr(info, text.encode("utf-8"))
