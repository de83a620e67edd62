// The colour-rule dialog: the user ticks which colour rules of the header
// browse grid filter the browse records, and holds the colour-management
// switch. A document form creates it once with its grid's conditions and
// shows it from its colour-filter button.
#pragma once
#include <string>
#include <vector>

#include "controls/QVForm.h"
#include "query/ColorComponents.h"

namespace plat {
class TPanel;
class TScrollBox;
class TBitBtn;
}  // namespace plat

namespace ktrb {

class TBrokers;
class TBitCheckBox;

// The document form as the dialog sees it (the form layer lies above).
class IColorQBEOwner {
  public:
    // A per-user setting read through the host; True when stored as "True".
    virtual bool ReadUserSettingFlag(const std::string& group, const std::string& name) = 0;
    virtual TBrokers* ColorQBEBroker() = 0;

  protected:
    ~IColorQBEOwner() = default;
};

class TColorQBEForm : public TQVForm {
    PLAT_CLASS(TColorQBEForm, TQVForm)
  public:
    explicit TColorQBEForm(plat::TComponent* owner);
    ~TColorQBEForm() override;

    plat::TPanel* pnlHead;
    TBitCheckBox* chkColorManage;
    plat::TPanel* pnlMain;
    plat::TScrollBox* boxMain;
    plat::TPanel* pnlFoot;
    plat::TBitBtn* BBOK;
    plat::TBitBtn* BBCancel;

    TColorConditions* Conditions() { return conditions_.get(); }
    bool InitialColorManage = false;

    // Shows the dialog; on OK the given conditions take the ticks.
    bool Execute(bool colorManage, TColorConditions* conditions);
    bool GetColorManage() const;
    // Rule check box i, or null.
    TBitCheckBox* RuleBox(int index) const;

    void FormCreate(plat::TObject* sender);
    void FormShow(plat::TObject* sender);
    void FormCloseQuery(plat::TObject* sender, bool& canClose);
    void chkColorManageClick(plat::TObject* sender);

  private:
    friend TColorQBEForm* CreateColorQBEForm(plat::TComponent*, TColorConditions*);
    // One check box per condition; boxes past the conditions are hidden.
    void MakeRuleBoxes();
    std::unique_ptr<TColorConditions> conditions_;
    std::vector<TBitCheckBox*> boxes_;
};

// The dialog owned by the form, with a copy of the conditions and a rule
// check box for each.
TColorQBEForm* CreateColorQBEForm(plat::TComponent* owner, TColorConditions* conditions);

}  // namespace ktrb
