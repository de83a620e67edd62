// The host's main-menu window as far as the module sees it: the window of
// class "QRV_Mirelta_MainMenu" that receives the message-centre links a
// document form sends (WM_COPYDATA) and lists them.
#pragma once
#include <string>
#include <vector>

#include "platform/ui/forms.h"

namespace plat {
class TListBox;
}  // namespace plat

namespace standin {

struct MessageCentreLink {
    std::string program;  // the text between "RKLT:" and "$$"
    std::string target;   // the link's address (rklt://...)
    std::string text;     // the whole text received
};

// Splits a received link text; a text that is no link keeps only `text`.
MessageCentreLink ParseMessageCentreLink(const std::string& text);

class TMessageCentreWindow : public plat::TForm {
    PLAT_CLASS(TMessageCentreWindow, plat::TForm)
  public:
    static constexpr const char* kWindowClass = "QRV_Mirelta_MainMenu";
    // Longest record taken; a longer one is refused.
    static constexpr uint32_t kMaxBytes = 64 * 1024;

    explicit TMessageCentreWindow(plat::TComponent* owner);

    const std::vector<MessageCentreLink>& Links() const { return links_; }
    plat::TListBox* lstLinks;

    void WndProc(plat::TMessage& m) override;

  private:
    std::vector<MessageCentreLink> links_;
};

}  // namespace standin
