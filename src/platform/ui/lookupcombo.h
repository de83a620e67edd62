// The lookup bases: a client dataset that carries per-field control
// settings, the popup grid (a data grid in a window that never takes the
// focus), the lookup combo base (a data-aware edit whose typing searches a
// lookup table after a pause and drops the grid down under it) and the
// lookup list (the same table shown in place).
#pragma once
#include <string>
#include <vector>

#include "platform/data/clientdataset.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/mask.h"

namespace plat {

// A client dataset with a list of per-field control settings, one a line:
// "FIELD;Kind;Parameter..." ("TH026;CheckBox;Y;N", "TH012;CustomEdit;cboTH012G").
class TGridClientDataSet : public TClientDataSet {
    PLAT_CLASS(TGridClientDataSet, TClientDataSet)
  public:
    explicit TGridClientDataSet(TComponent* owner = nullptr) : TClientDataSet(owner) {}
    std::vector<std::string> ControlType;
    // The setting of a field: its kind and the rest of the line; false when
    // the field has none.
    bool GetControl(const std::string& fieldName, std::string& kind, std::string& parameter) const;
};

class TLookupComboBase;

// The drop-down grid of a lookup combo: shown under the combo as a tool
// window that is never activated, so the focus stays in the edit.
class TPopupGrid : public TCustomDataGrid {
    PLAT_CLASS(TPopupGrid, TCustomDataGrid)
  public:
    explicit TPopupGrid(TComponent* owner);
    TLookupComboBase* Combo() const { return combo_; }
    void SetCombo(TLookupComboBase* c) { combo_ = c; }
    // Shows the grid at a screen point without activating it.
    void Popup(int x, int y, int width, int height);
    void CloseUp();
    bool CanFocus() const override { return false; }

  protected:
    void DataChanged() override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

  private:
    friend class TLookupComboBase;
    TLookupComboBase* combo_ = nullptr;
};

// How a search text is matched against the lookup field.
enum class TLookupMatch { mtExactMatch, mtPartialMatchStart, mtPartialMatchAny };
PLAT_ENUM_INFO(TLookupMatch, mtExactMatch, mtPartialMatchStart, mtPartialMatchAny)

class TLookupComboBase : public TCustomMaskEdit {
    PLAT_CLASS(TLookupComboBase, TCustomMaskEdit)
  public:
    explicit TLookupComboBase(TComponent* owner);
    ~TLookupComboBase() override;

    // The edited field.
    TDataSource* DataSource() const { return binding_.DataSource(); }
    void SetDataSource(TDataSource* ds) { binding_.SetDataSource(ds); }
    const std::string& DataField() const { return binding_.DataField(); }
    void SetDataField(const std::string& name) { binding_.SetDataField(name); }
    TField* Field() const { return binding_.Field(); }
    TFieldDataLink* DataLink() { return &binding_.Link; }

    // The rows to choose from and the field the search runs on.
    TDataSet* LookupTable() const { return lookupTable_; }
    void SetLookupTable(TDataSet* t);
    const std::string& LookupField() const { return lookupField_; }
    void SetLookupField(const std::string& f) { lookupField_ = f; }
    // Columns of the grid, one a line: field name, TAB, width in characters,
    // TAB, title, TAB, "F".
    const std::vector<std::string>& Selected() const { return selected_; }
    void SetSelected(const std::vector<std::string>& lines);

    TPopupGrid* Grid() const { return grid_; }
    // Takes a grid made by a descendant (it becomes the combo's).
    void SetGrid(TPopupGrid* g);
    bool DroppedDown() const;
    int DropDownCount = 8;
    int DropDownWidth = 0;
    // Option bits kept for the descendant's designs.
    int Options = 0;
    // Milliseconds between the last key and the search.
    int SearchDelay() const { return searchDelay_; }
    void SetSearchDelay(int ms);
    bool LookUpEnabled() const { return lookUpEnabled_; }
    void SetLookUpEnabled(bool v) { lookUpEnabled_ = v; }
    // The text as the combo keeps it while typing.
    std::string Value() const { return Text(); }
    // The text the last search ran with, and the text that found nothing.
    const std::string& LastSearchText() const { return lastSearch_; }
    const std::string& UnmatchedText() const { return unmatched_; }
    void SetUnmatchedText(const std::string& s) { unmatched_ = s; }
    TTimer* SearchTimer() const { return timer_; }

    virtual void DropDown();
    // Closes the grid; with modified the chosen row's lookup value is written
    // into the field.
    virtual void CloseUp(bool modified);
    // Moves the lookup table to the first row matching; true when found.
    virtual bool FindRecord(const std::string& searchText, const std::string& searchField,
                            TLookupMatch match, bool updateValue);
    // The user clicked a row of the grid.
    virtual void GridClick();
    // Runs the search the timer waited for (the timer calls it once).
    void DoSearch();

    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

  protected:
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void Change() override;
    void DoExit() override;
    void Notification(TComponent* c, TOperation op) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void PaintOver() override;
    TRect ButtonRect() const { return {Width() - 16, 0, Width(), Height()}; }
    bool lookUpEnabled_ = true;
    // Raised while the combo adjusts its grid.
    bool Busy = false;

  private:
    void dataChange();
    void updateData();
    void buildColumns();
    TFieldBinding binding_;
    TDataSet* lookupTable_ = nullptr;
    TDataSource lookupSource_;
    std::string lookupField_;
    std::vector<std::string> selected_;
    TPopupGrid* grid_ = nullptr;
    TTimer* timer_ = nullptr;
    int searchDelay_ = 500;
    std::string lastSearch_, unmatched_;
    bool loading_ = false;
};

// The lookup table shown in place: a click writes the row's lookup value
// into the edited field.
class TLookupList : public TCustomDataGrid {
    PLAT_CLASS(TLookupList, TCustomDataGrid)
  public:
    explicit TLookupList(TComponent* owner);
    ~TLookupList() override;
    TDataSet* LookupTable() const { return lookupSource_.DataSet(); }
    void SetLookupTable(TDataSet* t) { lookupSource_.SetDataSet(t); }
    const std::string& LookupField() const { return lookupField_; }
    void SetLookupField(const std::string& f) { lookupField_ = f; }
    TDataSource* DataSource() const { return binding_.DataSource(); }
    void SetDataSource(TDataSource* ds) { binding_.SetDataSource(ds); }
    const std::string& DataField() const { return binding_.DataField(); }
    void SetDataField(const std::string& name) { binding_.SetDataField(name); }
    // Writes the current row's lookup value into the field.
    void Choose();
    void Notification(TComponent* c, TOperation op) override;

  protected:
    void DblClick() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;

  private:
    TDataSource lookupSource_;
    TFieldBinding binding_;
    std::string lookupField_;
};

}  // namespace plat
