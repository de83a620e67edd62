// The base of the modal dialogs a document form opens: it borrows the
// owner form's broker, date format and caption, moves on with Enter, sends
// F2/F3/F4 (keys or messages) to overridable hooks, and offers the date
// pick, the F2 lookup and the server check of an edit's value.
#pragma once
#include <string>
#include <vector>

#include "controls/QVForm.h"
#include "runtime/Brokers.h"

namespace plat {
class TCustomEdit;
}  // namespace plat

namespace ktrb {

// What a dialog reads of the document form that owns it.
class IDialogOwnerForm {
  public:
    // Borrowed by the dialog, never freed by it.
    virtual TBrokers* DialogBrokers() = 0;
    // 1..5, the codes of DateToText.
    virtual int DialogDateFormatType() const = 0;
    virtual std::string DialogDateSeparator() const = 0;
    virtual std::string DialogCaption() const = 0;

  protected:
    ~IDialogOwnerForm() = default;
};

class TfrmQVDialog : public TQVForm {
    PLAT_CLASS(TfrmQVDialog, TQVForm)
  public:
    explicit TfrmQVDialog(plat::TComponent* owner);

    int DateFormatType = 1;
    std::string DateSeparator = "/";
    // The owner's; null when the owner is no document form.
    TBrokers* Brokers = nullptr;
    void SetDateFormatType(int v) { DateFormatType = v; }
    void SetDateSeparator(const std::string& v) { DateSeparator = v; }

    void FormCreate(plat::TObject* sender);
    void FormShow(plat::TObject* sender);
    void FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void FormKeyPress(plat::TObject* sender, char32_t& key);

    // By default each focuses the control when it can take the focus.
    virtual void HandleF2Key(uint16_t& key, plat::TWinControl* control);
    virtual void HandleF3Key(uint16_t& key, plat::TWinControl* control);
    virtual void HandleF4Key(uint16_t& key, plat::TWinControl* control);

    // What an empty date edit shows in the dialog's format.
    std::string GetBlankDateText() const;
    // The host's calendar, started at the edit's YYYYMMDD date (else today).
    void PickDate(plat::TCustomEdit* edit);
    void F2LookupEdit(plat::TCustomEdit* edit, const std::string& name, const std::string& key,
                      const plat::Variant& params);
    // The first chosen row fills the controls in order: edits their text,
    // labels their caption; other controls skip their element.
    void F2Lookup(const std::vector<plat::TControl*>& controls, const std::string& name,
                  const std::string& key, const plat::Variant& params);
    // Checks the first control's (an edit's) text with the host's validator;
    // on success the reply fills the other controls. msgType "E" or "W"
    // names the message a failure shows.
    bool CheckEditValue(const std::vector<plat::TControl*>& controls, const std::string& name,
                        const std::string& key, plat::Variant params, const std::string& msgType);
    std::string GetControlCaption(plat::TControl* control) const;

    void WndProc(plat::TMessage& m) override;

  private:
    void tryFocusControl(plat::TWinControl* control);
};

}  // namespace ktrb
