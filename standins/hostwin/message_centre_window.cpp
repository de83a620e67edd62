#include "standins/hostwin/message_centre_window.h"

#include <cstring>

#include "platform/core/text.h"
#include "platform/ui/copydata.h"
#include "platform/ui/stdctrls.h"

namespace standin {

MessageCentreLink ParseMessageCentreLink(const std::string& text) {
    MessageCentreLink link;
    link.text = text;
    if (text.rfind("RKLT:", 0) != 0) return link;
    const size_t end = text.find("$$", 5);
    if (end == std::string::npos) return link;
    link.program = text.substr(5, end - 5);
    const std::string href = "href=\"";
    const size_t from = text.find(href, end);
    if (from == std::string::npos) return link;
    const size_t to = text.find('"', from + href.size());
    if (to != std::string::npos)
        link.target = text.substr(from + href.size(), to - from - href.size());
    return link;
}

TMessageCentreWindow::TMessageCentreWindow(plat::TComponent* owner) : plat::TForm(owner) {
    SetName("MessageCentre");
    SetCaption("消息中心");
    SetClientWidth(520);
    SetClientHeight(220);
    lstLinks = new plat::TListBox(this);
    lstLinks->SetName("lstLinks");
    lstLinks->SetParent(this);
    lstLinks->SetAlign(plat::TAlign::alClient);
    plat::SetWindowClassName(this, kWindowClass);
}

void TMessageCentreWindow::WndProc(plat::TMessage& m) {
    if (m.Msg != plat::WM_COPYDATA) {
        plat::TForm::WndProc(m);
        return;
    }
    // Another program's record: nothing in it is trusted.
    const auto* data = reinterpret_cast<const plat::TCopyDataStruct*>(m.LParam);
    m.Result = 0;
    if (!data || !data->lpData || data->cbData == 0 || data->cbData > kMaxBytes) return;
    const char* bytes = static_cast<const char*>(data->lpData);
    const size_t length = strnlen(bytes, data->cbData);
    const std::string text =
        plat::FromCodePageReplacing(std::string_view(bytes, length), plat::AnsiCodePage()).text;
    links_.push_back(ParseMessageCentreLink(text));
    const MessageCentreLink& link = links_.back();
    lstLinks->Items()->Add(link.target.empty() ? link.text : link.program + "  " + link.target);
    m.Result = 1;
    if (!Visible()) Show();
}

}  // namespace standin
