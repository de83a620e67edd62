// The per-user options of every document form: input settings and how
// numbers and amounts show. Each changed value is stored on the server as a
// user setting; the calling form reads the new states after OK.
#pragma once
#include <memory>
#include <string>

#include "controls/QVDialogCF.h"
#include "platform/core/stringlist.h"

namespace plat {
class TPageControl;
class TTabSheet;
class TLabel;
class TListBox;
class TMemo;
class TPanel;
class TGroupBox;
class TButton;
}  // namespace plat

namespace ktrb {

class TBitCheckBox;

// What the dialog asks of a base document form that owns it.
class IOptionsOwner {
  public:
    // The stored "True"/"False" of a per-user setting; def when it is missing.
    virtual bool OptionsUserFlag(const std::string& group, const std::string& name, bool def) = 0;
    // Decimal digits of amounts in the local currency.
    virtual int OptionsMoneyDigits() = 0;

  protected:
    ~IOptionsOwner() = default;
};

class TfrmOptions : public TfrmQVDialog {
    PLAT_CLASS(TfrmOptions, TfrmQVDialog)
  public:
    explicit TfrmOptions(plat::TComponent* owner);
    ~TfrmOptions() override;

    plat::TMemo* mmoMsg;
    plat::TPageControl* pgMain;
    plat::TTabSheet* tsGeneral;
    plat::TTabSheet* tsDisplay;
    TBitCheckBox* chkKeepOnAdd;
    TBitCheckBox* chkFocusPageOne;
    TBitCheckBox* chkColorManage;
    TBitCheckBox* chkFastInput;
    plat::TLabel* lblStart;
    plat::TLabel* lbl02;
    plat::TLabel* lblType;
    plat::TListBox* lstType;
    plat::TLabel* lblNumberHint;
    plat::TPanel* pnlNumber;
    TBitCheckBox* chkNumberThousand;
    TBitCheckBox* chkNumberAutoZero;
    plat::TGroupBox* grpNumberExample;
    plat::TLabel* lblNumberExample;
    plat::TPanel* pnlMoney;
    TBitCheckBox* chkMoneyThousand;
    TBitCheckBox* chkMoneyAutoZero;
    plat::TGroupBox* grpMoneyExample;
    plat::TLabel* lblMoneyExample;
    plat::TButton* btnOK;
    plat::TButton* btnCancel;

    // The states the caller takes after OK.
    bool GetKeepOnAdd() const;
    bool GetFocusPageOne() const;
    bool GetMoneyAutoZero() const;
    bool GetMoneyThousand() const;
    bool GetNumberAutoZero() const;
    bool GetNumberThousand() const;
    bool GetColorManage() const;

    // The picture formats the examples show.
    std::string NumberFormat() const;
    std::string MoneyFormat() const;

    void FormCreate(plat::TObject* sender);
    void FormShow(plat::TObject* sender);
    void FormDestroy(plat::TObject* sender);
    void lstTypeClick(plat::TObject* sender);
    void chkMoneyThousandClick(plat::TObject* sender);
    void chkMoneyAutoZeroClick(plat::TObject* sender);
    void chkNumberThousandClick(plat::TObject* sender);
    void chkNumberAutoZeroClick(plat::TObject* sender);
    void btnOKClick(plat::TObject* sender);

  private:
    void loadSettings();
    void showTypePanel();
    void refreshExamples();
    void takeSnapshot();
    bool changed(const TBitCheckBox* box) const;
    void storeSettings();
    void captionFromMemo();

    std::unique_ptr<plat::TStringList> snapshot_;
};

}  // namespace ktrb
