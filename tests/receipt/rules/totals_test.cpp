// The header totals follow the lines.
#include <cmath>
#include <cstring>
#include <random>

#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/data/dataset.h"
#include "receipt_fixture.h"

namespace ktrb::test {
namespace {

class TotalsTest : public DemoReceipt {
  protected:
    TotalsTest() {
        catalogue->Answer("INVMB", "04", {Variant("铝合金外壳")});  // no price control
        EditReceipt("5901", "20240108001");
    }
    void SetLineNumbers(std::initializer_list<std::pair<const char*, double>> values) {
        for (auto [name, value] : values) SetL(name, plat::FloatToStr(value));
    }
    void EditLine(std::initializer_list<std::pair<const char*, double>> values) {
        lines().Edit();
        SetLineNumbers(values);
        lines().Post();
    }
    void AppendLine(std::initializer_list<std::pair<const char*, double>> values) {
        lines().Append();
        SetL("TI004", "A1002-02");
        SetL("TI009", "W01");
        SetLineNumbers(values);
        lines().Post();
    }
};

TEST_F(TotalsTest, QuantityAndAmountTotalsFollowTheLines) {
    EditLine({{"TI007", 320.5},
              {"TI019", 310},
              {"TI025", 4000},
              {"TI044", 4000},
              {"TI045", 520},
              {"TI046", 4000},
              {"TI047", 520},
              {"TI026", 12},
              {"TI027", 3},
              {"TI016", 16},
              {"TI017", 14}});
    AppendLine({{"TI007", 10},
                {"TI019", 9},
                {"TI025", 100},
                {"TI044", 100},
                {"TI045", 13},
                {"TI046", 100},
                {"TI047", 13},
                {"TI026", 1},
                {"TI027", 2},
                {"TI016", 1},
                {"TI017", 1}});
    EXPECT_EQ(head().State(), plat::dsEdit);
    const std::pair<const char*, double> expected[] = {
        {"TH042", 330.5}, {"TH022", 319},   {"TH018", 4100}, {"TH019", 13}, {"TH027", 4100},
        {"TH020", 533},   {"TH031", 4100},  {"TH032", 533},  {"TH021", 5},  {"TH034", 15},
        {"TH043", 17},    {"TH027C", 4633}, {"TH032C", 4633}};
    for (auto [field, value] : expected) EXPECT_DOUBLE_EQ(HV(field), value) << field;
}

TEST_F(TotalsTest, PerLineQuantitiesAreCutToWholeNumbers) {
    form->broker->SetSysParam("SYS024", "2");
    EditLine({{"TI007", 1.6}, {"TI019", 1.6}});
    AppendLine({{"TI007", 2.7}, {"TI019", 0.9}});
    EXPECT_DOUBLE_EQ(HV("TH042"), 3);
    EXPECT_DOUBLE_EQ(HV("TH022"), 1);
}

TEST_F(TotalsTest, PerLineTotalsOfAReceiptWithoutLinesChangeNothing) {
    form->broker->SetSysParam("SYS024", "2");
    form->mode = TFormMode::Add;
    head().Append();
    SetH("TH042", "5");
    SetH("TH018", "7");
    dm->CalcHeadTotals();
    EXPECT_DOUBLE_EQ(HV("TH042"), 5);
    EXPECT_DOUBLE_EQ(HV("TH018"), 7);
}

TEST_F(TotalsTest, WithoutAQuantitySettingOnlyTheAmountsAreSummed) {
    form->broker->SetSysParam("SYS024", "");
    head().Edit();
    SetH("TH042", "99");
    EditLine({{"TI007", 12}, {"TI025", 250}});
    EXPECT_DOUBLE_EQ(HV("TH042"), 99);
    EXPECT_DOUBLE_EQ(HV("TH018"), 250);
}

// The header is put into edit before the totals are written, whatever the
// quantity setting: a header in browse state keeps no stale total.
TEST_F(TotalsTest, AHeaderInBrowseStateIsPutIntoEditFirst) {
    for (const char* setting : {"1", "2"}) {
        form->broker->SetSysParam("SYS024", setting);
        head().Edit();
        SetH("TH042", "5");
        SetH("TH027C", "0");
        head().Post();
        ASSERT_EQ(head().State(), plat::dsBrowse);
        dm->CalcHeadTotals();
        EXPECT_EQ(head().State(), plat::dsEdit) << "SYS024=" << setting;
        EXPECT_DOUBLE_EQ(HV("TH042"), 300) << "SYS024=" << setting;
        EXPECT_DOUBLE_EQ(HV("TH027C"), 4237.5) << "SYS024=" << setting;
        head().Post();
    }
}

// Lines changed, added, deleted and cancelled at random: after every step the
// totals kept from line to line equal a full recount, bit for bit.
TEST_F(TotalsTest, TotalsKeptLineByLineEqualAFullRecount) {
    const char* totals[] = {"TH042", "TH022", "TH018", "TH019", "TH027",  "TH020", "TH031",
                            "TH032", "TH021", "TH034", "TH043", "TH027C", "TH032C"};
    const char* amounts[] = {"TI007", "TI019", "TI025", "TI026", "TI044", "TI045",
                             "TI046", "TI047", "TI027", "TI016", "TI017"};
    std::mt19937 random(52);
    auto value = [&] {
        // Up to four decimals, either sign: the sums float additions get wrong.
        return (double)((int)(random() % 2000001) - 1000000) / std::pow(10, random() % 5);
    };
    auto setValues = [&] {
        for (const char* name : amounts)
            if (random() % 3 != 0) SetL(name, plat::FloatToStr(value()));
    };
    auto readTotals = [&] {
        std::vector<double> out;
        for (const char* name : totals) out.push_back(HV(name));
        return out;
    };
    for (const char* setting : {"1", "2"}) {
        form->broker->SetSysParam("SYS024", setting);
        dm->CalcHeadTotals();
        for (int step = 0; step < 150; ++step) {
            const int action = (int)(random() % 5);
            if (lines().RecordCount() > 0) lines().MoveBy((int)(random() % 7) - 3);
            try {
                if (action == 0 || lines().IsEmpty()) {
                    lines().Append();
                    SetL("TI004", "A1002-02");
                    SetL("TI009", "W01");
                    SetL("TI037", "N");
                    setValues();
                    lines().Post();
                } else if (action == 1) {
                    lines().Delete();
                } else {
                    lines().Edit();
                    SetL("TI037", "N");
                    setValues();
                    if (action == 2)
                        lines().Cancel();
                    else
                        lines().Post();
                }
            } catch (const plat::EAbort&) {
                if (lines().State() != plat::dsBrowse) lines().Cancel();
            }
            const std::vector<double> kept = readTotals();
            std::vector<std::string> names(std::begin(amounts), std::end(amounts));
            std::vector<plat::TField*> fields;
            for (const char* name : amounts) fields.push_back(dm->LineField(name));
            std::vector<double> walked;
            dm->SumBodyLines(names, walked, std::vector<std::string>(names.size()),
                             std::vector<int>(names.size(), -1));
            const std::vector<double> stored = *lines().RangeSums(fields, false);
            ASSERT_EQ(std::memcmp(walked.data(), stored.data(), walked.size() * sizeof(double)), 0)
                << "SYS024=" << setting << " step " << step;
            dm->CalcHeadTotals();
            const std::vector<double> recounted = readTotals();
            ASSERT_EQ(std::memcmp(kept.data(), recounted.data(), kept.size() * sizeof(double)), 0)
                << "SYS024=" << setting << " step " << step;
        }
    }
}

}  // namespace
}  // namespace ktrb::test
