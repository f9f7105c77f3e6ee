// The workbook reader and writer: what the writer writes reads back the same,
// workbooks laid out by hand (as other programs write them) read right, and
// damaged or hostile files give their error within the limits.
#include "sheet/xlsx_reader.h"
#include "sheet/xlsx_writer.h"

#include "cell_printer.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace orvandel::sheet {
namespace {

calc::date day(int y, unsigned m, unsigned d) {
    return calc::date{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

using parts = std::map<std::string, std::string>;

// A file of this test's own: CTest runs the tests of this program side by side.
std::string temp_path(const std::string& suffix) {
    return testing::TempDir() + "orvandel_" +
           testing::UnitTest::GetInstance()->current_test_info()->name() + suffix;
}

// A zip archive of `files`, stored or deflated, built with libzip.
std::string zip_of(const parts& files, bool deflate = true) {
    const std::string path = temp_path(".zip");
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    EXPECT_NE(zip, nullptr);
    for (const auto& [name, content] : files) {
        zip_source_t* source = zip_source_buffer(zip, content.data(), content.size(), 0);
        const auto index = zip_file_add(zip, name.c_str(), source, ZIP_FL_OVERWRITE);
        EXPECT_GE(index, 0);
        zip_set_file_compression(zip, static_cast<zip_uint64_t>(index),
                                 deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 9);
    }
    EXPECT_EQ(zip_close(zip), 0);
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

constexpr const char* main_ns =
    R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";

std::string rels(const std::string& body) {
    return R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)" +
           body + "</Relationships>";
}

std::string relation(const std::string& id, const std::string& type, const std::string& target) {
    return R"(<Relationship Id=")" + id +
           R"(" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/)" +
           type + R"(" Target=")" + target + R"("/>)";
}

// A workbook of one worksheet "Data" whose sheetData is `rows`.
parts workbook(const std::string& rows, const std::string& shared = {},
               const std::string& styles = {}, bool date1904 = false) {
    parts p;
    p["_rels/.rels"] = rels(relation("rId1", "officeDocument", "xl/workbook.xml"));
    p["xl/workbook.xml"] =
        std::string("<workbook ") + main_ns + ">" +
        (date1904 ? R"(<workbookPr date1904="1"/>)" : "") +
        R"(<sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets></workbook>)";
    std::string book_rels = relation("rId1", "worksheet", "worksheets/sheet1.xml");
    if (!shared.empty()) {
        book_rels += relation("rId2", "sharedStrings", "sharedStrings.xml");
        p["xl/sharedStrings.xml"] = std::string("<sst ") + main_ns + ">" + shared + "</sst>";
    }
    if (!styles.empty()) {
        book_rels += relation("rId3", "styles", "/xl/styles.xml");
        p["xl/styles.xml"] = std::string("<styleSheet ") + main_ns + ">" + styles + "</styleSheet>";
    }
    p["xl/_rels/workbook.xml.rels"] = rels(book_rels);
    p["xl/worksheets/sheet1.xml"] =
        std::string("<worksheet ") + main_ns + "><sheetData>" + rows + "</sheetData></worksheet>";
    return p;
}

table read_ok(const std::string& file, const xlsx_read_options& options = {}) {
    auto read = read_xlsx(file, options);
    EXPECT_TRUE(read.ok()) << (read.ok() ? "" : describe(read.error(), language::english));
    return read.ok() ? *read : table{};
}

// Styles: 0 General, 1 built-in date 14, 2 a date format of its own, 3 "0.00",
// 4 a time of day only.
const std::string test_styles =
    R"(<numFmts count="2"><numFmt numFmtId="164" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;"/>)"
    R"(<numFmt numFmtId="165" formatCode="[h]:mm:ss"/></numFmts>)"
    R"(<cellXfs count="5"><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="164"/><xf numFmtId="2"/><xf numFmtId="165"/></cellXfs>)";

TEST(XlsxRead, CellsOfEveryKind) {
    const std::string rows =
        R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="inlineStr"><is><t>amount</t></is></c></row>)"
        R"(<row r="2"><c r="A2" t="s"><v>1</v></c><c r="B2"><v>12345.67</v></c>)"
        R"(<c r="C2" s="1"><v>37011</v></c><c r="D2" s="2"><v>37012.75</v></c><c r="E2" s="3"><v>100</v></c>)"
        R"(<c r="F2" t="b"><v>1</v></c><c r="G2" t="e"><v>#N/A</v></c><c r="H2" t="str"><f>A2</f><v>x</v></c>)"
        R"(<c r="I2" s="4"><v>1.5</v></c><c r="J2" t="d"><v>2024-03-01T00:00:00</v></c></row>)"
        R"(<row r="3"><c r="B3"><v>0.1</v></c><c r="C3"><v>1E+21</v></c><c r="D3"><v>-0</v></c>)"
        R"(<c r="E3" t="inlineStr"><is><r><t>a</t></r><r><t xml:space="preserve"> b_x000D_c</t></r></is></c></row>)";
    const std::string shared =
        R"(<si><t>item</t></si><si><r><t>增值</t></r><r><t>税</t></r><rPh><t>ぞう</t></rPh></si>)";
    const table t = read_ok(zip_of(workbook(rows, shared, test_styles)));
    ASSERT_EQ(t.header, (std::vector<std::string>{"item", "amount"}));
    ASSERT_EQ(t.rows.size(), 2u);
    const auto& r = t.rows[0];
    EXPECT_EQ(r[0], cell::of_text("增值税"));
    EXPECT_EQ(r[1], cell::of_number("12345.67"));
    EXPECT_EQ(r[2], cell::of_date(day(2001, 4, 30)));
    EXPECT_EQ(r[3], cell::of_date(day(2001, 5, 1))); // the time of day is dropped
    EXPECT_EQ(r[4], cell::of_number("100.00"));      // "0.00" pads, never cuts
    EXPECT_EQ(r[5], cell::of_text("TRUE"));
    EXPECT_EQ(r[6], cell::of_text("#N/A"));
    EXPECT_EQ(r[7], cell::of_text("x"));
    EXPECT_EQ(r[8], cell::of_number("1.5")); // [h]:mm:ss is no date
    EXPECT_EQ(r[9], cell::of_date(day(2024, 3, 1)));
    const auto& s = t.rows[1];
    EXPECT_EQ(s[1], cell::of_number("0.1"));
    EXPECT_EQ(s[2], cell::of_number("1000000000000000000000"));
    EXPECT_EQ(s[3], cell::of_number("0"));
    EXPECT_EQ(s[4], cell::of_text("a b\rc"));
}

TEST(XlsxRead, DateSystems) {
    struct date_case {
        const char* name;
        const char* serial;
        bool date1904;
        cell expected;
    };
    const date_case cases[] = {
        {"1900: the fictitious 29 February", "60", false, cell::of_text("1900-02-29")},
        {"1900: the day after it", "61", false, cell::of_date(day(1900, 3, 1))},
        {"1900: the last day Excel has", "2958465", false, cell::of_date(day(9999, 12, 31))},
        {"1900: past it, the number", "2958466", false, cell::of_number("2958466")},
        {"1904: the rate change", "35550", true, cell::of_date(day(2001, 5, 1))},
    };
    for (const auto& c : cases) {
        const std::string rows = R"(<row r="1"><c t="inlineStr"><is><t>d</t></is></c></row>)"
                                 R"(<row r="2"><c s="1"><v>)" +
                                 std::string(c.serial) + "</v></c></row>";
        const table t = read_ok(zip_of(workbook(rows, {}, test_styles, c.date1904)));
        ASSERT_EQ(t.rows.size(), 1u) << c.name;
        EXPECT_EQ(t.rows[0][0], c.expected) << c.name;
    }
}

TEST(XlsxRead, PicksTheSheetByName) {
    parts p = workbook(R"(<row><c t="inlineStr"><is><t>first</t></is></c></row>)");
    p["xl/workbook.xml"] = std::string("<workbook ") + main_ns +
                           R"(><sheets><sheet name="Data" sheetId="1" r:id="rId1"/>)"
                           R"(<sheet name="二月" sheetId="2" r:id="rId9"/></sheets></workbook>)";
    p["xl/_rels/workbook.xml.rels"] =
        rels(relation("rId1", "worksheet", "worksheets/sheet1.xml") +
             relation("rId9", "worksheet", "worksheets/../worksheets/sheet2.xml"));
    p["xl/worksheets/sheet2.xml"] =
        std::string("<worksheet ") + main_ns +
        R"(><sheetData><row><c t="inlineStr"><is><t>second</t></is></c>)"
        R"(</row></sheetData></worksheet>)";
    const std::string file = zip_of(p);
    EXPECT_EQ(read_ok(file).header[0], "first");
    EXPECT_EQ(read_ok(file, {"二月", {}}).header[0], "second");
    const auto missing = read_xlsx(file, {"March", {}});
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().what, xlsx_read_error::no_such_sheet);
    EXPECT_EQ(missing.error().detail, "Data, 二月");
    EXPECT_EQ(*xlsx_sheet_names(file), (std::vector<std::string>{"Data", "二月"}));
}

table sample_table() {
    table t;
    t.header = {"项目", "应缴税款金额", "缴款期限", "合计滞纳天数", "备注"};
    t.rows.push_back({cell::of_text("增值税 2024年3月"),
                      cell::of_number("12345.67"),
                      cell::of_date(day(2001, 4, 20)),
                      cell::of_integer(19),
                      {}});
    t.rows.push_back({cell::of_text("坏行"),
                      cell::of_text("abc"),
                      cell::of_text("2001-02-29"),
                      {},
                      cell::of_text("应缴税款金额：不是数字")});
    t.rows.push_back({cell::of_text("_x0041_ and a CR\r\nhere"), cell::of_number("0.10"),
                      cell::of_date(day(1900, 1, 1)), cell::of_integer(0),
                      cell::of_text("未逾期")});
    t.rows.push_back({cell::of_text("rate"),
                      cell::of_number("0.0005"),
                      cell::of_date(day(1899, 12, 31)),
                      {},
                      {}});
    t.totals = std::vector<cell>{cell::of_text("合计"),
                                 cell::of_sum(),
                                 {},
                                 cell::of_sum(),
                                 cell::of_text("另有1行有误，未计入合计")};
    return t;
}

TEST(XlsxWrite, ReadsBackAsWritten) {
    const table original = sample_table();
    const auto bytes = write_xlsx(original);
    ASSERT_TRUE(bytes.ok());
    const table back = read_ok(*bytes);
    EXPECT_EQ(back.header, original.header);
    ASSERT_EQ(back.rows.size(), original.rows.size());
    for (std::size_t r = 0; r < back.rows.size(); ++r) {
        std::vector<cell> row = back.rows[r];
        row.resize(original.header.size());
        for (std::size_t c = 0; c < original.rows[r].size(); ++c) {
            cell expected = original.rows[r][c];
            if (expected.kind == cell_kind::integer) { // a number with format "0"
                expected = cell::of_number(std::to_string(expected.integer));
            }
            if (r == 3 && c == 2) { // a day Excel cannot hold is its text
                expected = cell::of_text("1899-12-31");
            }
            EXPECT_EQ(row[c], expected) << "row " << r << " column " << c;
        }
    }
    ASSERT_TRUE(back.totals.has_value());
    EXPECT_EQ(*back.totals, *original.totals);
}

TEST(XlsxRead, FromAFile) {
    const auto bytes = write_xlsx(sample_table());
    ASSERT_TRUE(bytes.ok());
    const std::string path = temp_path(".xlsx");
    std::ofstream(path, std::ios::binary) << *bytes;
    const auto read = read_xlsx_file(path);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->rows.size(), 4u);
    xlsx_read_options small;
    small.limits.file_bytes = bytes->size() - 1;
    EXPECT_EQ(read_xlsx_file(path, small).error().what, xlsx_read_error::file_too_large);
    EXPECT_EQ(read_xlsx_file(path + ".none").error().what, xlsx_read_error::cannot_open);
    std::remove(path.c_str());
}

// A figure of more than 15 significant digits would not survive as a double:
// it is written as its text, and its column's total as the exact sum.
TEST(XlsxWrite, FiguresWiderThanANumberStayExact) {
    table t;
    t.header = {"fee", "amount"};
    t.rows.push_back({cell::of_number("1461207999999985.39"), cell::of_number("0.10")});
    t.rows.push_back({cell::of_number("0.01"), cell::of_number("0.20")});
    t.rows.push_back({cell::of_number("-0.50"), cell::of_number("999999999999.99")});
    t.totals = std::vector<cell>{cell::of_sum(), cell::of_sum()};
    const auto bytes = write_xlsx(t);
    ASSERT_TRUE(bytes.ok());
    const table back = read_ok(*bytes);
    EXPECT_EQ(back.rows[0][0], cell::of_text("1461207999999985.39"));
    EXPECT_EQ(back.rows[1][0], cell::of_number("0.01"));
    EXPECT_EQ(back.rows[2][1], cell::of_number("999999999999.99"));
    ASSERT_TRUE(back.totals.has_value());
    EXPECT_EQ((*back.totals)[0], cell::of_text("1461207999999984.90"));
    EXPECT_EQ((*back.totals)[1], cell::of_sum()); // 1000000000000.29: 15 digits, a live SUM
}

TEST(XlsxWrite, RefusesWhatAWorkbookCannotHold) {
    table t;
    t.header = {"amount"};
    t.rows.push_back({cell::of_text("GBK \xD4\xF6\xD6\xB5")});
    const auto not_utf8 = write_xlsx(t);
    ASSERT_FALSE(not_utf8.ok());
    EXPECT_EQ(describe(not_utf8.error(), language::english),
              "row 2, column A: the text is not UTF-8, which an Excel workbook needs");
    t.rows[0][0] = cell::of_text(std::string(32768, 'x'));
    const auto too_long = write_xlsx(t);
    ASSERT_FALSE(too_long.ok());
    EXPECT_EQ(too_long.error().what, xlsx_write_error::text_too_long);
    t.rows[0][0] = cell::of_text(std::string(32767, 'x'));
    EXPECT_TRUE(write_xlsx(t).ok());
}

// A last row is the totals only when its figures are all SUMs of the rows
// above in their own column.
TEST(XlsxRead, TotalsRowOnlyWhenItIsOne) {
    const std::string head =
        R"(<row r="1"><c t="inlineStr"><is><t>a</t></is></c><c t="inlineStr"><is><t>b</t></is></c></row>)"
        R"(<row r="2"><c><v>1</v></c><c><v>2</v></c></row>)";
    struct totals_case {
        const char* name;
        const char* last_row;
        bool totals;
    };
    const totals_case cases[] = {
        {"ours", R"(<c t="inlineStr"><is><t>total</t></is></c><c><f>SUM(B2:B2)</f><v>2</v></c>)",
         true},
        {"another column's sum", R"(<c><v>5</v></c><c><f>SUM(A2:A2)</f><v>1</v></c>)", false},
        {"another range", R"(<c/><c><f>SUM(B1:B2)</f><v>2</v></c>)", false},
        {"another formula", R"(<c/><c><f>B2*2</f><v>4</v></c>)", false},
    };
    for (const auto& c : cases) {
        const table t = read_ok(zip_of(workbook(head + "<row r=\"3\">" + c.last_row + "</row>")));
        EXPECT_EQ(t.totals.has_value(), c.totals) << c.name;
        EXPECT_EQ(t.rows.size(), c.totals ? 1u : 2u) << c.name;
    }
}

// ---- damaged and hostile files ------------------------------------------------

xlsx_read_error error_of(const std::string& file, const xlsx_limits& limits = {}) {
    const auto read = read_xlsx(file, {{}, limits});
    EXPECT_FALSE(read.ok());
    return read.ok() ? xlsx_read_error::no_header : read.error().what;
}

const std::string one_cell = R"(<row r="1"><c t="inlineStr"><is><t>amount</t></is></c></row>)";

TEST(XlsxRead, DamagedFiles) {
    const std::string good = zip_of(workbook(one_cell));
    parts no_sheet = workbook(one_cell);
    no_sheet.erase("xl/worksheets/sheet1.xml");
    parts bad_xml = workbook(one_cell);
    bad_xml["xl/worksheets/sheet1.xml"] = "<worksheet><sheetData><row>";
    std::string corrupt = zip_of(workbook(one_cell), false);
    corrupt[corrupt.find(">amount<") + 2] ^= 0x20; // the stored data no longer matches its CRC
    struct damaged_case {
        const char* name;
        std::string file;
        xlsx_read_error expected;
    };
    const damaged_case cases[] = {
        {"not a zip", "item,amount\r\nVAT,100\r\n", xlsx_read_error::not_a_workbook},
        {"truncated", good.substr(0, good.size() / 2), xlsx_read_error::not_a_workbook},
        {"no worksheet part", zip_of(no_sheet), xlsx_read_error::missing_part},
        {"unfinished XML", zip_of(bad_xml), xlsx_read_error::bad_xml},
        {"bad CRC", corrupt, xlsx_read_error::damaged_part},
        {"no cells", zip_of(workbook("")), xlsx_read_error::no_header},
        {"shared string that is not there",
         zip_of(workbook(R"(<row><c t="s"><v>3</v></c></row>)", "<si><t>a</t></si>")),
         xlsx_read_error::bad_cell},
        {"no shared strings part", zip_of(workbook(R"(<row><c t="s"><v>0</v></c></row>)")),
         xlsx_read_error::missing_part},
        {"bad reference", zip_of(workbook(R"(<row><c r="XFE1"><v>1</v></c></row>)")),
         xlsx_read_error::bad_cell},
        {"row past Excel's last", zip_of(workbook(R"(<row r="1048577"><c><v>1</v></c></row>)")),
         xlsx_read_error::bad_cell},
        {"not a number", zip_of(workbook(R"(<row><c><v>12,5</v></c></row>)")),
         xlsx_read_error::bad_cell},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(error_of(c.file), c.expected) << c.name;
    }
}

TEST(XlsxRead, EntitiesAreRefused) {
    parts p = workbook(one_cell);
    p["xl/worksheets/sheet1.xml"] =
        R"(<?xml version="1.0"?><!DOCTYPE w [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;">]>)"
        R"(<worksheet><sheetData><row><c t="inlineStr"><is><t>&b;</t></is></c></row></sheetData></worksheet>)";
    EXPECT_EQ(error_of(zip_of(p)), xlsx_read_error::bad_xml);
}

// Millions of attributes on one element: the XML parser's memory is bounded,
// not only the part's size.
TEST(XlsxRead, XmlStructureBomb) {
    std::string wide = "<row><c";
    for (int i = 0; i < 600'000; ++i) {
        wide += " a" + std::to_string(i) + "=\"\"";
    }
    const auto read = read_xlsx(zip_of(workbook(wide + "/></row>")));
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().what, xlsx_read_error::bad_xml);
    EXPECT_EQ(read.error().detail,
              "xl/worksheets/sheet1.xml needs more than the 32 MiB its XML may take");
}

TEST(XlsxRead, ZipBombStopsAtTheLimit) {
    xlsx_limits limits;
    limits.part_bytes = 1 << 20;
    limits.total_bytes = 2 << 20;
    parts p = workbook(one_cell);
    p["xl/worksheets/sheet1.xml"] = std::string("<worksheet ") + main_ns + "><sheetData>" +
                                    std::string(8 << 20, ' ') + one_cell +
                                    "</sheetData></worksheet>";
    const std::string bomb = zip_of(p);
    ASSERT_LT(bomb.size(), 64u << 10);
    EXPECT_EQ(error_of(bomb, limits), xlsx_read_error::part_too_large);
    EXPECT_EQ(read_ok(bomb).header[0], "amount"); // within the default limits

    // The same part with its declared sizes rewritten to 100 bytes in both
    // headers: reading stops at what was declared, whatever the data holds.
    std::string lying = zip_of(p);
    const std::string name = "xl/worksheets/sheet1.xml";
    for (std::size_t at = lying.find(name); at != std::string::npos;
         at = lying.find(name, at + 1)) {
        const bool central = lying.compare(at - 46, 4, "PK\x01\x02") == 0;
        const bool local = lying.compare(at - 30, 4, "PK\x03\x04") == 0;
        const std::size_t size_at = central ? at - 46 + 24 : local ? at - 30 + 22 : 0;
        if (size_at != 0) {
            lying.replace(size_at, 4, std::string("\x64\0\0\0", 4));
        }
    }
    const auto read = read_xlsx(lying);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().what, xlsx_read_error::damaged_part)
        << describe(read.error(), language::english);
}

TEST(XlsxRead, SharedStringsBeyondWhatTheSheetNeedsAreNotKept) {
    xlsx_limits limits;
    limits.text_bytes = 64 << 10;
    std::string shared;
    const std::string big(4096, 'x');
    for (int i = 0; i < 2000; ++i) { // 8 MB of strings, of which the sheet needs one
        shared += "<si><t>" + (i == 1234 ? std::string("amount") : big) + "</t></si>";
    }
    const std::string file = zip_of(workbook(R"(<row><c t="s"><v>1234</v></c></row>)", shared));
    const auto read = read_xlsx(file, {{}, limits});
    ASSERT_TRUE(read.ok()) << describe(read.error(), language::english);
    EXPECT_EQ(read->header[0], "amount");

    // One big string in many cells counts once per cell.
    std::string rows;
    for (int r = 1; r <= 100; ++r) {
        rows += "<row r=\"" + std::to_string(r) + "\"><c t=\"s\"><v>0</v></c></row>";
    }
    EXPECT_EQ(error_of(zip_of(workbook(rows, "<si><t>" + big + "</t></si>")), limits),
              xlsx_read_error::too_much_text);
}

TEST(XlsxRead, CellLimit) {
    xlsx_limits limits;
    limits.cells = 1000;
    // One cell in the last column is a row 16,384 cells wide.
    EXPECT_EQ(error_of(zip_of(workbook(R"(<row><c r="XFD1"><v>1</v></c></row>)")), limits),
              xlsx_read_error::too_many_cells);
}

} // namespace
} // namespace orvandel::sheet
