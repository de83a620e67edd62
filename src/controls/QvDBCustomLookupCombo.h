// The F2 lookup combo of the document forms: typing a few characters of a
// code or a name fetches the candidate rows once from the lookup server,
// filters them locally while the user types, and hands the chosen row back
// to the form as if its lookup window had returned it.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "controls/QvLookUpComboCommon.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/lookupcombo.h"

namespace ktrb {

using TSetReturnEvent = plat::Event<plat::TObject*, TInteraParam*>;
using TGetF2ParamEvent = plat::Event<plat::TObject*, TInteraParam*>;

inline constexpr const char* kDefaultTopSQLWarning =
    "此查询中数据过多，开窗限制了返回笔数，如没有找到你要的结果请开窗重新查询。";

// The drop-down grid: striped rows, the current record highlighted.
class TQvPopupGrid : public plat::TPopupGrid {
    PLAT_CLASS(TQvPopupGrid, plat::TPopupGrid)
  public:
    explicit TQvPopupGrid(plat::TComponent* owner);
    bool KeyPressed = false;

  protected:
    void DoCalcCellColors(plat::TField* field, plat::TGridDrawState state, bool highlight,
                          plat::TFont* font, plat::TBrush* brush) override;
    void KeyDown(uint16_t& key, plat::TShiftState shift) override;
};

class TQvDBCustomLookupCombo : public plat::TLookupComboBase {
    PLAT_CLASS(TQvDBCustomLookupCombo, plat::TLookupComboBase)
  public:
    explicit TQvDBCustomLookupCombo(plat::TComponent* owner);
    ~TQvDBCustomLookupCombo() override;

    // The lookup connection: the candidate rows come from its "pvdDravoc"
    // provider, the server calls go to its application server.
    plat::IProviderSource* Midas() const { return lookupTable_->RemoteServer(); }
    void SetMidas(plat::IProviderSource* connection);
    // How a connection gives its application server; by default a connection
    // that is itself a server object.
    static std::function<plat::Variant(plat::IProviderSource*)> AppServerOf;
    std::string ProviderName() const { return lookupTable_->ProviderName(); }
    void SetProviderName(const std::string& n) { lookupTable_->SetProviderName(n); }

    std::string TopSQLWarning = kDefaultTopSQLWarning;
    TGetF2ParamEvent OnGetBaseClassParam;
    TSetReturnEvent OnSetReturn;

    plat::TGridClientDataSet* LookupDataSet() const { return lookupTable_; }
    const plat::TStringList& ReplyValues() const { return replyValues_; }
    const std::string& ReturnFields() const { return returnFields_; }
    bool TopLimited() const { return topLimited_; }
    int OpenWinKind() const { return openWinKind_; }

    // One fetch from the lookup server; a search text replaces the request's
    // starting text. Errors pass to the caller.
    void FetchLookupData(const std::string* searchText = nullptr);
    bool ParamsChanged(const plat::Variant& v) const;
    static void BuildReturnRow(const std::string& fields, plat::TDataSet* ds, plat::Variant& rows);
    virtual void ResetLookup();
    virtual void AdjustDropDown();

    void DropDown() override;
    void CloseUp(bool modified) override;
    bool FindRecord(const std::string& searchText, const std::string& searchField,
                    plat::TLookupMatch match, bool updateValue) override;
    void GridClick() override;

  protected:
    void KeyPress(char32_t& key) override;
    void KeyDown(uint16_t& key, plat::TShiftState shift) override;
    void KeyUp(uint16_t& key, plat::TShiftState shift) override;
    void DoExit() override;

    virtual void ApplyParam(TInteraParam* p);
    virtual void ParseReply();
    virtual void ApplyReply();
    virtual void ApplyDisplayDefinition();
    virtual void BuildSelectedFields();
    void LookupFilterRecord(plat::TDataSet* ds, bool& accept);
    bool IsFieldReadOnly() const;
    bool IsDataSourceEditing() const;
    std::string PredictText(char32_t key) const;
    void ClearFilter();

    bool ChoiceConfirmed = false;
    bool WarningJustShown = false;
    TInteraParam Param;

  private:
    void openLookupTable();
    void hookTextFields();
    std::string mapGetText(const std::string& field, const std::string& stored) const;
    // The text of a lookup column shown by its display code.
    std::string codedText(const std::string& code, plat::TField* f) const;

    plat::TGridClientDataSet* lookupTable_ = nullptr;
    plat::Variant appServer_, request_, reply_;
    plat::TStringList replyValues_;
    std::string moneyFields_, priceFields_, displayText_, mapFields_, returnFields_;
    bool firstFetchPending_ = true, refetchOnKey_ = false, topLimited_ = false, topWarned_ = false,
         modifierDown_ = false, lookupSuspended_ = false, savedLookUpEnabled_ = true,
         fetchFailed_ = false;
    int openWinKind_ = 0;
    std::unique_ptr<TLookupMatcher> matcher_;
};

// The published form the forms place.
class TQvDBLookupCombo : public TQvDBCustomLookupCombo {
    PLAT_CLASS(TQvDBLookupCombo, TQvDBCustomLookupCombo)
  public:
    using TQvDBCustomLookupCombo::TQvDBCustomLookupCombo;
};

}  // namespace ktrb
