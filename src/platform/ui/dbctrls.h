// Data-aware controls: edit, memo, combo box, check box and label bound to a
// field through a field data link. A control shows the field of the current
// record; typing puts the dataset into edit (when the source allows it);
// the text goes into the field when the record is posted or the control is
// left, and an error there keeps the focus in the control.
#pragma once
#include <functional>
#include <string>

#include "platform/data/datasource.h"
#include "platform/ui/mask.h"

namespace plat {

// The data-source and field wiring every data-aware control shares: the
// link, its events turned into the control's answers, the free notification
// of the source, the link's message, and the write when the control is left.
class TFieldBinding {
  public:
    using Answer = std::function<void()>;
    // dataChange shows the field; editingChange follows the editing state;
    // updateData writes the control's value into the field. Each may be
    // left out by a control that does not answer it.
    TFieldBinding(TControl* control, Answer dataChange, Answer editingChange = {},
                  Answer updateData = {});
    TFieldDataLink Link;
    TDataSource* DataSource() const { return Link.DataSource(); }
    void SetDataSource(TDataSource* ds);
    const std::string& DataField() const { return Link.FieldName(); }
    void SetDataField(const std::string& name) { Link.SetFieldName(name); }
    TField* Field() const { return Link.Field(); }
    // Puts the record into edit when the control may change its field (not
    // for a read-only field or link); true when it may be typed into now.
    bool Edit() { return Link.CanModify() && Link.Edit(); }
    bool Editable() const { return Link.Editing() && Link.CanModify(); }
    // True while the control loads the field (its own change is no edit then).
    bool Loading = false;
    bool Focused = false;
    // For the control's Notification: a freed source is let go.
    void Notification(TComponent* c, TOperation op);
    // Answers CM_GETDATALINK; true when the message was that one.
    bool AnswerDataLink(TMessage& m);
    // Writes the control's value when it is left. A refused value raises,
    // so the focus stays; the control keeps what was typed (refused runs
    // first, to select it for correcting).
    void Exit(const Answer& refused = {});

  private:
    TControl* control_;
};

// Whether a typed character fits the field (digits and signs for numbers).
bool FieldAcceptsChar(const TField* field, char32_t ch);

class TDBEdit : public TCustomMaskEdit {
    PLAT_CLASS(TDBEdit, TCustomMaskEdit)
  public:
    explicit TDBEdit(TComponent* owner);
    ~TDBEdit() override;
    TDataSource* DataSource() const { return binding_.DataSource(); }
    void SetDataSource(TDataSource* ds) { binding_.SetDataSource(ds); }
    const std::string& DataField() const { return binding_.DataField(); }
    void SetDataField(const std::string& name) { binding_.SetDataField(name); }
    TField* Field() const { return binding_.Field(); }
    // The link's read-only flag (the widget is read-only while not editing).
    bool ReadOnly() const { return binding_.Link.ReadOnly; }
    void SetReadOnly(bool v) override;
    TFieldDataLink* DataLink() { return &binding_.Link; }
    void WndProc(TMessage& m) override;

  protected:
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    void Notification(TComponent* c, TOperation op) override;

  private:
    void dataChange();
    void editingChange();
    void updateData();
    TFieldBinding binding_;
};

class TDBMemo : public TCustomMemo {
    PLAT_CLASS(TDBMemo, TCustomMemo)
  public:
    explicit TDBMemo(TComponent* owner);
    ~TDBMemo() override;
    TDataSource* DataSource() const { return binding_.DataSource(); }
    void SetDataSource(TDataSource* ds) { binding_.SetDataSource(ds); }
    const std::string& DataField() const { return binding_.DataField(); }
    void SetDataField(const std::string& name) { binding_.SetDataField(name); }
    TField* Field() const { return binding_.Field(); }
    bool ReadOnly() const { return binding_.Link.ReadOnly; }
    void SetReadOnly(bool v) override;
    TFieldDataLink* DataLink() { return &binding_.Link; }
    void WndProc(TMessage& m) override;

  protected:
    void KeyPress(char32_t& key) override;
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    void Notification(TComponent* c, TOperation op) override;

  private:
    void dataChange();
    void editingChange();
    void updateData();
    TFieldBinding binding_;
};

class TDBComboBox : public TCustomComboBox {
    PLAT_CLASS(TDBComboBox, TCustomComboBox)
  public:
    explicit TDBComboBox(TComponent* owner);
    ~TDBComboBox() override;
    TDataSource* DataSource() const { return binding_.DataSource(); }
    void SetDataSource(TDataSource* ds) { binding_.SetDataSource(ds); }
    const std::string& DataField() const { return binding_.DataField(); }
    void SetDataField(const std::string& name) { binding_.SetDataField(name); }
    TField* Field() const { return binding_.Field(); }
    bool ReadOnly() const { return binding_.Link.ReadOnly; }
    void SetReadOnly(bool v);
    TFieldDataLink* DataLink() { return &binding_.Link; }
    void Click() override;
    void WndProc(TMessage& m) override;

  protected:
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    void Notification(TComponent* c, TOperation op) override;

  private:
    void dataChange();
    void editingChange();
    void updateData();
    TFieldBinding binding_;
};

class TDBCheckBox : public TCustomCheckBox {
    PLAT_CLASS(TDBCheckBox, TCustomCheckBox)
  public:
    explicit TDBCheckBox(TComponent* owner);
    ~TDBCheckBox() override;
    TDataSource* DataSource() const { return binding_.DataSource(); }
    void SetDataSource(TDataSource* ds) { binding_.SetDataSource(ds); }
    const std::string& DataField() const { return binding_.DataField(); }
    void SetDataField(const std::string& name) { binding_.SetDataField(name); }
    TField* Field() const { return binding_.Field(); }
    bool ReadOnly() const { return binding_.Link.ReadOnly; }
    void SetReadOnly(bool v) { binding_.Link.ReadOnly = v; }
    // ";"-separated texts that mean checked and unchecked; the first is written.
    const std::string& ValueChecked() const { return valueChecked_; }
    void SetValueChecked(const std::string& v);
    const std::string& ValueUnchecked() const { return valueUnchecked_; }
    void SetValueUnchecked(const std::string& v);
    TFieldDataLink* DataLink() { return &binding_.Link; }
    // Changes the state only when the dataset can be edited.
    void Toggle() override;
    void WndProc(TMessage& m) override;

  protected:
    void KeyPress(char32_t& key) override;
    void DoExit() override;
    void Notification(TComponent* c, TOperation op) override;

  private:
    TCheckBoxState fieldState() const;
    void dataChange();
    void updateData();
    TFieldBinding binding_;
    std::string valueChecked_ = "True";
    std::string valueUnchecked_ = "False";
};

// A label showing a field's display text.
class TDBText : public TCustomLabel {
    PLAT_CLASS(TDBText, TCustomLabel)
  public:
    explicit TDBText(TComponent* owner);
    ~TDBText() override;
    TDataSource* DataSource() const { return binding_.DataSource(); }
    void SetDataSource(TDataSource* ds) { binding_.SetDataSource(ds); }
    const std::string& DataField() const { return binding_.DataField(); }
    void SetDataField(const std::string& name) { binding_.SetDataField(name); }
    TField* Field() const { return binding_.Field(); }
    TFieldDataLink* DataLink() { return &binding_.Link; }

  protected:
    void Notification(TComponent* c, TOperation op) override;

  private:
    TFieldBinding binding_;
};

}  // namespace plat
