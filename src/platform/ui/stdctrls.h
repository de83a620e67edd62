// The standard controls: label, edit, memo, combo box, list box, button,
// check box, radio button and group box.
#pragma once
#include <memory>
#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/strings.h"

namespace plat {

// ---- Label -----------------------------------------------------------------

class TCustomLabel : public TGraphicControl {
    PLAT_CLASS(TCustomLabel, TGraphicControl)
  public:
    explicit TCustomLabel(TComponent* owner);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    TWinControl* FocusControl() const { return focusControl_; }
    virtual void SetFocusControl(TWinControl* c);
    void WndProc(TMessage& m) override;

  protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;
    void Notification(TComponent* c, TOperation op) override;
    // Sizes the label to its text when AutoSize is on.
    void AdjustBounds();
    unsigned DrawFlags() const;

  private:
    bool autoSize_ = true;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TTextLayout layout_ = TTextLayout::tlTop;
    bool wordWrap_ = false;
    bool transparent_ = false;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
    PLAT_CLASS(TLabel, TCustomLabel)
  public:
    using TCustomLabel::TCustomLabel;
};

// ---- Edits -----------------------------------------------------------------

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
PLAT_ENUM_INFO(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)

class EditBox;

class TCustomEdit : public TWinControl {
    PLAT_CLASS(TCustomEdit, TWinControl)
  public:
    explicit TCustomEdit(TComponent* owner);
    ~TCustomEdit() override;

    // Maximum width of the text in the database code page (a CJK character
    // counts 2); 0 is no limit. It limits typing and pasting, not Text.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v) { maxLength_ = std::max(0, v); }
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase v);
    bool ReadOnly() const { return readOnly_; }
    virtual void SetReadOnly(bool v);
    char32_t PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char32_t c);
    bool AutoSelect = true;
    bool HideSelection = true;
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    bool Modified() const;
    void SetModified(bool v);

    // Selection and caret, in characters.
    int SelStart() const;
    void SetSelStart(int v);
    int SelLength() const;
    void SetSelLength(int v);
    std::string SelText() const;
    void SetSelText(const std::string& v);
    void SelectAll();
    void ClearSelection();
    void Clear() { SetText(""); }
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();

    TNotifyEvent OnChange;

    bool WantsKey(uint16_t key, TShiftState shift) const override;
    bool WantsChars() const override { return true; }
    void WndProc(TMessage& m) override;

  protected:
    TCustomEdit(TComponent* owner, bool multiLine);
    std::string GetText() const override;
    void TextChanged() override;
    void DoEnter() override;
    virtual void Change();
    // Puts a text into the widget as the program's (no case or length rule).
    void SetBoxText(const std::string& text);
    std::unique_ptr<EditBox> box_;
    friend class EditBox;
    friend class EditValidator;

  private:
    int maxLength_ = 0;
    TEditCharCase charCase_ = TEditCharCase::ecNormal;
    bool readOnly_ = false;
    char32_t passwordChar_ = 0;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    // Set while the program puts a text in (no case or length rule then).
    bool settingText_ = false;
};

class TEdit : public TCustomEdit {
    PLAT_CLASS(TEdit, TCustomEdit)
  public:
    explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

class TCustomMemo : public TCustomEdit, private StringsListener {
    PLAT_CLASS(TCustomMemo, TCustomEdit)
  public:
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;
    TControlStrings* Lines() { return &lines_; }
    bool WantReturns = true;
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle v);
    TAlignment Alignment = TAlignment::taLeftJustify;
    bool WantsKey(uint16_t key, TShiftState shift) const override;

  protected:
    std::string GetText() const override;
    void TextChanged() override;
    void Change() override;

  private:
    void StringsInserted(int index) override;
    void StringsDeleted(int) override { StringsReset(); }
    void StringsPut(int) override { StringsReset(); }
    void StringsReset() override;
    TControlStrings lines_{this};
    bool wantTabs_ = false;
    bool wordWrap_ = true;
    TScrollStyle scrollBars_ = TScrollStyle::ssNone;
    bool syncing_ = false;
};

class TMemo : public TCustomMemo {
    PLAT_CLASS(TMemo, TCustomMemo)
  public:
    using TCustomMemo::TCustomMemo;
};

// ---- Combo box and list box ---------------------------------------------------

enum class TComboBoxStyle {
    csDropDown,
    csSimple,
    csDropDownList,
    csOwnerDrawFixed,
    csOwnerDrawVariable
};
PLAT_ENUM_INFO(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed,
               csOwnerDrawVariable)
using TDrawItemEvent = Event<TObject*, int, TRect, TOwnerDrawState>;
using TMeasureItemEvent = Event<TObject*, int, int&>;

class TCustomComboBox : public TWinControl, private StringsListener {
    PLAT_CLASS(TCustomComboBox, TWinControl)
  public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;

    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle v);
    TControlStrings* Items() { return &items_; }
    int ItemIndex() const;
    void SetItemIndex(int v);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int v);
    int DropDownWidth() const { return dropDownWidth_; }
    void SetDropDownWidth(int v);
    int ItemHeight = 16;
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v) { maxLength_ = std::max(0, v); }
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase v) { charCase_ = v; }
    bool Sorted() const { return items_.Sorted(); }
    void SetSorted(bool v) { items_.SetSorted(v); }
    // Items are "display TAB code": the list and the edit show the display
    // part, and Value is the code of the selected item.
    bool MapList() const { return mapList_; }
    void SetMapList(bool v);
    std::string Value() const;
    void SetValue(const std::string& code);
    // The text shown for an item (its display part under MapList).
    std::string DisplayOf(int index) const;
    bool DroppedDown() const;
    void SetDroppedDown(bool v);
    int SelStart() const;
    void SetSelStart(int v);
    int SelLength() const;
    void SetSelLength(int v);
    void SelectAll();
    void Clear();

    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TNotifyEvent OnSelect;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

    bool WantsKey(uint16_t key, TShiftState shift) const override;
    bool WantsChars() const override { return true; }
    // Draws an item (OnDrawItem, or the default look) on a canvas.
    void DrawItemTo(TCanvas& canvas, int index, const TRect& r, TOwnerDrawState state);

    // Called by the widget.
    void UserSelected(int index);
    void UserEdited();
    void DroppingDown();
    void ClosedUp();

  protected:
    std::string GetText() const override;
    void TextChanged() override;
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();

  private:
    void StringsInserted(int index) override;
    void StringsDeleted(int index) override;
    void StringsPut(int index) override;
    void StringsReset() override;
    void applyStyle();
    TControlStrings items_{this};
    TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
    int dropDownCount_ = 8;
    int dropDownWidth_ = 0;
    int maxLength_ = 0;
    TEditCharCase charCase_ = TEditCharCase::ecNormal;
    bool mapList_ = false;
    bool quiet_ = false;
    bool droppedDown_ = false;
};

class TComboBox : public TCustomComboBox {
    PLAT_CLASS(TComboBox, TCustomComboBox)
  public:
    using TCustomComboBox::TCustomComboBox;
};

enum class TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
PLAT_ENUM_INFO(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable)

class TCustomListBox : public TWinControl, private StringsListener {
    PLAT_CLASS(TCustomListBox, TWinControl)
  public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;

    TControlStrings* Items() { return &items_; }
    int ItemIndex() const;
    void SetItemIndex(int v);
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle v);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int v);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool v);
    bool ExtendedSelect = true;
    bool Selected(int index) const;
    void SetSelected(int index, bool v);
    int SelCount() const;
    bool Sorted() const { return items_.Sorted(); }
    void SetSorted(bool v) { items_.SetSorted(v); }
    int TopIndex() const;
    void SetTopIndex(int v);
    // The item at a client point; -1 when there is none (Existing) or the
    // index after the last item (not Existing).
    int ItemAtPos(TPoint p, bool existing) const;
    TRect ItemRect(int index) const;
    void Clear() { items_.Clear(); }

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

    bool WantsKey(uint16_t key, TShiftState shift) const override;
    virtual void DrawItemTo(TCanvas& canvas, int index, const TRect& r, TOwnerDrawState state);
    void UserChanged();

  private:
    void StringsInserted(int index) override;
    void StringsDeleted(int index) override;
    void StringsPut(int index) override;
    void StringsReset() override;
    TControlStrings items_{this};
    TListBoxStyle style_ = TListBoxStyle::lbStandard;
    int itemHeight_ = 16;
    bool multiSelect_ = false;
    bool quiet_ = false;
};

class TListBox : public TCustomListBox {
    PLAT_CLASS(TListBox, TCustomListBox)
  public:
    using TCustomListBox::TCustomListBox;
};

// ---- Buttons ---------------------------------------------------------------

class TButtonControl : public TWinControl {
    PLAT_CLASS(TButtonControl, TWinControl)
  public:
    explicit TButtonControl(TComponent* owner);

  protected:
    // While set, changing the state in code raises no OnClick.
    bool ClicksDisabled = false;
    void TextChanged() override;
    friend class ClicksOff;
};

class TButton : public TButtonControl {
    PLAT_CLASS(TButton, TButtonControl)
  public:
    explicit TButton(TComponent* owner);
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel = false;
    TModalResult ModalResult = mrNone;
    // Sets the form's modal result, then raises OnClick.
    void Click() override;
    void WndProc(TMessage& m) override;

  private:
    bool default_ = false;
};

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
// The state a click moves a check box to: unchecked, (grayed,) checked, unchecked.
TCheckBoxState NextCheckState(TCheckBoxState s, bool allowGrayed);
PLAT_ENUM_INFO(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)

class TCustomCheckBox : public TButtonControl {
    PLAT_CLASS(TCustomCheckBox, TButtonControl)
  public:
    explicit TCustomCheckBox(TComponent* owner);
    TCheckBoxState State() const { return state_; }
    // A change raises OnClick (as the platform does, also from code).
    void SetState(TCheckBoxState v);
    bool Checked() const { return state_ == TCheckBoxState::cbChecked; }
    void SetChecked(bool v) {
        SetState(v ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
    }
    bool AllowGrayed = false;
    TLeftRight Alignment() const { return alignment_; }
    void SetAlignment(TLeftRight v);
    // The next state of a click.
    virtual void Toggle();
    void WndProc(TMessage& m) override;
    void UserClicked();

  private:
    TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
    TLeftRight alignment_ = TLeftRight::taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
    PLAT_CLASS(TCheckBox, TCustomCheckBox)
  public:
    using TCustomCheckBox::TCustomCheckBox;
};

class TRadioButton : public TButtonControl {
    PLAT_CLASS(TRadioButton, TButtonControl)
  public:
    explicit TRadioButton(TComponent* owner);
    bool Checked() const { return checked_; }
    // Checking unchecks the other radio buttons of the same parent, makes
    // this one a tab stop and raises OnClick.
    virtual void SetChecked(bool v);
    TLeftRight Alignment() const { return alignment_; }
    void SetAlignment(TLeftRight v);
    void WndProc(TMessage& m) override;
    void UserClicked();

  private:
    bool checked_ = false;
    TLeftRight alignment_ = TLeftRight::taRightJustify;
};

class TCustomGroupBox : public TCustomControl {
    PLAT_CLASS(TCustomGroupBox, TCustomControl)
  public:
    explicit TCustomGroupBox(TComponent* owner);
    void WndProc(TMessage& m) override;

  protected:
    void AdjustClientRect(TRect& r) const override;
    void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
    PLAT_CLASS(TGroupBox, TCustomGroupBox)
  public:
    using TCustomGroupBox::TCustomGroupBox;
};

}  // namespace plat
