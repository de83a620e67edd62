// The host's main-menu window as far as the module sees it: the window of
// class "QRV_Mirelta_MainMenu" that receives the message-centre links a
// document form sends (WM_COPYDATA) and lists them. It is the host program's
// own window, on the toolkit directly: the module library carries its own
// copy of the window layer, and the two meet only through the toolkit.
#pragma once
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

class QListWidget;

namespace standin {

struct MessageCentreLink {
    std::string program;  // the text between "RKLT:" and "$$"
    std::string target;   // the link's address (rklt://...)
    std::string text;     // the whole text received
};

// Splits a received link text; a text that is no link keeps only `text`.
MessageCentreLink ParseMessageCentreLink(const std::string& text);

// The record a WM_COPYDATA message points at, as the sender lays it out.
struct CopyDataRecord {
    uintptr_t dwData = 0;
    uint32_t cbData = 0;
    const void* lpData = nullptr;
};

class MessageCentreWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kWindowClass = "QRV_Mirelta_MainMenu";
    static constexpr unsigned kCopyDataMessage = 0x004A;
    // Longest record taken; a longer one is refused.
    static constexpr uint32_t kMaxBytes = 64 * 1024;

    explicit MessageCentreWindow(QWidget* parent = nullptr);

    const std::vector<MessageCentreLink>& Links() const { return links_; }
    QListWidget* List() const { return list_; }

    // A message from a module's window: 1 when a link was taken.
    Q_INVOKABLE qintptr platMessage(uint msg, qintptr wParam, qintptr lParam);

  private:
    QListWidget* list_;
    std::vector<MessageCentreLink> links_;
};

}  // namespace standin
