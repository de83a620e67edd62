#include "standins/hostwin/message_centre_window.h"

#include <gtest/gtest.h>

#include "forms/MessageCentreLink.h"
#include "platform/core/text.h"
#include "platform/ui/copydata.h"
#include "platform/ui/stdctrls.h"

namespace {

using standin::TMessageCentreWindow;

const std::string kLink =
    "RKLT:委外进货单$$<font size=\"2\"><p>&nbsp</p> <A "
    "href=\"rklt://Palora/DEMO/KTRB52/query/MOCTH.TH001='5901'\"><p>单别 : 5901</p></font></A>";

TEST(MessageCentreWindow, ReceivesLinksAFormSends) {
    plat::AnsiCodePageScope gbk(plat::CodePage::Gbk);
    EXPECT_FALSE(ktrb::SendMessageCentreLink(0, kLink));  // no host window yet
    auto* w = plat::CreateForm<TMessageCentreWindow>(nullptr);
    ASSERT_TRUE(ktrb::SendMessageCentreLink(0, kLink));
    ASSERT_EQ(w->Links().size(), 1u);
    EXPECT_EQ(w->Links()[0].text, kLink);
    EXPECT_EQ(w->Links()[0].program, "委外进货单");
    EXPECT_EQ(w->Links()[0].target, "rklt://Palora/DEMO/KTRB52/query/MOCTH.TH001='5901'");
    EXPECT_EQ(w->lstLinks->Items()->Count(), 1);
    w->Free();
    EXPECT_FALSE(ktrb::SendMessageCentreLink(0, kLink));  // gone with its window
}

TEST(MessageCentreWindow, HostileRecordsAreRefusedOrCut) {
    auto* w = plat::CreateForm<TMessageCentreWindow>(nullptr);
    const plat::HWND h = plat::FindWindow(TMessageCentreWindow::kWindowClass);
    ASSERT_EQ(h, w->Handle());
    auto send = [&](const plat::TCopyDataStruct* d) {
        return plat::SendMessage(h, plat::WM_COPYDATA, 0, reinterpret_cast<plat::LPARAM>(d));
    };
    std::string big(TMessageCentreWindow::kMaxBytes + 1, 'a');
    plat::TCopyDataStruct tooBig{0, (uint32_t)big.size(), big.data()};
    plat::TCopyDataStruct noData{0, 10, nullptr};
    EXPECT_EQ(send(nullptr), 0);
    EXPECT_EQ(send(&tooBig), 0);
    EXPECT_EQ(send(&noData), 0);
    EXPECT_TRUE(w->Links().empty());
    // Without a terminating zero only the bytes given are read.
    const char unterminated[] = {'a', 'b', 'c', 'd'};
    plat::TCopyDataStruct cut{0, 3, unterminated};
    EXPECT_EQ(send(&cut), 1);
    ASSERT_EQ(w->Links().size(), 1u);
    EXPECT_EQ(w->Links()[0].text, "abc");
    EXPECT_EQ(w->Links()[0].target, "");
    w->Free();
}

}  // namespace
