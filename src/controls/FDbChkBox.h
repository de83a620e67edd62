// The glyph check box bound to a dataset field holding flag texts ("Y" and
// "N" unless told otherwise; several texts may mean the same state).
#pragma once
#include <string>

#include "controls/BtChkBox.h"
#include "platform/data/datasource.h"
#include "platform/ui/dbctrls.h"

namespace ktrb {

class TFDbCheckBox : public TBitCheckBox {
    PLAT_CLASS(TFDbCheckBox, TBitCheckBox)
  public:
    explicit TFDbCheckBox(plat::TComponent* owner);
    ~TFDbCheckBox() override;

    plat::TDataSource* DataSource() const { return binding_.DataSource(); }
    void SetDataSource(plat::TDataSource* ds) { binding_.SetDataSource(ds); }
    const std::string& DataField() const { return binding_.DataField(); }
    void SetDataField(const std::string& name) { binding_.SetDataField(name); }
    plat::TField* Field() const { return binding_.Field(); }
    bool ReadOnly() const { return binding_.Link.ReadOnly; }
    void SetReadOnly(bool v) { binding_.Link.ReadOnly = v; }
    // ";"-separated texts meaning checked and unchecked; the first is written.
    const std::string& ValueChecked() const { return valueChecked_; }
    void SetValueChecked(const std::string& v);
    const std::string& ValueUnchecked() const { return valueUnchecked_; }
    void SetValueUnchecked(const std::string& v);
    bool AutoCaption() const { return autoCaption_; }
    void SetAutoCaption(bool v);
    plat::TFieldDataLink* DataLink() { return &binding_.Link; }

    // Changes the state only when the record may be edited.
    void Toggle() override;
    void WndProc(plat::TMessage& m) override;
    void Notification(plat::TComponent* c, plat::TOperation op) override;

  protected:
    void KeyPress(char32_t& key) override;
    void DoExit() override;

  private:
    void dataChange();
    void updateData();
    plat::TFieldBinding binding_;
    std::string valueChecked_ = "Y";
    std::string valueUnchecked_ = "N";
    bool autoCaption_ = true;
};

}  // namespace ktrb
