// The single-table form's query: the query dialog, the record limit, saved
// schemes as a drop-down menu under the query button, title sorting.
#include "controls/ExtPage.h"
#include "controls/FDBGrid.h"
#include "dataframe/RadicalCD.h"
#include "forms/SingleCF.h"
#include "platform/component/properties.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "query/QvQBE.h"
#include "runtime/Brokers.h"

namespace ktrb {

namespace {

const int kDefaultTopRows = 500;

}  // namespace

// The query-by-example dialog of the query layer behind the form's seam; the
// form owns (and the base form frees) the dialog itself.
class QBEQueryDialog : public IQueryDialog {
  public:
    explicit QBEQueryDialog(TQBEForm* form) : form_(form) {}
    void Prepare(plat::TClientDataSet* dataSet, const std::string& tableName, bool hideTopRows,
                 const std::string& defaultSort, const std::string& keyList) override {
        form_->Prepare(dataSet, tableName, keyList, defaultSort, hideTopRows ? 1 : 0);
    }
    bool Execute(std::string& where, std::string& orderBy) override {
        return form_->Execute(where, orderBy);
    }
    void GetCondition(std::string& where, std::string& orderBy) override {
        form_->GetCondition(where, orderBy);
    }
    void LoadScheme(int page, const std::string& scheme) override {
        form_->LoadScheme(page, scheme);
    }
    void SetTopRowCount(int count) override { form_->SetTopRowCount(count); }
    int GetTopRowCount() override { return form_->GetTopRowCount(); }
    std::string GetWhereText() override { return form_->GetWhereText(); }
    std::string GetOrderText() override { return form_->GetOrderText(); }

  private:
    TQBEForm* form_;
};

std::unique_ptr<IQueryDialog> TfrmSingle::CreateQueryDialog() {
    // Made as a form is made, so its creation step loads the operators.
    auto* form = plat::CreateForm<TQBEForm>(this);
    QueryDialog = form;
    return std::make_unique<QBEQueryDialog>(form);
}

std::string TfrmSingle::QBECompanyDB() {
    return Brokers()->SignOnKey;
}

std::vector<std::string> TfrmSingle::QBEHeadPickList(const std::string& fieldName) {
    if (auto* column = gdHead->Columns()->ColumnByField(fieldName)) return column->PickList;
    return {};
}

std::vector<std::string> TfrmSingle::QBEComboItems(const std::string& comboName) {
    plat::TComponent* combo = FindComponent(comboName);
    if (!combo) return {};
    try {
        return plat::GetStringsProp(combo, "Items");
    } catch (const std::exception&) {
        return {};
    }
}

void TfrmSingle::RenameConditionMenuItem(const std::string& oldCaption,
                                         const std::string& newCaption) {
    for (int i = 0; i < mnCondition->Items()->Count(); ++i)
        if (mnCondition->Items()->Items(i)->Caption() == oldCaption)
            mnCondition->Items()->Items(i)->SetCaption(newCaption);
}

void TfrmSingle::prepareQueryDialog() {
    TdmSingle* dm = SingleModule();
    if (!queryBox_ || !dm) return;
    queryBox_->Prepare(dm->cdsMain, dm->MainTable, SqlType != 0, dm->DefaultOrder, dm->KeyFields);
}

plat::Variant TfrmSingle::simpleSql(const std::string& sql, const std::string& fields) {
    TBrokers* b = Brokers();
    return b->CallServerMethod("SimpleSql",
                               plat::VarArrayOf({plat::Variant(sql), plat::Variant(fields),
                                                 plat::Variant(b->SignOnKey), plat::Variant("N")}));
}

void TfrmSingle::runQuery(const std::string& where, const std::string& orderBy, bool adjust) {
    TdmSingle* dm = SingleModule();
    bool failed = false;
    std::string message;
    try {
        plat::TCursorGuard hourglass(plat::crHourGlass);
        if (SqlType == 0) {
            int rows = queryBox_ ? queryBox_->GetTopRowCount() : kDefaultTopRows;
            dm->AppServer.AsDispatch()->Call("SetTopRow", plat::Variant(rows));
        }
        std::string condition = where;
        if (adjust) AdjustQueryCondition(where, condition);
        OpenDataSet(dm->cdsMain, condition, orderBy);
        SetFormMode(0);
    } catch (const std::exception& e) {
        failed = true;
        message = e.what();
    }
    if (failed) {
        ShowMessageBox(QvConverter->ConvertToUI(plat::Variant(message)).AsString(),
                       TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
        Brokers()->ShowMessageCode("W", "000001", {plat::Variant("")});
    }
}

bool TfrmSingle::QueryRecords() {
    TdmSingle* dm = SingleModule();
    if (!dm) return false;
    // A non-numeric setting raises before the dialog shows.
    int limit = plat::StrToInt(Brokers()->GetSysParam("SYS151"));
    if (queryBox_) {
        queryBox_->SetTopRowCount(limit);
        std::string where, orderBy;
        if (queryBox_->Execute(where, orderBy)) runQuery(where, orderBy, true);
    }
    pgHead->SetActivePage(tbsBrowse);
    focusIfPossible(gdHead);
    return true;
}

void TfrmSingle::OpenDataSet(plat::TClientDataSet* dataSet, const std::string& where,
                             const std::string& orderBy) {
    TfrmBase::OpenDataSet(dataSet, where, orderBy);
    TdmSingle* dm = SingleModule();
    if (!dm || dataSet != dm->cdsMain) return;
    if (!dataSet->IndexFieldNames().empty()) dm->DefaultOrder = dataSet->IndexFieldNames();
}

void TfrmSingle::RebuildConditionMenu() {
    mnCondition->Items()->Clear();
    TdmSingle* dm = SingleModule();
    if (!dm || !dm->cdsSaveCondition) return;
    TBrokers* b = Brokers();
    plat::TClientDataSet* saved = dm->cdsSaveCondition;
    try {
        dm->AppServer.AsDispatch()->Call("LoadTable",
                                         plat::VarArrayOf({b->UserID, b->ProgramCode}));
        saved->Close();
        saved->Open();
        saved->First();
    } catch (const std::exception&) {
        // No schemes to offer: the query button stays plain.
    }
    if (!saved->Active() || saved->IsEmpty()) {
        if (btnQuery) btnQuery->SetStyle(plat::TToolButtonStyle::tbsButton);
        return;
    }
    if (btnQuery) {
        btnQuery->SetStyle(plat::TToolButtonStyle::tbsDropDown);
        btnQuery->SetDropdownMenu(mnCondition);
    }
    int index = 0;
    for (saved->First(); !saved->Eof(); saved->Next(), ++index) {
        auto* item = new plat::TMenuItem(this);
        item->SetName("mnu" + std::to_string(index));
        plat::Variant shown;
        ConvertByDisplayMode(saved->FieldByName("NCONDITION")->Value(), shown);
        item->SetCaption(plat::VarToStr(shown));
        item->OnClick = plat::TNotifyEvent(this, &TfrmSingle::ApplySavedCondition);
        mnCondition->Items()->Add(item);
    }
    saved->First();
}

void TfrmSingle::ApplySavedCondition(plat::TObject* sender) {
    auto* item = dynamic_cast<plat::TMenuItem*>(sender);
    TdmSingle* dm = SingleModule();
    if (!item || !dm || !dm->cdsSaveCondition) return;
    TBrokers* b = Brokers();
    plat::TClientDataSet* saved = dm->cdsSaveCondition;
    std::string name = QvConverter->ConvertFromUI(plat::Variant(item->Caption())).AsString();
    if (!saved->Active() || !saved->FindKey({plat::Variant(name), plat::Variant(b->UserID),
                                             plat::Variant(b->ProgramCode)}))
        return;
    std::string where, orderBy;
    if (queryBox_) {
        queryBox_->LoadScheme((int)plat::VarToIntDef(saved->FieldByName("ActivePage")->Value(), 0),
                              saved->FieldByName("VCONDITION")->AsString());
        queryBox_->GetCondition(where, orderBy);
    }
    // A saved scheme is used as it stands: no condition hook.
    runQuery(where, orderBy, false);
    pgHead->SetActivePage(tbsBrowse);
    focusIfPossible(gdHead);
}

void TfrmSingle::gdHeadTitleButtonClick(plat::TObject*, const std::string& fieldName) {
    TdmSingle* dm = SingleModule();
    if (!dm || plat::SameText(fieldName, kMultiSelectedField)) return;
    dm->SortMainByField(fieldName);
}

void TfrmSingle::gdHeadCalcTitleImage(plat::TObject*, plat::TField* field, int& image) {
    TdmSingle* dm = SingleModule();
    if (!dm || !field || dm->SortField != field) return;
    image = dm->IsIndexAscending(dm->cdsMain) ? 0 : 1;
}

}  // namespace ktrb
