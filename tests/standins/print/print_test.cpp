// The host's print run on paper: a demo receipt read by its layout and
// written as PDF and page pictures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "standins/appserver/database_setup.h"
#include "standins/print/gif_writer.h"
#include "standins/print/page_renderer.h"
#include "standins/print/printed_document.h"

using namespace standin;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

struct PrintTest : ::testing::Test {
    static void SetUpTestSuite() {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char arg0[] = "test";
            static char* argv[] = {arg0, nullptr};
            new QGuiApplication(argc, argv);
        }
    }
    PrintTest() {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~PrintTest() override { fs::remove_all(folder); }

    PrintedDocument Load(const char* number, PrintLanguage lang = PrintLanguage::Chinese) {
        PrintedDocument doc;
        std::string error;
        EXPECT_TRUE(LoadPrintedDocument(*db, "KTRD52", plat::VarArrayOf({"5901", number}), lang,
                                        doc, error))
            << error;
        return doc;
    }
    // Lines 0002 .. n+1 added to the first demo receipt.
    void AddLines(int n) {
        db->Exec("WITH RECURSIVE k(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM k WHERE i < " +
                 std::to_string(n + 1) +
                 ") INSERT INTO MOCTI (TI001, TI002, TI003, TI004, TI005, TI007, TI025) "
                 "SELECT '5901', '20240108001', printf('%04d', i), 'A1001-01', '铝合金外壳', 2, 25 "
                 "FROM k");
    }

    std::unique_ptr<Database> db = OpenServerDatabase(":memory:");
    fs::path folder = fs::temp_directory_path() / ("ktrb_print_" + std::to_string(::getpid()));
};

TEST_F(PrintTest, ReceiptIsReadWithNamesAndTotals) {
    PrintedDocument doc = Load("20240108001");
    EXPECT_EQ(doc.title, "委外进货单");
    auto field = [&](const std::string& label) {
        for (auto& [l, v] : doc.header)
            if (l == label) return v;
        return std::string("?");
    };
    EXPECT_EQ(field("单号"), "20240108001");
    EXPECT_EQ(field("进货日期"), "2024/01/08");
    EXPECT_NE(field("供应商").find("S001 "), std::string::npos);
    EXPECT_GT(field("供应商").size(), 5u);  // the supplier's name follows its code
    ASSERT_EQ(doc.rows.size(), 1u);
    EXPECT_EQ(doc.rows[0][2], "铝合金外壳");
    EXPECT_EQ(doc.rows[0][4], "300");
    EXPECT_EQ(doc.rows[0][11], "3,750.00");
    ASSERT_EQ(doc.totals.size(), doc.columns.size());
    EXPECT_EQ(doc.totals[0], "合计");
    EXPECT_EQ(doc.totals[11], "3,750.00");

    PrintedDocument eng = Load("20240108001", PrintLanguage::English);
    EXPECT_EQ(eng.title, "Subcontract Receipt");
    EXPECT_EQ(eng.header[0].first, "Type");
}

TEST_F(PrintTest, WhatCannotBePrintedIsRefusedWithItsReason) {
    struct Case {
        const char* report;
        plat::Variant keys;
        const char* reason;
    } cases[] = {
        {"MOCR99", plat::VarArrayOf({"5901", "20240108001"}), "no print layout"},
        {"KTRD52", plat::VarArrayOf({"5901"}), "needs 2 key values"},
        {"KTRD52", plat::Variant("5901"), "needs 2 key values"},
        {"KTRD52", plat::VarArrayOf({"5901", "29991231999"}), "no document"},
    };
    for (const Case& c : cases) {
        PrintedDocument doc;
        std::string error;
        EXPECT_FALSE(
            LoadPrintedDocument(*db, c.report, c.keys, PrintLanguage::Chinese, doc, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.report << ": " << error;
    }
}

TEST_F(PrintTest, LinesThatDoNotFitGoOnMorePages) {
    AddLines(80);
    PrintedDocument doc = Load("20240108001");
    ASSERT_EQ(doc.rows.size(), 81u);
    const auto pages = Paginate(doc);
    ASSERT_GE(pages.size(), 3u);
    size_t lines = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i].first, lines);
        lines += pages[i].count;
        EXPECT_EQ(pages[i].totals, i + 1 == pages.size());
    }
    EXPECT_EQ(lines, 81u);

    const std::string pdf = (folder / "r.pdf").string();
    std::string error;
    ASSERT_TRUE(WritePdf(doc, pdf, error)) << error;
    const std::string bytes = ReadAll(pdf);
    EXPECT_EQ(bytes.substr(0, 4), "%PDF");
    // The Chinese font travels with the file, and its text can be searched.
    EXPECT_NE(bytes.find("/FontFile2"), std::string::npos);
    EXPECT_NE(bytes.find("/ToUnicode"), std::string::npos);
    EXPECT_EQ(Count(bytes, "/Type /Page\n") + Count(bytes, "/Type /Page\r") +
                  Count(bytes, "/Type /Page "),
              int(pages.size()));
    if (const char* dir = std::getenv("KTRB_SHOTS")) {
        std::vector<std::string> files;
        EXPECT_TRUE(WritePageImages(doc, std::string(dir) + "/print_pages", PageImageFormat::Png,
                                    96, files, error));
    }

    // A document whose lines fill the last page exactly gets its totals on a page of their own.
    doc.rows.resize(pages[0].count);
    const auto full = Paginate(doc);
    ASSERT_EQ(full.size(), 2u);
    EXPECT_EQ(full[1].count, 0u);
    EXPECT_TRUE(full[1].totals);
}

TEST_F(PrintTest, PagePicturesShowTheDocument) {
    PrintedDocument doc = Load("20240112001");
    std::vector<std::string> files;
    std::string error;
    const std::string base = (folder / "page").string();
    for (auto [format, ext] :
         {std::pair{PageImageFormat::Png, ".png"}, std::pair{PageImageFormat::Gif, ".GIF"},
          std::pair{PageImageFormat::Jpeg, ".JPG"}}) {
        ASSERT_TRUE(WritePageImages(doc, base, format, 96, files, error)) << error;
        ASSERT_EQ(files, std::vector<std::string>{base + ext});
        QImage img(QString::fromStdString(files[0]));
        ASSERT_FALSE(img.isNull()) << files[0];
        EXPECT_EQ(img.width(), 1123);  // A4 landscape at 96 dpi
        EXPECT_EQ(img.height(), 794);
        // Not blank: dark ink on a white page.
        int dark = 0;
        for (int y = 0; y < img.height(); y += 2)
            for (int x = 0; x < img.width(); x += 2) dark += qGray(img.pixel(x, y)) < 96;
        EXPECT_GT(dark, 500) << ext;
        EXPECT_EQ(qGray(img.pixel(2, 2)), 255) << ext;
    }
    EXPECT_FALSE(WritePageImages(doc, base, PageImageFormat::Png, 5000, files, error));
    EXPECT_NE(error.find("out of range"), std::string::npos);

    // Pictures to look at, in both languages.
    if (const char* dir = std::getenv("KTRB_SHOTS")) {
        for (auto [lang, tag] :
             {std::pair{PrintLanguage::Chinese, "CHS"}, std::pair{PrintLanguage::English, "ENG"}}) {
            const std::string out = std::string(dir) + "/print_" + tag;
            EXPECT_TRUE(WritePageImages(Load("20240118001", lang), out, PageImageFormat::Png, 96,
                                        files, error));
            EXPECT_TRUE(WritePdf(Load("20240118001", lang), out + ".pdf", error));
        }
    }
}

TEST(GifWriter, PixelsComeBackAsWritten) {
    if (!QCoreApplication::instance()) PrintTest::SetUpTestSuite();
    // Noise fills the code table several times over; a flat run makes long codes.
    const int w = 300, h = 200;
    std::vector<uint8_t> pixels(w * h);
    std::mt19937 rng(7);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = i < pixels.size() / 2 ? rng() % 16 : 3;
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < 16; ++i) palette.push_back(i * 0x100f01u);
    const std::string bytes = EncodeGif(w, h, pixels, palette);
    QImage img =
        QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size()), "GIF");
    ASSERT_FALSE(img.isNull());
    ASSERT_EQ(img.size(), QSize(w, h));
    int wrong = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            wrong += (img.pixel(x, y) & 0xffffff) != palette[pixels[y * w + x]];
    EXPECT_EQ(wrong, 0);

    EXPECT_THROW(EncodeGif(0, 1, {}, palette), std::invalid_argument);
    EXPECT_THROW(EncodeGif(2, 2, {0, 1, 2}, palette), std::invalid_argument);
    EXPECT_THROW(EncodeGif(1, 1, {16}, palette), std::invalid_argument);
    EXPECT_THROW(EncodeGif(1, 1, {0}, {0}), std::invalid_argument);
}

}  // namespace
