// Message dialogs: the platform's MessageDlg, ShowMessage and MessageBox,
// answered by a replaceable service. The default builds the dialog as one of
// our forms and shows it modally; tests install the scripted service, which
// records every request and answers from a queue.
#pragma once
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/msgdlg.h"
#include "platform/ui/forms.h"

namespace plat {

using TMsgDlgButtons = TSet<TMsgDlgBtn>;
constexpr TMsgDlgButtons mbYesNoCancel{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel};
constexpr TMsgDlgButtons mbOKCancel{TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel};
constexpr TMsgDlgButtons mbAbortRetryIgnore{TMsgDlgBtn::mbAbort, TMsgDlgBtn::mbRetry,
                                            TMsgDlgBtn::mbIgnore};

// MessageBox flags and answers.
constexpr unsigned MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3,
                   MB_YESNO = 0x4, MB_RETRYCANCEL = 0x5, MB_ICONHAND = 0x10, MB_ICONSTOP = 0x10,
                   MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30,
                   MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40, MB_ICONINFORMATION = 0x40,
                   MB_DEFBUTTON1 = 0x0, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

// One request to the service, as the caller made it.
struct MessageRequest {
    std::string Text;
    std::string Caption;  // empty: the dialog type's title
    TMsgDlgType Type = TMsgDlgType::mtInformation;
    TMsgDlgButtons Buttons{TMsgDlgBtn::mbOK};
    std::vector<TMsgDlgBtn> Order;  // buttons in the order shown
    TMsgDlgBtn DefaultButton = TMsgDlgBtn::mbOK;
    TMsgDlgBtn CancelButton = TMsgDlgBtn::mbOK;
    // Captions in place of the platform's own, by button.
    std::vector<std::pair<TMsgDlgBtn, std::string>> ButtonCaptions;
    // The dialog's font; empty: the platform's.
    std::string FontName;
    TFontCharset FontCharset = DEFAULT_CHARSET;
    // The caption a button shows.
    std::string CaptionOf(TMsgDlgBtn b) const;
};

// The modal result each button gives.
TModalResult ModalResultOf(TMsgDlgBtn b);

class IMessageDialogs {
  public:
    virtual ~IMessageDialogs() = default;
    virtual TModalResult Show(const MessageRequest& r) = 0;
    // The platform's MessageBox on top of Show.
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags);
};

// The installed service (the form-based one unless replaced).
IMessageDialogs& MessageDialogs();
std::shared_ptr<IMessageDialogs> SetMessageDialogs(std::shared_ptr<IMessageDialogs> s);

class MessageDialogsScope {
  public:
    explicit MessageDialogsScope(std::shared_ptr<IMessageDialogs> s)
        : old_(SetMessageDialogs(std::move(s))) {}
    ~MessageDialogsScope() { SetMessageDialogs(old_); }

  private:
    std::shared_ptr<IMessageDialogs> old_;
};

// The default service: a form from CreateMessageDialog, shown modally
// through the application's dialog runner.
class FormMessageDialogs : public IMessageDialogs {
  public:
    TModalResult Show(const MessageRequest& r) override;
};

// For tests: records each request; answers with the queued results in order,
// then with the default button's result.
class ScriptedMessageDialogs : public IMessageDialogs {
  public:
    TModalResult Show(const MessageRequest& r) override;
    void Answer(TModalResult r) { answers_.push_back(r); }
    const std::vector<MessageRequest>& Requests() const { return requests_; }
    std::vector<std::string> Texts() const;
    void Clear() {
        requests_.clear();
        answers_.clear();
    }

  private:
    std::deque<TModalResult> answers_;
    std::vector<MessageRequest> requests_;
};

// The platform's message dialogs.
TModalResult MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                        int helpContext = 0);
void ShowMessage(const std::string& msg);
// The dialog form: a label "Message", an image "Image" and one button per
// kind, named "OK", "Cancel", "Yes", "No", "Abort", "Retry", "Ignore", "All",
// "NoToAll", "YesToAll", "Help", with the modal results of their kinds.
TForm* CreateMessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons);
// The request a MessageBox call makes.
MessageRequest MessageBoxRequest(const std::string& text, const std::string& caption,
                                 unsigned flags);

}  // namespace plat
