// The language packages the demo client ships: every package in every
// language, the traditional ones as the converter makes them.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>

#include "form_components.h"
#include "language_fixture.h"
#include "platform/system/files.h"
#include "platform/xml/xmldocument.h"
#include "runtime/CodeConverter.h"
#include "runtime/LanguageController.h"

using namespace ktrb;
using namespace ktrb::test;
namespace fs = std::filesystem;

namespace {

fs::path DemoClient() {
    const char* env = std::getenv("KTRB_SOURCE_DIR");
    fs::path root =
        env && *env ? fs::path(env) : fs::path(__FILE__).parent_path().parent_path().parent_path();
    return root / "standins/data/client";
}

const char* const kLanguages[] = {"CHS", "CHT", "ENG"};

std::vector<std::string> PackageNames() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(DemoClient() / "MultiLanguage/CHS"))
        if (e.path().extension() == ".Lng") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// id -> text of every message entry of a package.
std::map<std::string, std::string> Messages(const std::string& language,
                                            const std::string& package) {
    plat::XmlDocument doc;
    std::string file = (DemoClient() / "MultiLanguage" / language / (package + ".Lng")).string();
    EXPECT_TRUE(doc.Load(file)) << file << ": " << doc.ParseError().reason;
    std::map<std::string, std::string> out;
    if (plat::XmlNode root = doc.DocumentElement()) {
        EXPECT_EQ(root.NodeName(), package);
        for (const plat::XmlNode& n : root.SelectNodes("*[@Msg]"))
            out[n.NodeName()] = n.GetAttribute("Msg");
    }
    return out;
}

std::string Placeholders(const std::string& text) {
    static const std::regex spec("%[-0-9.]*[dsfgxDSFGX]");
    std::string out;
    for (std::sregex_iterator it(text.begin(), text.end(), spec), end; it != end; ++it)
        out += it->str();
    return out;
}

TEST(DemoLanguagePackages, EveryLanguageHasEveryMessageWithTheSamePlaceholders) {
    std::vector<std::string> names = PackageNames();
    ASSERT_GE(names.size(), 10u);
    for (const std::string& package : names) {
        std::map<std::string, std::string> chs = Messages("CHS", package);
        for (const char* language : {"CHT", "ENG"}) {
            std::map<std::string, std::string> other = Messages(language, package);
            ASSERT_EQ(other.size(), chs.size()) << language << " " << package;
            for (const auto& [id, text] : chs) {
                ASSERT_TRUE(other.count(id)) << language << " " << package << " " << id;
                EXPECT_EQ(Placeholders(other[id]), Placeholders(text))
                    << language << " " << package << " " << id;
                EXPECT_EQ(std::count(other[id].begin(), other[id].end(), '\t'),
                          std::count(text.begin(), text.end(), '\t'))
                    << language << " " << package << " " << id;
            }
        }
    }
}

class DemoPackagesTest : public LanguageFixture {
  protected:
    DemoPackagesTest() {
        UseDemoTable();
        fs::copy(DemoClient() / "MultiLanguage", inst.client() + "MultiLanguage",
                 fs::copy_options::recursive);
    }
};

TEST_F(DemoPackagesTest, TraditionalPackagesAreTheConvertedSimplifiedOnes) {
    SetCodePages("950", "936");
    TCodeConverter cv;
    for (const std::string& package : PackageNames()) {
        std::string chs =
            plat::ReadFileBytes((DemoClient() / "MultiLanguage/CHS" / (package + ".Lng")).string());
        std::string cht =
            plat::ReadFileBytes((DemoClient() / "MultiLanguage/CHT" / (package + ".Lng")).string());
        EXPECT_EQ(cv.GBToBig5(chs), cht) << package << ": run tools/make_cht_packages.py";
    }
}

TEST_F(DemoPackagesTest, MessagesFollowTheInterfaceCodePage) {
    struct Case {
        const char* ui;
        const char* want;
    } cases[] = {{"936", "公司编号"}, {"950", "公司編號"}, {"437", "Company"}};
    for (const Case& c : cases) {
        SetCodePages(c.ui, "936");
        EXPECT_EQ(LangMessage(false, "TdmRadical", "sCompany", "?"), c.want) << c.ui;
    }
    SetCodePages("437", "936");
    EXPECT_EQ(LangMessage(false, "TQBEForm", "C_Operators", "").substr(0, 11), "Equal to\t=\r");
}

TEST_F(DemoPackagesTest, MessageEntriesNamedLikeComponentsApplyQuietly) {
    SetCodePages("437", "936");
    TTestForm form;
    auto* ok = new TTestButton(&form);
    ok->SetName("btnOK");
    TQvLangController ctl(&form);
    ctl.ApplyPackages(&form, {"TQVConfirmDateForm"});
    EXPECT_TRUE(ctl.Active());
    EXPECT_EQ(AlertLog(kLanguageLog), "");
}

}  // namespace
