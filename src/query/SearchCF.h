// The lookup window: a read-only window that shows the rows the lookup
// server picks for a document form, a header grid and optionally a body grid
// whose rows follow the current header row. The broker opens it (and frees
// it); nothing is handed back. A double-click starts the program that keeps
// the row's document; price and amount columns follow the user's rights; the
// column layout is saved per lookup kind on the user's command.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "controls/QVForm.h"
#include "platform/core/stringlist.h"
#include "platform/core/variant.h"
#include "platform/ui/grids.h"
#include "runtime/Brokers.h"

namespace plat {
class TPanel;
class TBitBtn;
class TSplitter;
class TImageList;
class TPopupMenu;
class TMenuItem;
class TDataSet;
class TField;
class TFont;
class TBrush;
}  // namespace plat

namespace ktrb {

class TF2Button;
class TFDBGrid;
class TSocketConnection;
class TwwClientDataSet;
class TwwDataSource;

// One link entry of a definition: the program and the fields that select its
// document.
struct TLookupLink {
    std::string Program, Source1, Source2, Target1, Target2;
};
TLookupLink ParseLookupLink(const std::string& entry);
// The filter handed to the linked program: " T1='v1' AND T2='v2'", each
// value quoted so that it cannot end its literal.
std::string LinkCondition(const TLookupLink& link, const std::string& value1,
                          const std::string& value2);

class TfrmSearch : public TQVForm {
    PLAT_CLASS(TfrmSearch, TQVForm)
  public:
    explicit TfrmSearch(plat::TComponent* owner);
    ~TfrmSearch() override;

    plat::TPanel* ToolBar1;
    plat::TPanel* Panel1;
    plat::TPanel* Panel2;
    TF2Button* btnFirst;
    TF2Button* btnPrior;
    TF2Button* btnNext;
    TF2Button* btnLast;
    plat::TBitBtn* btnOK;
    TFDBGrid* gdMain;
    plat::TSplitter* Splitter1;
    TFDBGrid* gdbody;
    TSocketConnection* MIDAS1;
    TSocketConnection* MIDAS2;
    TwwClientDataSet* cdsMain;
    TwwClientDataSet* cdsbody;
    TwwDataSource* dsMain;
    TwwDataSource* dsbody;
    plat::TImageList* ImageList1;
    plat::TPopupMenu* PopupMenu1;
    plat::TMenuItem* SetGridSetting1;
    plat::TMenuItem* GetGridSetting1;
    plat::TMenuItem* N1;

    plat::Variant MainServer, BodyServer;
    int DateFormatCode = 1;
    std::string DateSeparator;
    std::string DateFields;    // ",NAME" per date column
    std::string MarkedFields;  // ",NAME" per marked column
    TBrokers* Broker = nullptr;
    bool HasBody = false;
    std::string LinkField;
    std::string ComputeKind;
    std::string MainTable, MainKind;
    std::string MainLinks, BodyLinks;
    bool PriceVisible = true, AmountVisible = true;

    // Shows the rows of the request; always Unassigned. The window is shown
    // only when the server knows the kind and there is a row.
    plat::Variant Execute(TBrokers* broker, const plat::Variant& mainTable,
                          const plat::Variant& mainKind, const plat::Variant& mainParams,
                          const plat::Variant& bodyTable, const plat::Variant& bodyKind,
                          const plat::Variant& bodyParams, const std::string& linkField,
                          const std::string& computeKinds, int productID,
                          const std::string& baseLimited);

    // ---- event handlers ----
    void FormCreate(plat::TObject* sender);
    void FormActivate(plat::TObject* sender);
    void FormClose(plat::TObject* sender, plat::TCloseAction& action);
    void FormCanResize(plat::TObject* sender, int& width, int& height, bool& resize);
    void FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void FormShow(plat::TObject* sender);
    void btnOKClick(plat::TObject* sender);
    void btnFirstClick(plat::TObject* sender);
    void btnPriorClick(plat::TObject* sender);
    void btnNextClick(plat::TObject* sender);
    void btnLastClick(plat::TObject* sender);
    void gdMainKeyPress(plat::TObject* sender, char32_t& key);
    void gdMainDblClick(plat::TObject* sender);
    void gdbodyDblClick(plat::TObject* sender);
    void gdMainCalcTitleAttributes(plat::TObject* sender, plat::TField* field, plat::TFont* font,
                                   plat::TBrush* brush, plat::TAlignment& align);
    void gdMainCalcCellColors(plat::TObject* sender, plat::TField* field,
                              plat::TGridDrawState state, bool highlight, plat::TFont* font,
                              plat::TBrush* brush);
    void gdbodyCalcCellColors(plat::TObject* sender, plat::TField* field,
                              plat::TGridDrawState state, bool highlight, plat::TFont* font,
                              plat::TBrush* brush);
    void cdsMainBeforeScroll(plat::TDataSet* dataSet);
    void cdsbodyBeforeScroll(plat::TDataSet* dataSet);
    void cdsMainAfterScroll(plat::TDataSet* dataSet);
    void SetGridSetting1Click(plat::TObject* sender);
    void GetGridSetting1Click(plat::TObject* sender);

    // ---- linked programs, rights, layouts ----
    virtual int OpenLinkedProgram(const std::string& whereText, const std::string& programCode);
    void LoadPriceAmountRights(const std::string& programID);
    // The layout file of a lookup kind: the layout folder, the user's own
    // folder below it (when there is a user), the name and ".ugs".
    std::string LayoutPath(const std::string& layoutName) const;
    void LoadLayout(const std::string& layoutName, plat::TDataSet* dataSet);
    void LoadLayoutFile(const std::string& path, plat::TDataSet* dataSet);
    void SaveLayout(const std::string& layoutName, plat::TDataSet* dataSet);
    void SaveLayoutFile(const std::string& path, plat::TDataSet* dataSet);

    // ---- computed columns ----
    virtual void ApplyComputedColumns(const std::string& computeKinds);
    virtual void CalcSalesOrderMargins(plat::TDataSet* dataSet);
    virtual void CalcQuotationMargins(plat::TDataSet* dataSet);
    virtual void CalcDeliveryMargins(plat::TDataSet* dataSet);
    virtual void CalcStockQuantities(plat::TDataSet* dataSet);

    // ---- inner steps ----
    // True when the header has rows; false when it has none or opening
    // failed (the error is then shown and OpenFailed is set).
    bool OpenLookupData();
    void CloseLookupData();
    void RequestAllRows(const plat::Variant& server, const plat::Variant& request,
                        plat::Variant& reply);
    void ApplyDefinition(const std::string& definition, TFDBGrid* grid, plat::TDataSet* dataSet);
    void ApplyDisplayColumns(const std::string& display, TFDBGrid* grid, plat::TDataSet* dataSet);
    void CreateMapCombos(const plat::TStringList& sections);
    void HideFields(plat::TDataSet* dataSet, const std::string& list);
    void LoadDateSettings();
    void PrepareFieldTexts();
    void ConvertFieldLabels();
    // The grid's columns again from the visible fields in field order.
    void RebuildColumns(TFDBGrid* grid);
    bool OpenFailed() const { return openFailed_; }

    // Field texts by display kind.
    void DateFieldGetText(plat::TField* field, std::string& text, bool display);
    void YearFieldGetText(plat::TField* field, std::string& text, bool display);
    void YearMonthFieldGetText(plat::TField* field, std::string& text, bool display);
    void PercentFieldGetText(plat::TField* field, std::string& text, bool display);
    void StringFieldGetText(plat::TField* field, std::string& text, bool display);
    void StringFieldSetText(plat::TField* field, const std::string& text);

  private:
    void cellColors(TFDBGrid* grid, plat::TField* field, plat::TGridDrawState state,
                    plat::TFont* font, plat::TBrush* brush);
    void openLinkedRow(plat::TDataSet* dataSet, std::string& links);
    bool fetchAtEnd(plat::TDataSet* dataSet);
    plat::Variant callLookup(const plat::Variant& server, plat::Variant& request,
                             plat::Variant& reply);
    plat::Variant serverCall(const std::string& name, const plat::Variant& args);
    void showError(const std::string& text, plat::TMsgDlgType type);
    void connect(TSocketConnection* connection, plat::Variant& server);

    struct MappedField {
        std::string field;
        std::vector<std::pair<std::string, std::string>> items;  // shown, stored
    };
    std::vector<MappedField> maps_;
    std::vector<std::string> checkFields_;
    plat::Variant mainRequest_, bodyRequest_;
    bool openFailed_ = false;
    bool recomputing_ = false;
};

// Installs the window as the one the broker opens, and takes it back.
void RegisterSearchWindow();
void UnregisterSearchWindow();

}  // namespace ktrb
