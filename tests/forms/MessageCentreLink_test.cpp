#include "forms/MessageCentreLink.h"

#include <gtest/gtest.h>

namespace ktrb::test {
namespace {

TEST(MessageCentreLink, FieldsNestAndTheLinkIsLaidOutExactly) {
    EXPECT_EQ(MessageCentreFieldText({}), "");
    const std::string fields = MessageCentreFieldText({{"单别", "5901"}, {"单号", "20240108001"}});
    EXPECT_EQ(fields, "<p><p>单别 : 5901</p>单号 : 20240108001</p>");
    EXPECT_EQ(MessageCentreLinkText("委外进货单", "DEMO", "KTRB52",
                                    "MOCTH.TH001='5901' and MOCTH.TH002='20240108001'", fields),
              "RKLT:委外进货单$$<font size=\"2\"><p>&nbsp</p> <A "
              "href=\"rklt://Palora/DEMO/KTRB52/query/MOCTH.TH001='5901' and "
              "MOCTH.TH002='20240108001'\"><p><p>单别 : 5901</p>单号 : 20240108001</p></font></A>");
}

}  // namespace
}  // namespace ktrb::test
