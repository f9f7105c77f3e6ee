// The workbook reader and writer: what the writer writes reads back the same,
// workbooks laid out by hand (as other programs write them) read right, and
// damaged or hostile files give their error within the limits.
#include "sheet/xlsx_reader.h"
#include "sheet/xlsx_writer.h"

#include "sheet/xlsx/exact_sum.h"
#include "sheet/xlsx/package.h"

#include "cell_printer.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
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
    // Amounts are written "0.00", other figures as Excel's General.
    EXPECT_EQ(back.rows[0][1].format_decimals, 2);
    EXPECT_EQ(back.rows[3][1].format_decimals, -1);
}

// A file is read where it lies, a row at a time: its size is no limit.
// Bytes handed over are already in memory, within limits.file_bytes.
TEST(XlsxRead, FromAFileOrBytes) {
    const auto bytes = write_xlsx(sample_table());
    ASSERT_TRUE(bytes.ok());
    const std::string path = temp_path(".xlsx");
    std::ofstream(path, std::ios::binary) << *bytes;
    xlsx_read_options small;
    small.limits.file_bytes = 1000;
    ASSERT_GT(bytes->size(), 1000u);
    const auto read = read_xlsx_file(path, small);
    ASSERT_TRUE(read.ok()) << describe(read.error(), language::english);
    EXPECT_EQ(read->rows.size(), 4u);
    EXPECT_EQ(read_xlsx(*bytes, small).error().what, xlsx_read_error::file_too_large);
    EXPECT_EQ(describe(read_xlsx(*bytes, small).error(), language::english),
              "the file is too large (at most 1,000 bytes)");
    const auto missing = read_xlsx_file(path + ".none");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().what, xlsx_read_error::cannot_open);
    EXPECT_EQ(read_xlsx({}).error().what, xlsx_read_error::not_a_workbook);
    std::ofstream(path, std::ios::binary | std::ios::trunc).flush();
    EXPECT_EQ(read_xlsx_file(path).error().what, xlsx_read_error::not_a_workbook);
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

TEST(XlsxWrite, ExactSums) {
    struct sum_case {
        const char* a;
        const char* b;
        const char* sum;
    };
    const sum_case cases[] = {
        {"0", "0.10", "0.10"},
        {"999.99", "0.01", "1000.00"},
        {"1.5", "-2.25", "-0.75"},
        {"-0.50", "0.50", "0.00"},
        {"-5", "-7", "-12"},
        {"123", "-123.000", "0.000"},
        {"1461207999999985.39", "-0.49", "1461207999999984.90"},
        {"99999999999999999999", "1", "100000000000000000000"},
        {"0.0005", "0.0005", "0.0010"},
        {"-1000", "999.999", "-0.001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(xlsx::exact_sum(c.a, c.b), c.sum) << c.a << " + " << c.b;
        EXPECT_EQ(xlsx::exact_sum(c.b, c.a), c.sum) << c.b << " + " << c.a;
    }
}

// Points the system's temporary folder (what std::filesystem gives, TMPDIR
// on POSIX, TMP on Windows) at `folder` while it lives.
class temporary_folder_set {
public:
    explicit temporary_folder_set(const std::filesystem::path& folder) {
        const char* before = std::getenv(name);
        if (before != nullptr) {
            before_ = before;
        }
        set(folder.string().c_str());
    }
    temporary_folder_set(const temporary_folder_set&) = delete;
    temporary_folder_set& operator=(const temporary_folder_set&) = delete;
    ~temporary_folder_set() {
        if (before_) {
            set(before_->c_str());
        } else {
#ifdef _WIN32
            _putenv_s(name, "");
#else
            unsetenv(name);
#endif
        }
    }

private:
#ifdef _WIN32
    static constexpr const char* name = "TMP";
    static void set(const char* value) {
        _putenv_s(name, value);
    }
#else
    static constexpr const char* name = "TMPDIR";
    static void set(const char* value) {
        setenv(name, value, 1);
    }
#endif
    std::optional<std::string> before_;
};

// Rows go to a private temporary folder as they come; it is gone after a
// problem as after success, and a problem stays: nothing more is written.
TEST(XlsxWrite, StreamLeavesNothingBehind) {
    const std::filesystem::path temporary = temp_path("-tmp");
    std::filesystem::create_directories(temporary);
    const temporary_folder_set folder(temporary);
    const auto empty = [&] { return std::filesystem::is_empty(temporary); };
    {
        auto started = xlsx_sheet_writer::start({"item", "amount"});
        ASSERT_TRUE(started.ok());
        xlsx_sheet_writer writer = std::move(started).value();
        EXPECT_FALSE(empty());
        for (int r = 0; r < 1000; ++r) {
            ASSERT_FALSE(writer.add_row({cell::of_text("row"), cell::of_number("1.00")}));
        }
        const auto bad = writer.add_row({cell::of_text("GBK \xD4\xF6")});
        ASSERT_TRUE(bad.has_value());
        EXPECT_EQ(describe(*bad, language::chinese),
                  "第1002行A列：文字不是UTF-8编码，无法写入Excel工作簿");
        EXPECT_TRUE(writer.add_row({cell::of_text("fine")}).has_value());
        std::ostringstream out;
        EXPECT_EQ(writer.finish(std::nullopt, out)->what, xlsx_write_error::not_utf8);
        EXPECT_TRUE(out.str().empty());
    }
    EXPECT_TRUE(empty());
    {
        auto started = xlsx_sheet_writer::start({"item"});
        ASSERT_TRUE(started.ok());
        xlsx_sheet_writer writer = std::move(started).value();
        std::ostringstream full;
        full.setstate(std::ios::badbit);
        EXPECT_EQ(writer.finish(std::nullopt, full)->what, xlsx_write_error::cannot_write);
    }
    EXPECT_TRUE(empty());
    std::filesystem::remove_all(temporary);
}

// A caller opens its output only once the workbook is built, so that a
// failure leaves the output as it was.
TEST(XlsxWrite, BuiltBeforeTheOutputIsOpened) {
    auto started = xlsx_sheet_writer::start({"item", "amount"});
    ASSERT_TRUE(started.ok());
    xlsx_sheet_writer writer = std::move(started).value();
    ASSERT_FALSE(writer.add_row({cell::of_text("VAT"), cell::of_number("1.50")}));
    std::ostringstream early;
    EXPECT_EQ(writer.write_to(early)->what, xlsx_write_error::failed);
    EXPECT_FALSE(writer.build(std::vector<cell>{cell::of_text("total"), cell::of_sum()}));
    EXPECT_TRUE(writer.add_row({cell::of_text("late")}).has_value());
    std::ostringstream out;
    ASSERT_FALSE(writer.write_to(out));
    const table back = read_ok(out.str());
    ASSERT_EQ(back.rows.size(), 1u);
    EXPECT_EQ(back.totals, (std::vector<cell>{cell::of_text("total"), cell::of_sum()}));
}

TEST(XlsxWrite, NoMoreColumnsThanExcelHas) {
    const auto wide = xlsx_sheet_writer::start(std::vector<std::string>(16'385, "x"));
    ASSERT_FALSE(wide.ok());
    EXPECT_EQ(describe(wide.error(), language::english),
              "row 1, column XFE: past the 1,048,576 rows and 16,384 columns of an Excel sheet");
    EXPECT_TRUE(xlsx_sheet_writer::start(std::vector<std::string>(16'384, "x")).ok());
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

// ---- a row at a time ------------------------------------------------------------

std::vector<std::vector<cell>> all_rows(xlsx_rows& rows) {
    std::vector<std::vector<cell>> out;
    std::vector<cell> row;
    while (rows.next(row)) {
        out.push_back(row);
    }
    return out;
}

// The reader reads `file` where it lies: it must outlive the reader.
xlsx_rows open_ok(const std::string& file, const xlsx_read_options& options = {}) {
    auto opened = xlsx_rows::open_bytes(file, options);
    if (!opened) {
        ADD_FAILURE() << describe(opened.error(), language::english);
        std::abort();
    }
    return std::move(opened).value();
}

std::string text_cell(const std::string& ref, const std::string& text) {
    return R"(<c r=")" + ref + R"(" t="inlineStr"><is><t>)" + text + "</t></is></c>";
}

// Blank rows before the header are skipped, those between rows are empty
// rows, those after the last row are nothing; the totals row comes apart.
TEST(XlsxRows, OneRowAtATime) {
    const std::string rows =
        "<row r=\"2\">" + text_cell("A2", "item") + text_cell("B2", "amount") + "</row>" +
        "<row r=\"3\">" + text_cell("A3", "") + "</row>" + // blank
        "<row r=\"4\">" + text_cell("A4", "VAT") + R"(<c r="B4"><v>1.5</v></c></row>)" +
        "<row r=\"7\">" + text_cell("A7", "CIT") + R"(<c r="B7"><v>2</v></c></row>)" +
        "<row r=\"8\">" + text_cell("A8", "total") +
        R"(<c r="B8"><f>SUM(B3:B7)</f><v>3.5</v></c></row>)" + R"(<row r="9"/><row r="10"/>)";
    const std::string file = zip_of(workbook(rows));
    xlsx_rows reader = open_ok(file);
    EXPECT_EQ(reader.done(), 0u);
    EXPECT_GT(reader.total(), 0u);
    std::vector<cell> header;
    ASSERT_TRUE(reader.next(header));
    EXPECT_EQ(header, (std::vector<cell>{cell::of_text("item"), cell::of_text("amount")}));
    xlsx_rows moved = std::move(reader); // the reader is a handle: it moves mid-sheet
    const auto body = all_rows(moved);
    ASSERT_FALSE(moved.problem().has_value());
    const std::vector<cell> none;
    EXPECT_EQ(body, (std::vector<std::vector<cell>>{
                        none,
                        {cell::of_text("VAT"), cell::of_number("1.5")},
                        none,
                        none,
                        {cell::of_text("CIT"), cell::of_number("2")},
                    }));
    ASSERT_TRUE(moved.totals().has_value());
    EXPECT_EQ(*moved.totals(), (std::vector<cell>{cell::of_text("total"), cell::of_sum()}));
    EXPECT_EQ(moved.done(), moved.total());
    std::vector<cell> after;
    EXPECT_FALSE(moved.next(after));
    EXPECT_TRUE(after.empty());
}

// Excel's last cell: a million empty rows between are counted, not held.
TEST(XlsxRows, ExcelsLastCell) {
    const std::string rows = R"(<row r="1"><c r="A1" t="inlineStr"><is><t>first</t></is></c></row>)"
                             R"(<row r="1048576"><c r="XFD1048576"><v>7</v></c></row>)";
    const std::string file = zip_of(workbook(rows));
    xlsx_rows reader = open_ok(file);
    std::vector<cell> row;
    ASSERT_TRUE(reader.next(row));
    std::size_t count = 0;
    std::size_t widest = 0;
    while (reader.next(row)) {
        ++count;
        widest = std::max(widest, row.size());
    }
    EXPECT_FALSE(reader.problem().has_value());
    EXPECT_EQ(count, 1'048'575u);
    EXPECT_EQ(widest, 16'384u);
    EXPECT_EQ(row, std::vector<cell>{});
}

TEST(XlsxRows, AProblemEndsTheRows) {
    const std::string rows = "<row r=\"1\">" + text_cell("A1", "amount") + "</row>" +
                             R"(<row r="2"><c r="A2"><v>1</v></c></row>)" +
                             R"(<row r="3"><c r="A3"><v>x</v></c></row>)";
    const std::string file = zip_of(workbook(rows));
    xlsx_rows reader = open_ok(file);
    const auto got = all_rows(reader);
    EXPECT_EQ(got.size(), 1u); // the header; row 2 waits to show it is not the totals
    ASSERT_TRUE(reader.problem().has_value());
    EXPECT_EQ(describe(*reader.problem(), language::english),
              "a cell cannot be read: A3: not a number: x");
    EXPECT_FALSE(reader.totals().has_value());
}

// ---- formats of amounts a formula computed -------------------------------------------

// Styles as LibreOffice writes them: 1 "#,##0.00", 2 yuan with red
// negatives, 3 "0.00", 4 General.
const std::string amount_styles =
    R"(<numFmts count="2"><numFmt numFmtId="164" formatCode="#,##0.00"/>)"
    R"(<numFmt numFmtId="165" formatCode="&quot;¥&quot;#,##0.00;[RED]\-&quot;¥&quot;#,##0.00"/></numFmts>)"
    R"(<cellXfs count="5"><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="165"/>)"
    R"(<xf numFmtId="2"/><xf numFmtId="0"/></cellXfs>)";

TEST(XlsxRead, DecimalsTheFormatShows) {
    struct shown_case {
        const char* name;
        const char* xml; // cell B2
        cell expected;
        int decimals;
    };
    const shown_case cases[] = {
        {"a formula's amount, shown to cents",
         R"(<c r="B2" s="1"><f>A2*0.07</f><v>864.1969</v></c>)", cell::of_number("864.1969"), 2},
        {"a negative in yuan", R"(<c r="B2" s="2"><v>-864.1969</v></c>)",
         cell::of_number("-864.1969"), 2},
        {"fewer decimals are padded", R"(<c r="B2" s="3"><v>100</v></c>)",
         cell::of_number("100.00"), 2},
        {"General", R"(<c r="B2" s="4"><v>864.1969</v></c>)", cell::of_number("864.1969"), -1},
        {"no style", R"(<c r="B2"><v>0.1</v></c>)", cell::of_number("0.1"), -1},
        {"a style the file lacks", R"(<c r="B2" s="99"><v>0.1</v></c>)", cell::of_number("0.1"),
         -1},
    };
    for (const auto& c : cases) {
        const std::string rows = "<row r=\"1\">" + text_cell("A1", "amount") + "</row>" +
                                 "<row r=\"2\">" + c.xml + "</row>";
        const table t = read_ok(zip_of(workbook(rows, {}, amount_styles)));
        ASSERT_EQ(t.rows.size(), 1u) << c.name;
        ASSERT_EQ(t.rows[0].size(), 2u) << c.name;
        EXPECT_EQ(t.rows[0][1], c.expected) << c.name;
        EXPECT_EQ(t.rows[0][1].format_decimals, c.decimals) << c.name;
    }
}

// A workbook as LibreOffice saves it: a surtax worked out as =B2*0.07, its
// result stored and shown with "#,##0.00".
TEST(XlsxRead, LibreOfficeFormulaWorkbook) {
    const auto read = read_xlsx_file(ORVANDEL_SHEET_DATA "/formula_amounts.xlsx");
    ASSERT_TRUE(read.ok()) << describe(read.error(), language::english);
    ASSERT_EQ(read->header.size(), 5u);
    EXPECT_EQ(read->header[2], "应缴税款金额");
    ASSERT_EQ(read->rows.size(), 3u);
    const cell& surtax = read->rows[0][2];
    EXPECT_EQ(surtax, cell::of_number("864.1969"));
    EXPECT_EQ(surtax.format_decimals, 2);
    EXPECT_EQ(read->rows[1][2], cell::of_number("70.00"));
    EXPECT_EQ(read->rows[2][2], cell::of_number("-864.1969"));
    EXPECT_EQ(read->rows[2][2].format_decimals, 2);
    EXPECT_EQ(read->rows[0][3], cell::of_date(day(2024, 4, 15)));
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
        {"a row before the one above",
         zip_of(workbook(R"(<row r="3"><c><v>1</v></c></row><row r="2"><c><v>1</v></c></row>)")),
         xlsx_read_error::bad_cell},
        {"a row twice",
         zip_of(workbook(R"(<row r="2"><c><v>1</v></c></row><row r="2"><c><v>1</v></c></row>)")),
         xlsx_read_error::bad_cell},
        {"a cell of another row", zip_of(workbook(R"(<row r="2"><c r="A3"><v>1</v></c></row>)")),
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

// Hundreds of thousands of attributes on one element, or of elements one
// inside the other: the XML parser's memory is bounded, not only the part's
// size. (Stored, not compressed, so that no other limit comes first.)
TEST(XlsxRead, XmlStructureBombs) {
    std::string wide = "<row><c";
    for (int i = 0; i < 600'000; ++i) {
        wide += " a" + std::to_string(i) + "=\"\"";
    }
    std::string deep;
    for (int i = 0; i < 1'000'000; ++i) {
        deep += "<a>";
    }
    for (const std::string& rows : {wide + "/></row>", deep}) {
        const auto read = read_xlsx(zip_of(workbook(rows), false));
        ASSERT_FALSE(read.ok());
        EXPECT_EQ(read.error().what, xlsx_read_error::bad_xml);
        EXPECT_EQ(read.error().detail,
                  "xl/worksheets/sheet1.xml needs more than the 32 MiB its XML may take");
    }
}

// 8 MiB of blanks compress to a few KiB: far more than a worksheet expands.
TEST(XlsxRead, ZipBombStopsAtTheLimit) {
    parts p = workbook(one_cell);
    p["xl/worksheets/sheet1.xml"] = std::string("<worksheet ") + main_ns + "><sheetData>" +
                                    std::string(8 << 20, ' ') + one_cell +
                                    "</sheetData></worksheet>";
    const std::string bomb = zip_of(p);
    ASSERT_LT(bomb.size(), 64u << 10);
    EXPECT_EQ(error_of(bomb), xlsx_read_error::expands_too_much);
    xlsx_limits lenient;
    lenient.expansion = 100'000;
    EXPECT_EQ(read_ok(bomb, {{}, lenient}).header.at(0), "amount");
    lenient.part_bytes = 1 << 20;
    EXPECT_EQ(error_of(bomb, lenient), xlsx_read_error::part_too_large);
    lenient.part_bytes = 16 << 20;
    lenient.total_bytes = 2 << 20;
    EXPECT_EQ(error_of(bomb, lenient), xlsx_read_error::part_too_large);

    // The same part with its declared sizes rewritten to 100 bytes in both
    // headers: reading stops at what was declared, whatever the data holds.
    std::string lying = bomb;
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
    const auto read = read_xlsx(lying, {{}, lenient});
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().what, xlsx_read_error::damaged_part)
        << describe(read.error(), language::english);
}

// libzip reads an archive's whole list of parts when it opens it: a list of
// thousands of parts is refused before that, by its declared size.
TEST(XlsxRead, DirectoryLimit) {
    parts p = workbook(one_cell);
    for (int i = 0; i < 3000; ++i) {
        p["xl/media/image" + std::to_string(i) + ".png"] = "";
    }
    const std::string crowded = zip_of(p, false);
    EXPECT_EQ(read_ok(crowded).header.at(0), "amount");
    xlsx_limits limits;
    limits.directory_bytes = 64 << 10;
    EXPECT_EQ(error_of(crowded, limits), xlsx_read_error::directory_too_large);
    EXPECT_EQ(xlsx_sheet_names(crowded, limits).error().what, xlsx_read_error::directory_too_large);
}

// Shared strings are held whole, within their limit; a row's texts are held
// one row at a time, so the same texts spread over many rows are no problem.
TEST(XlsxRead, TextLimits) {
    xlsx_limits limits;
    limits.shared_text_bytes = 64 << 10;
    limits.row_text_bytes = 64 << 10;
    const std::string big(4096, 'x');
    std::string many_strings;
    for (int i = 0; i < 20; ++i) { // 80 KiB of strings
        many_strings += "<si><t>" + big + "</t></si>";
    }
    const auto strings_error = read_xlsx(
        zip_of(workbook(R"(<row><c t="s"><v>0</v></c></row>)", many_strings)), {{}, limits});
    ASSERT_FALSE(strings_error.ok());
    EXPECT_EQ(describe(strings_error.error(), language::english),
              "the workbook's shared strings take more than the 64 KiB allowed");

    std::string one_row = "<row>";
    std::string many_rows;
    for (int r = 1; r <= 20; ++r) {
        one_row += R"(<c t="s"><v>0</v></c>)";
        many_rows += "<row r=\"" + std::to_string(r) + R"("><c t="s"><v>0</v></c></row>)";
    }
    const std::string shared = "<si><t>" + big + "</t></si>";
    const auto row_error = read_xlsx(zip_of(workbook(one_row + "</row>", shared)), {{}, limits});
    ASSERT_FALSE(row_error.ok());
    EXPECT_EQ(describe(row_error.error(), language::chinese), "第1行的文字超过每行64 KiB的限制");
    EXPECT_EQ(read_ok(zip_of(workbook(many_rows, shared)), {{}, limits}).rows.size(), 19u);
}

TEST(XlsxRead, ColumnLimit) {
    xlsx_limits limits;
    limits.columns = 1000;
    const std::string last_column = R"(<row><c r="XFD1"><v>1</v></c></row>)";
    const auto read = read_xlsx(zip_of(workbook(last_column)), {{}, limits});
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(describe(read.error(), language::english),
              "cell XFD1 is past the 1,000 columns a row may have");
    EXPECT_EQ(read_ok(zip_of(workbook(last_column))).header.size(), 16'384u);
}

// Relationship targets are relative to the part that names them.
TEST(XlsxRead, PartNames) {
    struct name_case {
        const char* source;
        const char* target;
        const char* part;
    };
    const name_case cases[] = {
        {"", "xl/workbook.xml", "xl/workbook.xml"},
        {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/workbook.xml", "/xl/styles.xml", "xl/styles.xml"},
        {"xl/workbook.xml", "./sharedStrings.xml", "xl/sharedStrings.xml"},
        {"xl/workbook.xml", "../customXml/item1.xml", "customXml/item1.xml"},
        {"xl/workbook.xml", "worksheets/../worksheets/sheet2.xml", "xl/worksheets/sheet2.xml"},
        {"xl/workbook.xml", "../../../etc/passwd", "etc/passwd"}, // never above the archive
    };
    for (const auto& c : cases) {
        EXPECT_EQ(xlsx::resolve(c.source, c.target), c.part) << c.source << " + " << c.target;
    }
}

// Each error of a limit names the limit it passed, in both languages.
TEST(XlsxRead, LimitErrorsInWords) {
    struct words_case {
        xlsx_read_problem problem;
        const char* english;
        const char* chinese;
    };
    using e = xlsx_read_error;
    const words_case cases[] = {
        {{e::file_too_large, {}, 1 << 20},
         "the file is too large (at most 1 MiB)",
         "文件太大（工作簿最大1 MiB）"},
        {{e::file_too_large, {}, 0}, // made without its limit: the default
         "the file is too large (at most 1 GiB)",
         "文件太大（工作簿最大1 GiB）"},
        {{e::directory_too_large, {}, 64 << 10},
         "the workbook's list of parts is larger than the 64 KiB allowed",
         "工作簿的部件目录超过64 KiB的限制"},
        {{e::part_too_large, "xl/worksheets/sheet1.xml", std::uint64_t{4} << 30},
         "the workbook expands past the limit: xl/worksheets/sheet1.xml takes more than 4 GiB",
         "工作簿解压后超过限制：xl/worksheets/sheet1.xml超过4 GiB"},
        {{e::part_too_large, {}, std::uint64_t{8} << 30},
         "the workbook expands past the limit: its parts take more than 8 GiB in all",
         "工作簿解压后超过限制：各部件合计超过8 GiB"},
        {{e::expands_too_much, "xl/worksheets/sheet1.xml", 100},
         "the workbook expands past the limit: xl/worksheets/sheet1.xml expands more than 100 "
         "times",
         "工作簿解压后超过限制：xl/worksheets/sheet1.xml解压后超过压缩大小的100倍"},
        {{e::row_too_wide, "XFD7", 16'384},
         "cell XFD7 is past the 16,384 columns a row may have",
         "单元格XFD7超出每行16,384列的限制"},
        {{e::too_much_text, {}, 256 << 20},
         "the workbook's shared strings take more than the 256 MiB allowed",
         "工作簿的共享字符串超过256 MiB的限制"},
        {{e::too_much_text, "7", 16 << 20},
         "row 7 holds more than the 16 MiB of text a row may hold",
         "第7行的文字超过每行16 MiB的限制"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(describe(c.problem, language::english), c.english);
        EXPECT_EQ(describe(c.problem, language::chinese), c.chinese);
    }
}

TEST(XlsxRead, LimitsInWords) {
    EXPECT_EQ(limits_text({}, language::english),
              "Workbooks are read a row at a time, within these limits: a worksheet of up to "
              "1,048,576 rows and 16,384 columns; each part of the workbook expanding to at most "
              "4 GiB (8 GiB for all parts together) and to at most 100 times its compressed "
              "size; shared strings of up to 256 MiB; up to 16 MiB of text in one row; a list "
              "of parts of up to 4 MiB; and 32 MiB for the XML parser of each part. A workbook "
              "read from standard input is held in memory whole, up to 1 GiB.");
    xlsx_limits odd;
    odd.row_text_bytes = 1500;
    const std::string zh = limits_text(odd, language::chinese);
    EXPECT_NE(zh.find("每行文字最大1,500字节"), std::string::npos) << zh;
}

} // namespace
} // namespace orvandel::sheet
