#include "standins/hostwin/message_centre_window.h"

#include <QListWidget>
#include <QVBoxLayout>
#include <cstring>

#include "platform/core/text.h"

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

MessageCentreWindow::MessageCentreWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("MessageCentre");
    setWindowTitle(QString::fromUtf8("消息中心"));
    resize(520, 220);
    list_ = new QListWidget(this);
    list_->setObjectName("lstLinks");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
    // How a module's window layer finds this window by its class name.
    setProperty("platWindowClass", QString::fromLatin1(kWindowClass));
}

qintptr MessageCentreWindow::platMessage(uint msg, qintptr, qintptr lParam) {
    if (msg != kCopyDataMessage) return 0;
    // Another program's record: nothing in it is trusted.
    const auto* data = reinterpret_cast<const CopyDataRecord*>(lParam);
    if (!data || !data->lpData || data->cbData == 0 || data->cbData > kMaxBytes) return 0;
    const char* bytes = static_cast<const char*>(data->lpData);
    const size_t length = strnlen(bytes, data->cbData);
    const std::string text =
        plat::FromCodePageReplacing(std::string_view(bytes, length), plat::AnsiCodePage()).text;
    links_.push_back(ParseMessageCentreLink(text));
    const MessageCentreLink& link = links_.back();
    const std::string shown = link.target.empty() ? link.text : link.program + "  " + link.target;
    list_->addItem(QString::fromStdString(shown));
    if (!isVisible()) show();
    return 1;
}

}  // namespace standin
