#include "platform/system/xlsworkbook.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/core/exceptions.h"
#include "platform/system/files.h"
#include "temp_dir.h"
#include "xls_reader.h"

using plat::TXlsFont;
using plat::TXlsWorkbook;

namespace {

std::string Repeat(const std::string& piece, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += piece;
    return s;
}

}  // namespace

TEST(XlsWorkbook, CellsFormatsFontsAndWidthsReadBackByAnIndependentReader) {
    TempDir dir;
    TXlsWorkbook book("委外进货单");
    const uint16_t text = book.Style("@");
    const uint16_t integer = book.Style("0_ ");
    const uint16_t money = book.Style("#,##0.00_ ");
    TXlsFont red;
    red.ColorIndex = 3;
    red.Bold = true;
    const uint16_t error = book.Style("", red);
    EXPECT_EQ(book.Style("@"), text);  // the same pair is one style

    book.SetText(0, 0, "品号", text);
    book.SetText(0, 1, "Tab\there");
    book.SetText(1, 0, "0012", text);
    book.SetNumber(1, 1, 42, integer);
    book.SetNumber(1, 2, -1234.56, money);
    book.SetNumber(1, 3, 0.1 + 0.2);   // no compact form: a full double
    book.SetNumber(1, 4, 0.5);         // upper bits only
    book.SetNumber(1, 5, -536870912);  // the smallest compact integer
    book.SetNumber(1, 6, 536870912);   // just beyond it
    book.SetText(2, 255, "Error!", error);
    book.SetStyle(3, 0, money);        // formatted but empty
    book.SetText(1, 0, "0013", text);  // overwrites
    book.SetColumnWidth(0, 20 * 256);
    book.SaveToFile(dir / "a.xls");

    const XlsSheet s = ReadXls(dir / "a.xls");
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.name, "委外进货单");
    EXPECT_EQ(s.rows, 4);
    EXPECT_EQ(s.cols, 256);
    EXPECT_EQ(s.widths.at(0), 20 * 256);
    struct Case {
        int row, col, kind;
        std::string text;
        double number;
        std::string format;
    } cases[] = {
        {0, 0, 1, "品号", 0, "@"},
        {0, 1, 1, "Tab\there", 0, "General"},
        {1, 0, 1, "0013", 0, "@"},
        {1, 1, 2, "", 42, "0_ "},
        {1, 2, 2, "", -1234.56, "#,##0.00_ "},
        {1, 3, 2, "", 0.1 + 0.2, "General"},
        {1, 4, 2, "", 0.5, "General"},
        {1, 5, 2, "", -536870912, "General"},
        {1, 6, 2, "", 536870912, "General"},
        {3, 0, 6, "", 0, "#,##0.00_ "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "cell " << c.row << "," << c.col);
        const XlsCell& got = s.at(c.row, c.col);
        EXPECT_EQ(got.kind, c.kind);
        EXPECT_EQ(got.text, c.text);
        EXPECT_EQ(got.number, c.number);
        EXPECT_EQ(got.format, c.format);
    }
    EXPECT_EQ(s.at(2, 255).text, "Error!");
    EXPECT_EQ(s.at(2, 255).fontColour, 10);  // palette entry of colour index 3: red
    EXPECT_TRUE(s.at(2, 255).bold);
    EXPECT_EQ(s.at(1, 1).fontColour, 0x7FFF);
}

// Many strings of every length, narrow and wide, so that record boundaries
// of the shared-string table fall before, inside and after strings.
TEST(XlsWorkbook, SharedStringsContinueOverRecordLimitsIntact) {
    TempDir dir;
    TXlsWorkbook book;
    std::vector<std::string> texts;
    for (int i = 0; i < 3000; ++i) {
        const std::string piece = i % 3 == 0 ? "收" : i % 3 == 1 ? "a" : "é";
        texts.push_back(std::to_string(i) + Repeat(piece, (i * 37) % 211));
    }
    texts.push_back(Repeat("中文", 9000));  // beyond two records on its own
    texts.push_back(Repeat("x", 30000));
    texts.push_back(Repeat("y", 40000));  // cut to the cell limit
    texts.push_back(Repeat("😀", 20000));  // surrogate pairs, cut between pairs
    for (size_t i = 0; i < texts.size(); ++i) book.SetText((uint32_t)i, 0, texts[i]);
    book.SaveToFile(dir / "sst.xls");

    const XlsSheet s = ReadXls(dir / "sst.xls");
    ASSERT_TRUE(s.ok);
    ASSERT_EQ(s.rows, (int)texts.size());
    for (size_t i = 0; i + 2 < texts.size(); ++i)
        ASSERT_EQ(s.at((int)i, 0).text, texts[i]) << "row " << i;
    EXPECT_EQ(s.at((int)texts.size() - 2, 0).text, Repeat("y", 32767));
    EXPECT_EQ(s.at((int)texts.size() - 1, 0).text, Repeat("😀", 16383));
}

// A file past 109 allocation sectors needs the extended allocation list of
// the compound document; the last row of the format is still reachable.
TEST(XlsWorkbook, LargeFileWithExtendedAllocationTableReadsBack) {
    TempDir dir;
    TXlsWorkbook book;
    for (int i = 0; i < 260; ++i) book.SetText(i, 0, std::to_string(i) + Repeat("货", 16000));
    book.SetNumber(TXlsWorkbook::kMaxRows - 1, TXlsWorkbook::kMaxCols - 1, 2.5);
    book.SaveToFile(dir / "big.xls");
    ASSERT_GT(std::filesystem::file_size(dir / "big.xls"), 109u * 128 * 512);

    const XlsSheet s = ReadXls(dir / "big.xls");
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.rows, 65536);
    EXPECT_EQ(s.at(259, 0).text, "259" + Repeat("货", 16000));
    EXPECT_EQ(s.at(65535, 255).number, 2.5);
}

TEST(XlsWorkbook, RefusesWhatTheFormatCannotHold) {
    TXlsWorkbook book;
    EXPECT_THROW(book.SetText(TXlsWorkbook::kMaxRows, 0, "x"), plat::EListError);
    EXPECT_THROW(book.SetNumber(0, TXlsWorkbook::kMaxCols, 1), plat::EListError);
    EXPECT_THROW(book.SetNumber(0, 0, 1, 99), plat::EListError);
    EXPECT_THROW(book.SetNumber(0, 0, std::nan("")), plat::EConvertError);
    EXPECT_THROW(book.SetNumber(0, 0, INFINITY), plat::EConvertError);
    EXPECT_EQ(book.Kind(0, 0), plat::TXlsCellKind::Empty);
    book.SetSheetName("a/b:c?[d]*e\\f" + Repeat("长", 40));
    EXPECT_EQ(book.SheetName(), "a_b_c__d__e_f" + Repeat("长", 18));
}

TEST(XlsWorkbook, FailedSaveLeavesNoFile) {
    TempDir dir;
    TXlsWorkbook book;
    book.SetText(0, 0, "x");
    EXPECT_THROW(book.SaveToFile(dir / "missing/a.xls"), plat::EInOutError);
    {
        FileSizeLimit limit(1000);
        EXPECT_THROW(book.SaveToFile(dir / "full.xls"), plat::EInOutError);
    }
    EXPECT_FALSE(plat::FileExists(dir / "full.xls"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}
