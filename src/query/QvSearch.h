// The find-in-grid dialog: a component a form drops beside its data grid,
// the dialog window it opens for each run, and the objects that carry the
// window's captions and messages in another language. The search moves the
// grid's data set to the next record whose text in one column contains (or
// equals) the search text; it never wraps around.
#pragma once
#include <memory>
#include <string>

#include "platform/core/exceptions.h"
#include "platform/ui/forms.h"

namespace plat {
class TCustomDataGrid;
class TDataSet;
class TLabel;
class TComboBox;
class TGroupBox;
class TButton;
class TStringList;
}  // namespace plat

namespace ktrb {

class TQVCheckBox;
class TQvRadioButton;
class TfrmSearchDlg;

enum class TSearchDirection { sdForward, sdBackward };
PLAT_ENUM_INFO(TSearchDirection, sdForward, sdBackward)
enum class TSearchOrigin { soFromCursor, soFromBeginning };
PLAT_ENUM_INFO(TSearchOrigin, soFromCursor, soFromBeginning)
enum class TSearchSortFields { sfSortByFieldName, sfSortByFieldNo };
PLAT_ENUM_INFO(TSearchSortFields, sfSortByFieldName, sfSortByFieldNo)

using TQvOnInitSearchDlgEvent = plat::Event<TfrmSearchDlg*>;
using TQvAfterExecuteEvent = plat::Event<TfrmSearchDlg*, bool&>;
using TQvSelectFieldEvent = plat::Event<TfrmSearchDlg*, const std::string&, const std::string&>;

class ESearchError : public plat::Exception {
  public:
    using plat::Exception::Exception;
    const char* ClassName() const override { return "ESearchError"; }
};

// The captions of the dialog's thirteen controls.
class TQvUserDialogInfo : public plat::TPersistent {
    PLAT_CLASS(TQvUserDialogInfo, plat::TPersistent)
  public:
    TQvUserDialogInfo();
    void Assign(plat::TPersistent* source) override;
    std::string BtnClose, BtnNext, ChkCaseSentitive, ChkWholeWords, GrpDirection, GrpFields,
        GrpOptions, GrpOrigin, LblSearchText, RbBackward, RbForward, RbFromCursor, RbFromBeginning;
};

class TQvUserMessages : public plat::TPersistent {
    PLAT_CLASS(TQvUserMessages, plat::TPersistent)
  public:
    TQvUserMessages();
    void Assign(plat::TPersistent* source) override;
    std::string InactiveDataSetText;
    std::string SearchedTextBlank;
    std::string SearchedTextNotFound;  // one "%s": the search text
    // A search would post the record being edited past the form's checks.
    std::string RecordBeingEditedText;
};

class TQvUserIntl : public plat::TComponent {
    PLAT_CLASS(TQvUserIntl, plat::TComponent)
  public:
    explicit TQvUserIntl(plat::TComponent* owner);
    void Assign(plat::TPersistent* source) override;
    plat::TFont* DialogFont() { return &dialogFont_; }
    void SetDialogFont(plat::TFont* f) { dialogFont_.Assign(f); }
    TQvUserMessages* UserMessages() { return &messages_; }
    void SetUserMessages(TQvUserMessages* m) { messages_.Assign(m); }
    TQvUserDialogInfo* UserDialogInfo() { return &info_; }
    void SetUserDialogInfo(TQvUserDialogInfo* i) { info_.Assign(i); }

  private:
    plat::TFont dialogFont_;
    TQvUserMessages messages_;
    TQvUserDialogInfo info_;
};

class TqvSearchDialog : public plat::TComponent {
    PLAT_CLASS(TqvSearchDialog, plat::TComponent)
  public:
    explicit TqvSearchDialog(plat::TComponent* owner);

    std::string Caption = "Search text";
    bool CaseSensitive = false;
    TSearchDirection Direction = TSearchDirection::sdForward;
    plat::TCustomDataGrid* SearchGrid() const { return grid_; }
    void SetSearchGrid(plat::TCustomDataGrid* g);
    bool ShowMessages = true;
    TSearchSortFields SortFields = TSearchSortFields::sfSortByFieldName;
    TSearchOrigin Origin = TSearchOrigin::soFromCursor;
    TQvUserIntl* UserIntl() const { return userIntl_; }
    void SetUserIntl(TQvUserIntl* u);
    bool WholeWordsOnly = false;
    TQvAfterExecuteEvent AfterSearch;
    TQvOnInitSearchDlgEvent BeforeSearch;
    TQvOnInitSearchDlgEvent OnInitDialog;
    TQvSelectFieldEvent OnSelectField;

    // Shows the window; true when a search of this run found a record.
    virtual bool Execute();
    virtual plat::TDataSet* GetDataSet() const;
    virtual void DoInitDialog();
    // Raises ESearchError when there is no active data set to search.
    virtual void CheckDataSet();

    TQvUserMessages* GetUserMessages();
    const std::string& LastSearchText() const { return searchText_; }
    TfrmSearchDlg* Dialog() const { return dialog_; }

  protected:
    void Notification(plat::TComponent* c, plat::TOperation op) override;

  private:
    friend class TfrmSearchDlg;
    plat::TCustomDataGrid* grid_ = nullptr;
    TQvUserIntl* userIntl_ = nullptr;
    std::string searchText_;
    std::unique_ptr<TQvUserMessages> messages_;
    TfrmSearchDlg* dialog_ = nullptr;
};

class TfrmSearchDlg : public plat::TForm {
    PLAT_CLASS(TfrmSearchDlg, plat::TForm)
  public:
    explicit TfrmSearchDlg(plat::TComponent* owner);
    ~TfrmSearchDlg() override;

    plat::TLabel* lblText;
    plat::TComboBox* cbbText;
    plat::TGroupBox* grpOptions;
    TQVCheckBox* chkCase;
    TQVCheckBox* chkWholeWords;
    plat::TGroupBox* grpFields;
    plat::TComboBox* cbbFields;
    plat::TGroupBox* grpDirection;
    TQvRadioButton* rbForward;
    TQvRadioButton* rbBackward;
    plat::TGroupBox* grpOrigin;
    TQvRadioButton* rbCursor;
    TQvRadioButton* rbBeginning;
    plat::TButton* btnNext;
    plat::TButton* btnClose;

    // The field name of each cbbFields item, same index.
    plat::TStringList* FieldNames() { return fieldNames_.get(); }
    std::string GetSelectedFieldName() const;
    plat::TCustomDataGrid* Grid() const { return grid_; }
    TqvSearchDialog* SearchDialog() const { return search_; }
    // Whether a search of this run found a record.
    bool Found() const { return found_; }

    void btnNextClick(plat::TObject* sender);
    void btnCloseClick(plat::TObject* sender);
    void cbbFieldsChange(plat::TObject* sender);
    void cbbTextKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void rbBeginningClick(plat::TObject* sender);
    void FormShow(plat::TObject* sender);
    void FormActivate(plat::TObject* sender);
    void ApplyUserIntl();

  private:
    friend class TqvSearchDialog;
    std::unique_ptr<plat::TStringList> fieldNames_;
    plat::TCustomDataGrid* grid_ = nullptr;
    TqvSearchDialog* search_ = nullptr;
    bool found_ = false;
};

// Whether a cell's text (trailing blanks already removed) matches.
bool TextMatches(const std::string& searchText, const std::string& cellText, bool wholeText,
                 bool caseSensitive);
// The search itself; the data set stays where it was when nothing matches.
// A data set in edit or insert raises ESearchError with `editingMessage`
// and is left untouched.
bool FindText(plat::TCustomDataGrid* grid, const std::string& fieldName,
              const std::string& searchText, bool fromBeginning, bool backward, bool wholeText,
              bool caseSensitive, const std::string& editingMessage);

}  // namespace ktrb
