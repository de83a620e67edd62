// The serial program and the look-ups the serial windows use, against the
// stand-in host on the demo database.
#include "platform/core/text.h"
#include "serial_fixture.h"

namespace ktrb::test {
namespace {

using plat::VarArrayOf;
using plat::Variant;

class SerialProgramTest : public SerialHostTest {
  protected:
    // The sibling program's arguments: format, item, lot, date, the first
    // and last running number, segment contents by kind.
    Variant Params(const std::string& format, const std::string& first, const std::string& last,
                   const std::string& run = "****") {
        std::vector<Variant> a(21, Variant(""));
        a[0] = "2";
        a[1] = format;
        a[2] = "B2001";
        a[3] = "L240118";
        a[4] = "20240118";
        a[5] = "C001";
        a[6] = "S003";
        a[7] = run;  // kind 6: the running number
        a[19] = first;
        a[20] = last;
        return VarArrayOf({"1=2", Variant::ArrayOf(a)});
    }
    std::vector<std::string> Run(const Variant& params) {
        Variant out;
        EXPECT_EQ(b->RunJobProgram("SRLB03", params, VarArrayOf({1, 256, Variant()}), out, true),
                  0);
        std::vector<std::string> serials;
        if (out.IsArray())
            for (int i = out.LowBound(); i <= out.HighBound(); ++i)
                serials.push_back(plat::VarToStr(out[i]));
        return serials;
    }
};

TEST_F(SerialProgramTest, MakesAndRegistersTheSerialsOfAnInterval) {
    std::vector<std::string> serials = Run(Params("SN01", "98", "101"));
    ASSERT_EQ(serials, (std::vector<std::string>{"B2001-240118-0098", "B2001-240118-0099",
                                                 "B2001-240118-0100", "B2001-240118-0101"}));
    Variant found;
    EXPECT_TRUE(b->CheckValue("PSMMA", "02", VarArrayOf({serials[3], "B2001", "L240118"}), found));
    EXPECT_FALSE(b->CheckValue("PSMMA", "02", VarArrayOf({serials[3], "B2001", "L9"}), found));
}

TEST_F(SerialProgramTest, WithoutAnIntervalMakesTheFirstFreeSerial) {
    // The demo registers the numbers 1 to 10 of this item's pattern.
    EXPECT_EQ(Run(Params("SN01", "", "")), std::vector<std::string>{"B2001-240118-0011"});
    EXPECT_EQ(Run(Params("SN01", "", "")), std::vector<std::string>{"B2001-240118-0012"});
}

TEST_F(SerialProgramTest, FixedLengthSlotsAndHostileNumbers) {
    // SN02: the lot's last six characters, then the format's six digits.
    EXPECT_EQ(Run(Params("SN02", "7", "7", "")), std::vector<std::string>{"240118000007"});
    EXPECT_TRUE(Run(Params("NOSUCH", "1", "2")).empty());
    EXPECT_EQ(Run(Params("SN01", "99999999999999999999", "")).size(), 1u);
    EXPECT_EQ(Run(Params("SN01", "1", "999999999")).size(), size_t(10000));
}

TEST_F(SerialProgramTest, ServerMessageTablesAndFormatLookups) {
    Variant text;
    ASSERT_TRUE(b->CheckValue("MSGCHT", "01", VarArrayOf({"W", "200411"}), text));
    EXPECT_EQ(plat::VarToStr(text[text.LowBound()]), "序号笔数与数量 %s 不符,是否继续?");
    ASSERT_TRUE(b->CheckValue("MSGENG", "01", VarArrayOf({"E", "201121"}), text));
    EXPECT_EQ(plat::VarToStr(text[text.LowBound()]), "The pattern has no running-number part (*)!");
    ASSERT_TRUE(b->CheckValue("BMSMB", "01", VarArrayOf({"SN02"}), text));
    EXPECT_EQ(plat::VarToStr(text[text.LowBound() + 1]), "批号流水");
}

}  // namespace
}  // namespace ktrb::test
