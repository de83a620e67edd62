// TfrmSimpleBody: a child window over one nested detail dataset of a
// document that its owner form has open: one grid plus the base form's tool
// bar, menus and status bar. The rows can be looked at any time; only while
// the owning document is being added or changed can the user switch into
// the maintain mode, in which rows are added, changed and deleted in the
// grid. The owner hands the grid its data source before the window starts.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "forms/BaseCF.h"
#include "platform/data/dataset.h"

namespace plat {
class TCanvas;
class TClientDataSet;
class TDataSource;
class TPanel;
class TMenuItem;
class TToolButton;
}  // namespace plat

namespace ktrb {

class TFDBGrid;

class TfrmSimpleBody : public TfrmBase {
    PLAT_CLASS(TfrmSimpleBody, TfrmBase)
  public:
    explicit TfrmSimpleBody(plat::TComponent* owner);
    ~TfrmSimpleBody() override;

    // ---- designed components ----
    plat::TPanel* Panel1 = nullptr;
    TFDBGrid* DBGrid = nullptr;
    plat::TToolButton* btnRedact = nullptr;
    plat::TMenuItem* miRedact = nullptr;

    // ---- state ----
    plat::TDataSource* GridDataSource = nullptr;
    plat::TDataSet* BodyDataSet = nullptr;
    plat::TDataSet* DirectMaster = nullptr;
    plat::TDataSet* TopDataSet = nullptr;
    std::string MasterKeyList, BodyKeyList;
    plat::TClientDataSet* Clone = nullptr;
    bool MaintainMode = false;
    // The window started without a grid data source: it closes on show.
    bool Created = false;

    // ---- virtual operations ----
    void InitializeAfterConnect() override;
    void InitFormSettings() override;
    void UpdateButtons() override;
    bool AddRecord(bool ask) override;
    bool EditRecord() override { return true; }
    bool DeleteRecord(bool ask) override;
    bool SaveDocument() override;
    bool CancelEdit(bool ask) override;
    bool ValidateRequiredFields(plat::TDataSet* dataSet) override;
    void LoadGridLayouts() override;
    void GetHelpContext(const std::string& topic, std::string& context) override;
    virtual bool BeginMaintain();
    virtual void InitNewRow();
    virtual void AfterBodyChange() {}
    virtual void BeforeRowPost() {}
    virtual bool RejectRowPost() { return false; }

    virtual void SetMaintainMode(bool on);

    // ---- event handlers ----
    void FormCreate(plat::TObject* sender) override;
    void FormShow(plat::TObject* sender) override;
    void FormActivate(plat::TObject* sender) override;
    void FormCloseQuery(plat::TObject* sender, bool& canClose) override;
    // The connections belong to the owner's data module: closing leaves them.
    void FormClose(plat::TObject* sender, ktrb::TCloseAction& action) override {}
    void FormDestroy(plat::TObject* sender) override;
    void FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) override;
    void FormKeyPress(plat::TObject* sender, char32_t& key) override;
    void FormResize(plat::TObject* sender) override;
    void btnRedactClick(plat::TObject* sender);
    void miRedactClick(plat::TObject* sender);
    void miOKClick(plat::TObject* sender);
    void miCancelClick(plat::TObject* sender);
    void BodyFirstClick(plat::TObject* sender);
    void BodyPriorClick(plat::TObject* sender);
    void BodyNextClick(plat::TObject* sender);
    void BodyLastClick(plat::TObject* sender);
    virtual void DBGridKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void DBGridCalcTitleAttributes(plat::TObject* sender, plat::TField* field, plat::TFont* font,
                                   plat::TBrush* brush, plat::TAlignment& alignment);
    void DBGridCalcTitleImage(plat::TObject* sender, plat::TField* field, int& index);
    void DBGridTitleButtonClick(plat::TObject* sender, const std::string& fieldName);
    void SimpleBodyCustomDlg(plat::TObject* sender);

  protected:
    void Notification(plat::TComponent* c, plat::TOperation op) override;
    // Adds an 18x18 glyph drawn on a clear ground to the tool bar's images;
    // its index, or -1 without images.
    int AddToolGlyph(const std::function<void(plat::TCanvas&)>& paint);
    // The body's hooked events; each calls the handler it replaced.
    virtual void BodyAfterScroll(plat::TDataSet* dataSet);
    void ShowRowStatus();
    bool BodyEditing() const;
    bool TopEditing() const;
    // The audit columns of a new or changed body row.
    void WriteAuditValues();

  private:
    std::string programCaption() const;
    void MasterAfterOpen(plat::TDataSet* dataSet);
    void BodyBeforePost(plat::TDataSet* dataSet);
    void BodyAfterPost(plat::TDataSet* dataSet);
    void BodyAfterDelete(plat::TDataSet* dataSet);
    void BodyNewRecord(plat::TDataSet* dataSet);
    void SourceStateChange(plat::TObject* sender);
    void hookEvents();
    void unhookEvents();
    void applyMaintainToGrid();

    plat::TDataSetNotifyEvent savedMasterAfterOpen_, savedBeforePost_, savedAfterPost_,
        savedAfterDelete_, savedAfterScroll_, savedNewRecord_;
    plat::TNotifyEvent savedStateChange_;
    bool hooked_ = false;
};

}  // namespace ktrb
