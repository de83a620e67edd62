// The glyph check box bound to a dataset field holding flag texts ("Y" and
// "N" unless told otherwise; several texts may mean the same state).
#pragma once
#include <string>

#include "controls/BtChkBox.h"
#include "platform/data/datasource.h"

namespace ktrb {

class TFDbCheckBox : public TBitCheckBox {
    PLAT_CLASS(TFDbCheckBox, TBitCheckBox)
  public:
    explicit TFDbCheckBox(plat::TComponent* owner);
    ~TFDbCheckBox() override;

    plat::TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(plat::TDataSource* ds);
    const std::string& DataField() const { return link_.FieldName(); }
    void SetDataField(const std::string& name) { link_.SetFieldName(name); }
    plat::TField* Field() const { return link_.Field(); }
    bool ReadOnly() const { return link_.ReadOnly; }
    void SetReadOnly(bool v) { link_.ReadOnly = v; }
    // ";"-separated texts meaning checked and unchecked; the first is written.
    const std::string& ValueChecked() const { return valueChecked_; }
    void SetValueChecked(const std::string& v);
    const std::string& ValueUnchecked() const { return valueUnchecked_; }
    void SetValueUnchecked(const std::string& v);
    bool AutoCaption() const { return autoCaption_; }
    void SetAutoCaption(bool v);
    plat::TFieldDataLink* DataLink() { return &link_; }

    // Changes the state only when the record may be edited.
    void Toggle() override;
    void WndProc(plat::TMessage& m) override;
    void Notification(plat::TComponent* c, plat::TOperation op) override;

  protected:
    void KeyPress(char32_t& key) override;
    void DoExit() override;

  private:
    bool edit() { return link_.CanModify() && link_.Edit(); }
    void dataChange();
    void updateData();
    plat::TFieldDataLink link_;
    std::string valueChecked_ = "Y";
    std::string valueUnchecked_ = "N";
    bool autoCaption_ = true;
};

}  // namespace ktrb
