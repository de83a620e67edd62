#include "standins/hostwin/message_centre_window.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <cstdlib>
#include <memory>

#include "forms/MessageCentreLink.h"
#include "platform/core/text.h"
#include "platform/ui/copydata.h"
#include "platform/ui/qt_bridge.h"

namespace {

using standin::MessageCentreWindow;

const std::string kLink =
    "RKLT:委外进货单$$<font size=\"2\"><p>&nbsp</p> <A "
    "href=\"rklt://Palora/DEMO/KTRB52/query/MOCTH.TH001='5901'\"><p>单别 : 5901</p></font></A>";

// The host's window is a plain toolkit window, as it is in the host program,
// where the module library has a window layer of its own.
TEST(MessageCentreWindow, ReceivesLinksAFormSends) {
    plat::EnsureApplication();
    plat::AnsiCodePageScope gbk(plat::CodePage::Gbk);
    EXPECT_FALSE(ktrb::SendMessageCentreLink(0, kLink));  // no host window yet
    auto w = std::make_unique<MessageCentreWindow>();
    ASSERT_TRUE(ktrb::SendMessageCentreLink(0, kLink));
    ASSERT_EQ(w->Links().size(), 1u);
    EXPECT_EQ(w->Links()[0].text, kLink);
    EXPECT_EQ(w->Links()[0].program, "委外进货单");
    EXPECT_EQ(w->Links()[0].target, "rklt://Palora/DEMO/KTRB52/query/MOCTH.TH001='5901'");
    EXPECT_EQ(w->List()->count(), 1);
    if (const char* shots = std::getenv("KTRB_SHOTS"))
        w->grab().save(QString::fromStdString(std::string(shots) + "/message_centre.png"));
    w.reset();
    EXPECT_FALSE(ktrb::SendMessageCentreLink(0, kLink));  // gone with its window
}

TEST(MessageCentreWindow, HostileRecordsAreRefusedOrCut) {
    plat::EnsureApplication();
    auto w = std::make_unique<MessageCentreWindow>();
    const plat::HWND h = plat::FindWindow(MessageCentreWindow::kWindowClass);
    ASSERT_NE(h, 0);
    EXPECT_EQ(plat::FindWindow(MessageCentreWindow::kWindowClass), h);  // one handle per window
    auto send = [&](const plat::TCopyDataStruct* d) {
        return plat::SendMessage(h, plat::WM_COPYDATA, 0, reinterpret_cast<plat::LPARAM>(d));
    };
    std::string big(MessageCentreWindow::kMaxBytes + 1, 'a');
    plat::TCopyDataStruct tooBig{0, (uint32_t)big.size(), big.data()};
    plat::TCopyDataStruct noData{0, 10, nullptr};
    EXPECT_EQ(send(nullptr), 0);
    EXPECT_EQ(send(&tooBig), 0);
    EXPECT_EQ(send(&noData), 0);
    EXPECT_EQ(plat::SendMessage(h, plat::WM_USER, 0, 0), 0);  // other messages are not links
    EXPECT_TRUE(w->Links().empty());
    // Without a terminating zero only the bytes given are read.
    const char unterminated[] = {'a', 'b', 'c', 'd'};
    plat::TCopyDataStruct cut{0, 3, unterminated};
    EXPECT_EQ(send(&cut), 1);
    ASSERT_EQ(w->Links().size(), 1u);
    EXPECT_EQ(w->Links()[0].text, "abc");
    EXPECT_EQ(w->Links()[0].target, "");
}

}  // namespace
