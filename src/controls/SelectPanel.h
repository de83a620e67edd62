// The range-selection panel: one query condition on one field, entered as a
// range (start and end, each with an F2 button) or as a list of chosen
// values, or either at the user's choice. The owner reads the edits or the
// list rows; the panel composes no condition itself.
#pragma once
#include <string>
#include <vector>

#include "controls/BtChkBox.h"
#include "controls/F2Button.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/mask.h"

namespace ktrb {

enum class TSelectStyle { sp_Range, sp_Discrete, sp_UserChoice };
PLAT_ENUM_INFO(TSelectStyle, sp_Range, sp_Discrete, sp_UserChoice)
enum class TValueType { vt_String, vt_Number, vt_Float, vt_Date, vt_Time, vt_OtherMask };
PLAT_ENUM_INFO(TValueType, vt_String, vt_Number, vt_Float, vt_Date, vt_Time, vt_OtherMask)
enum class TDateType { dt_NoneCare, dt_YYYYMMDD, dt_MMDDYYYY, dt_DDMMYYYY, dt_YYMMDD, dt_YYYMMDD };
PLAT_ENUM_INFO(TDateType, dt_NoneCare, dt_YYYYMMDD, dt_MMDDYYYY, dt_DDMMYYYY, dt_YYMMDD, dt_YYYMMDD)
enum class TCheckDuplicate { cd_None, cd_CheckCase, cd_CaseInsensitive };
PLAT_ENUM_INFO(TCheckDuplicate, cd_None, cd_CheckCase, cd_CaseInsensitive)

// The panel's check box: the glyph check box as it is.
class TKelCheckBox : public TBitCheckBox {
    PLAT_CLASS(TKelCheckBox, TBitCheckBox)
  public:
    using TBitCheckBox::TBitCheckBox;
};

// A masked edit whose change event can be held back while the panel
// rewrites its text.
class TKelMaskEdit : public plat::TMaskEdit {
    PLAT_CLASS(TKelMaskEdit, plat::TMaskEdit)
  public:
    using plat::TMaskEdit::TMaskEdit;
    bool SuppressChange = false;

  protected:
    void Change() override;
};

// The list of chosen values; a left press takes the focus first.
class TKelListView : public plat::TListView {
    PLAT_CLASS(TKelListView, plat::TListView)
  public:
    using plat::TListView::TListView;
    bool ColumnsAutoSize = true;

  protected:
    void MouseDown(plat::TMouseButton button, plat::TShiftState shift, int x, int y) override;
};

class TSelectPanel;
// Sender is the panel; the control is the edit or list the lookup is for.
using TOpenWinClickEvent = plat::Event<plat::TObject*, plat::TObject*>;
using TDeleteClickEvent = plat::Event<plat::TObject*, bool&>;
using TStyleChangingEvent = plat::Event<plat::TObject*, TSelectStyle, TSelectStyle&, bool&>;
using TStyleChangeEvent = plat::Event<plat::TObject*, TSelectStyle, TSelectStyle>;
using TListViewSelectItemEvent = plat::Event<plat::TObject*, plat::TListItem*, int, bool>;
using TListViewDataChangeEvent = plat::Event<plat::TObject*, plat::TListItem*, plat::TItemChange>;

class TSelectPanel : public plat::TGroupBox {
    PLAT_CLASS(TSelectPanel, plat::TGroupBox)
  public:
    explicit TSelectPanel(plat::TComponent* owner);
    ~TSelectPanel() override;

    // ---- children (reachable from outside for the converter and the base form) ----
    TKelCheckBox* HintCheckBox;
    plat::TPanel* RangePanel;
    plat::TLabel *BeginLabel, *EndLabel;
    TKelMaskEdit *BeginEdit, *EndEdit;
    TF2Button *BeginButton, *EndButton;
    plat::TPanel* ListPanel;
    TKelListView* ListView;
    TF2Button* ListButton;
    TGSpeedButton *DeleteButton, *ClearButton;

    // ---- published properties ----
    TSelectStyle Style() const { return style_; }
    void SetStyle(TSelectStyle v);
    const std::string& HintWord() const { return hintWord_; }
    void SetHintWord(const std::string& v);
    const std::vector<std::string>& BeginWords() const { return beginWords_; }
    void SetBeginWords(const std::vector<std::string>& v);
    const std::vector<std::string>& FinalWords() const { return finalWords_; }
    void SetFinalWords(const std::vector<std::string>& v);
    bool UserChoice() const { return userChoice_; }
    void SetUserChoice(bool v);
    bool UseVertical() const { return useVertical_; }
    void SetUseVertical(bool v);
    int OtherWidth = 200, OtherHeight = 105;
    bool CanOpenWin() const { return canOpenWin_; }
    void SetCanOpenWin(bool v);
    int GlyphIndex() const { return glyphIndex_; }
    void SetGlyphIndex(int v);
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& v);
    TValueType ValueType = TValueType::vt_String;
    TDateType DateType = TDateType::dt_NoneCare;
    std::string DateSign = "/";
    bool AutoChangeDateSite = true;
    std::string Discard;
    bool UseDiscard = false;
    const std::vector<std::string>& ChildHints() const { return childHints_; }
    void SetChildHints(const std::vector<std::string>& v);
    TCheckDuplicate CheckDuplicate() const { return checkDuplicate_; }
    void SetCheckDuplicate(TCheckDuplicate v);
    bool SortListBox() const { return sortListBox_; }
    void SetSortListBox(bool v);
    plat::TListItems* Items() const { return ListView->Items(); }
    plat::TListColumns* Columns() const { return ListView->Columns(); }
    std::vector<std::string> ColumnCaptions() const;
    void SetColumnCaptions(const std::vector<std::string>& v);
    const std::string& EmptyMaskText() const { return emptyMaskText_; }
    int SortColumn = 0;
    bool SortAscending = true;

    plat::TNotifyEvent OnTypeClick, OnClearClick;
    TOpenWinClickEvent OnOpenWinClick;
    TDeleteClickEvent OnDeleteClick;
    TStyleChangingEvent OnStyleChanging;
    TStyleChangeEvent OnStyleChange;
    TListViewSelectItemEvent OnItemSelect;
    TListViewDataChangeEvent OnItemChange, OnItemChanging;

    // True while the range controls are the ones in use.
    bool IsRangeShown() const;
    void SetFocus() override;
    void SetEnabled(bool v) override;
    // Sorts the list by a column; the same column again flips the order.
    void ListColumnClick(int column);
    // Removes neighbouring rows with equal captions (the list is sorted).
    void RemoveDuplicates();
    // A date text by DateType and DateSign; 0 when it cannot be read.
    double ParseDateText(const std::string& text) const;

    // The button actions, as their clicks run them.
    void OpenWinButtonClick(TF2Button* button);
    void DeleteClick();
    void ClearClick();
    void HintCheckBoxClick();

  protected:
    void DoExit() override;
    void Resize() override;
    void FontChanged() override;

  private:
    void routeEvents();
    void showStylePanels(TSelectStyle s);
    void swapOtherSize();
    void relayout();
    void layoutFor(TSelectStyle s);
    void sizeHintCheckBox();
    void placeRangePanel();
    void placeListPanel();
    void placeUserChoicePanels();
    void placePanels(plat::TPanel* front, plat::TPanel* back, int top);
    void layoutRangeHorizontal();
    void layoutRangeVertical();
    void layoutList();
    void applyChildHints();
    void wordsChanged(plat::TLabel* label, const std::vector<std::string>& words);
    int listCompare(plat::TListItem* a, plat::TListItem* b) const;
    void orderRange();

    TSelectStyle style_ = TSelectStyle::sp_Range;
    std::string hintWord_, editMask_, emptyMaskText_;
    std::vector<std::string> beginWords_, finalWords_, childHints_;
    bool userChoice_ = true, useVertical_ = false, canOpenWin_ = true, sortListBox_ = false,
         enabled_ = true;
    int glyphIndex_ = 8;
    TCheckDuplicate checkDuplicate_ = TCheckDuplicate::cd_None;
    bool laidOut_ = false;
};

}  // namespace ktrb
