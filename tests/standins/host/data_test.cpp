#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/core/exceptions.h"
#include "standins/host/message_catalogue.h"
#include "standins/host/program_master.h"
#include "standins/host/system_parameters.h"

using namespace standin;

namespace {

std::string WriteTemp(const std::string& name, const std::string& text) {
    auto path = std::filesystem::temp_directory_path() /
                ("ktrb_host_" + std::to_string(::getpid()) + "_" + name);
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

}  // namespace

TEST(MessageCatalogue, BundledTextsByKindWithFallbacks) {
    const auto& cat = MessageCatalogue::Bundled();
    const auto zh = MessageLanguage::SimplifiedChinese;
    // The same code carries different texts per kind.
    EXPECT_EQ(cat.Text("E", "000001", zh), "%s 资料不存在,请重新输入!");
    EXPECT_EQ(cat.Text("C", "000001", zh), "确定要删除此笔资料吗?");
    // "T" has no rows: the "E" row; a kind with no row and no "E" row: the first row.
    EXPECT_EQ(cat.Text("T", "000038", zh), cat.Text("E", "000038", zh));
    EXPECT_EQ(cat.Text("Q", "100079", zh), "%s");
    // Case and blanks around the kind and code do not matter.
    EXPECT_EQ(cat.Text(" w ", "c00015 ", MessageLanguage::English),
              "%s must not exceed the arrival note's %s!");
}

TEST(MessageCatalogue, UnknownCodeGivesVisiblePlaceholderWithoutFormatPlaces) {
    const auto& cat = MessageCatalogue::Bundled();
    std::string zh = cat.Text("E", "999999", MessageLanguage::SimplifiedChinese);
    std::string en = cat.Text("E", "999999", MessageLanguage::English);
    EXPECT_NE(zh.find("[E;999999]"), std::string::npos);
    EXPECT_NE(en.find("[E;999999]"), std::string::npos);
    // A hostile code never puts format places into the text.
    std::string odd = cat.Text("E", "%s%n\t", MessageLanguage::English);
    EXPECT_EQ(CountArgumentPlaces(odd), 0);
    EXPECT_EQ(odd.find('%'), std::string::npos);
    EXPECT_NE(cat.Text("", "", MessageLanguage::English), "");
}

TEST(MessageCatalogue, EveryBundledRowIsWellFormed) {
    const auto& cat = MessageCatalogue::Bundled();
    ASSERT_GT(cat.Entries().size(), 100u);
    for (auto& e : cat.Entries()) {
        int places = 0;
        for (auto& a : e.args) places += a != "empty";
        EXPECT_EQ(CountArgumentPlaces(e.chinese), places) << e.kind << e.code;
        EXPECT_EQ(CountArgumentPlaces(e.english), places) << e.kind << e.code;
        EXPECT_EQ(e.code.size(), 6u);
    }
}

TEST(MessageCatalogue, LoadRejectsMalformedRows) {
    const std::string good = "E\t000001\tlabel\t%s 甲\t%s a\n";
    EXPECT_EQ(MessageCatalogue::Load(WriteTemp("ok.tsv", "# c\n\n" + good)).Entries().size(), 1u);
    const char* bad[] = {
        "E\t000001\tlabel\t甲\t%s a\n",      // place missing in one text
        "E\t000001\t-\t%s 甲\t%s a\n",       // place without an argument
        "E\t000001\tlabel\t%s 甲\n",         // a column missing
        "EE\t000001\tlabel\t%s 甲\t%s a\n",  // kind of two letters
        "E\t0001\tlabel\t%s 甲\t%s a\n",     // short code
        "E\t000001\t-\t甲\\q\ta\n",          // unknown escape
    };
    for (const char* text : bad)
        EXPECT_THROW(MessageCatalogue::Load(WriteTemp("bad.tsv", text)), plat::EInOutError) << text;
    EXPECT_THROW(MessageCatalogue::Load(WriteTemp("dup.tsv", good + good)), plat::EInOutError);
    EXPECT_THROW(MessageCatalogue::Load("/nonexistent/messages.tsv"), plat::EInOutError);
}

TEST(MessageCatalogue, EscapesAndLiteralPercent) {
    auto cat =
        MessageCatalogue::Load(WriteTemp("esc.tsv", "W\t200237\ttext\t%s\\n继续?\t100%% %s\\\\\n"));
    EXPECT_EQ(cat.Text("W", "200237", MessageLanguage::SimplifiedChinese), "%s\n继续?");
    EXPECT_EQ(cat.Text("W", "200237", MessageLanguage::English), "100%% %s\\");
}

TEST(SystemParameters, CompanyRowsReplaceDefaultsInTheTwoRowReply) {
    auto p = SystemParameters::Load(WriteTemp(
        "sys.tsv", "*\tSYS001\t1\tx\n*\tSYS003\tRMB\tx\nC2\tsys003\tUSD\tx\nC2\tSYS099\tZ\tx\n"));
    plat::Variant r = p.SysInfoReply("C2");
    ASSERT_EQ(r.DimCount(), 2);
    EXPECT_EQ(r.HighBound(1), 1);
    ASSERT_EQ(r.HighBound(2), 2);
    EXPECT_EQ(r.At(0, 0).AsString(), "SYS001");
    EXPECT_EQ(r.At(0, 1).AsString(), "SYS003");
    EXPECT_EQ(r.At(1, 1).AsString(), "USD");
    EXPECT_EQ(r.At(0, 2).AsString(), "SYS099");
    // Another company sees only the defaults.
    EXPECT_EQ(p.SysInfoReply("C1").HighBound(2), 1);
    EXPECT_EQ(p.SysInfoReply("C1").At(1, 1).AsString(), "RMB");
}

TEST(SystemParameters, ALaterRowOfTheSameNameReplacesTheEarlierInPlace) {
    auto p = SystemParameters::Load(WriteTemp(
        "sys2.tsv", "*\tSYS001\t1\tx\n*\tSYS002\t2\tx\n*\tsys001\t3\tx\nC2\tSYS001\t4\tx\n"));
    p.Set("C2", "Sys002", "5");
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(p.ForCompany("C1"), (Pairs{{"SYS001", "3"}, {"SYS002", "2"}}));
    EXPECT_EQ(p.ForCompany("C2"), (Pairs{{"SYS001", "4"}, {"SYS002", "5"}}));
}

TEST(SystemParameters, BundledHasWhatTheModuleReads) {
    auto params = SystemParameters::Bundled().ForCompany("ANY");
    auto value = [&](const std::string& n) {
        for (auto& [k, v] : params)
            if (k == n) return v;
        return std::string("<missing>");
    };
    for (const char* n : {"SYS001", "SYS002", "SYS003", "SYS011", "SYS013", "SYS024", "SYS025",
                          "SYS060", "SYS093", "SYS151", "SYS174", "SYS180", "QRV002"})
        EXPECT_NE(value(n), "<missing>") << n;
    EXPECT_NO_THROW(std::stoi(value("SYS151")));  // the query dialog reads it as a number
}

TEST(ProgramMaster, FindsByCodeAndAnswersTheValidatorRow) {
    const auto& pm = ProgramMaster::Bundled();
    const ProgramRecord* r = pm.Find(" ktrb52 ");
    ASSERT_NE(r, nullptr);
    plat::Variant row = ProgramMaster::ValidatorRow(*r);
    ASSERT_EQ(row.HighBound(1), 9);
    EXPECT_EQ(row[0].AsString(), "委外进货单");
    EXPECT_EQ(row[1].AsString(), "KTRD52");
    EXPECT_EQ(row[9].AsString(), "Subcontract Receipt");
    for (const char* code : {"KTRD52", "KTRB17", "VNDB04", "LDGB40", "MSGB25", "SRLB03"})
        EXPECT_NE(pm.Find(code), nullptr) << code;
    EXPECT_EQ(pm.Find("NOPE99"), nullptr);
}
