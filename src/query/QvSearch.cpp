#include "query/QvSearch.h"

#include "controls/QvRadioButton.h"
#include "platform/component/properties.h"
#include "platform/core/format.h"
#include "platform/core/stringlist.h"
#include "platform/core/text.h"
#include "platform/data/dataset.h"
#include "platform/data/field.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/stdctrls.h"

namespace ktrb {

namespace {

// The thirteen captions: the property, its default and the control it captions.
struct CaptionEntry {
    std::string TQvUserDialogInfo::*member;
    const char* name;
    const char* text;
    const char* control;
};
const CaptionEntry kCaptions[] = {
    {&TQvUserDialogInfo::BtnClose, "BtnClose", "Cl&ose", "btnClose"},
    {&TQvUserDialogInfo::BtnNext, "BtnNext", "&Next", "btnNext"},
    {&TQvUserDialogInfo::ChkCaseSentitive, "ChkCaseSentitive", "&Case sentitive", "chkCase"},
    {&TQvUserDialogInfo::ChkWholeWords, "ChkWholeWords", "&Whole words only", "chkWholeWords"},
    {&TQvUserDialogInfo::GrpDirection, "GrpDirection", "Direction", "grpDirection"},
    {&TQvUserDialogInfo::GrpFields, "GrpFields", "&Search Field", "grpFields"},
    {&TQvUserDialogInfo::GrpOptions, "GrpOptions", "Options", "grpOptions"},
    {&TQvUserDialogInfo::GrpOrigin, "GrpOrigin", "Origin", "grpOrigin"},
    {&TQvUserDialogInfo::LblSearchText, "LblSearchText", "&Text to find", "lblText"},
    {&TQvUserDialogInfo::RbBackward, "RbBackward", "&Backward", "rbBackward"},
    {&TQvUserDialogInfo::RbForward, "RbForward", "Forwar&d", "rbForward"},
    {&TQvUserDialogInfo::RbFromCursor, "RbFromCursor", "&From cursor", "rbCursor"},
    {&TQvUserDialogInfo::RbFromBeginning, "RbFromBeginning", "From b&eginning", "rbBeginning"},
};

// The data set's controls stay quiet during a search, so the grid repaints
// once at the end, also after an error.
class ControlsQuiet {
  public:
    explicit ControlsQuiet(plat::TDataSet* ds) : ds_(ds) { ds_->DisableControls(); }
    ~ControlsQuiet() { ds_->EnableControls(); }
    ControlsQuiet(const ControlsQuiet&) = delete;
    ControlsQuiet& operator=(const ControlsQuiet&) = delete;

  private:
    plat::TDataSet* ds_;
};

template <class C>
C* Place(plat::TComponent* owner, plat::TWinControl* parent, const char* name,
         const std::string& caption, int left, int top, int width, int height) {
    C* c = new C(owner);
    c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(left, top, width, height);
    if (!caption.empty()) c->SetCaption(caption);
    return c;
}

}  // namespace

// ---- texts --------------------------------------------------------------------

TQvUserDialogInfo::TQvUserDialogInfo() {
    for (const CaptionEntry& e : kCaptions) this->*e.member = e.text;
}

void TQvUserDialogInfo::Assign(plat::TPersistent* source) {
    auto* o = dynamic_cast<TQvUserDialogInfo*>(source);
    if (!o) return plat::TPersistent::Assign(source);
    for (const CaptionEntry& e : kCaptions) this->*e.member = o->*e.member;
}

TQvUserMessages::TQvUserMessages()
    : InactiveDataSetText("DataSource does not reference an active DataSet"),
      SearchedTextBlank("The search string cannot be blank."),
      SearchedTextNotFound("Search string \"%s\" not found"),
      RecordBeingEditedText("Save or cancel the record being edited before searching.") {}

void TQvUserMessages::Assign(plat::TPersistent* source) {
    auto* o = dynamic_cast<TQvUserMessages*>(source);
    if (!o) return plat::TPersistent::Assign(source);
    InactiveDataSetText = o->InactiveDataSetText;
    SearchedTextBlank = o->SearchedTextBlank;
    SearchedTextNotFound = o->SearchedTextNotFound;
    RecordBeingEditedText = o->RecordBeingEditedText;
}

TQvUserIntl::TQvUserIntl(plat::TComponent* owner) : plat::TComponent(owner) {
    dialogFont_.SetName("MS Sans Serif");
    dialogFont_.SetSize(9);
}

void TQvUserIntl::Assign(plat::TPersistent* source) {
    auto* o = dynamic_cast<TQvUserIntl*>(source);
    if (!o) return plat::TComponent::Assign(source);
    dialogFont_.Assign(o->dialogFont_);
    messages_.Assign(&o->messages_);
    info_.Assign(&o->info_);
}

// ---- matching and searching ----------------------------------------------------

bool TextMatches(const std::string& searchText, const std::string& cellText, bool wholeText,
                 bool caseSensitive) {
    std::string s = caseSensitive ? searchText : plat::AnsiUpperCase(searchText);
    std::string c = caseSensitive ? cellText : plat::AnsiUpperCase(cellText);
    if (wholeText) return c == s;
    return !s.empty() && c.find(s) != std::string::npos;
}

bool FindText(plat::TCustomDataGrid* grid, const std::string& fieldName,
              const std::string& searchText, bool fromBeginning, bool backward, bool wholeText,
              bool caseSensitive, const std::string& editingMessage) {
    plat::TDataSet* ds = grid ? grid->DataSet() : nullptr;
    if (!ds) return false;
    // Moving on would post the record behind the form's own checks.
    if (ds->State() == plat::dsEdit || ds->State() == plat::dsInsert)
        throw ESearchError(editingMessage);
    ds->CheckBrowseMode();
    ControlsQuiet quiet(ds);
    const plat::TBookmark start = ds->GetBookmark();
    auto step = [&] { backward ? ds->Prior() : ds->Next(); };
    step();
    if (fromBeginning) backward ? ds->Last() : ds->First();
    plat::TField* field = ds->FindField(fieldName);
    bool found = false;
    while (field && !(backward ? ds->Bof() : ds->Eof())) {
        if (TextMatches(searchText, plat::TrimRight(field->DisplayText()), wholeText,
                        caseSensitive)) {
            found = true;
            break;
        }
        step();
    }
    if (!found) ds->GotoBookmark(start);
    return found;
}

// ---- the component -------------------------------------------------------------

TqvSearchDialog::TqvSearchDialog(plat::TComponent* owner)
    : plat::TComponent(owner), messages_(std::make_unique<TQvUserMessages>()) {}

void TqvSearchDialog::SetSearchGrid(plat::TCustomDataGrid* g) {
    if (grid_ == g) return;
    if (grid_) grid_->RemoveFreeNotification(this);
    grid_ = g;
    if (grid_) grid_->FreeNotification(this);
}

void TqvSearchDialog::SetUserIntl(TQvUserIntl* u) {
    if (userIntl_ == u) return;
    if (userIntl_) userIntl_->RemoveFreeNotification(this);
    userIntl_ = u;
    if (userIntl_) userIntl_->FreeNotification(this);
}

void TqvSearchDialog::Notification(plat::TComponent* c, plat::TOperation op) {
    plat::TComponent::Notification(c, op);
    if (op != plat::TOperation::opRemove) return;
    if (c == grid_) grid_ = nullptr;
    if (c == userIntl_) userIntl_ = nullptr;
}

TQvUserMessages* TqvSearchDialog::GetUserMessages() {
    return userIntl_ ? userIntl_->UserMessages() : messages_.get();
}

plat::TDataSet* TqvSearchDialog::GetDataSet() const {
    return grid_ && grid_->DataSource() ? grid_->DataSource()->DataSet() : nullptr;
}

void TqvSearchDialog::CheckDataSet() {
    plat::TDataSet* ds = GetDataSet();
    if (!ds || !ds->Active()) throw ESearchError(GetUserMessages()->InactiveDataSetText);
}

void TqvSearchDialog::DoInitDialog() {
    if (OnInitDialog && dialog_) OnInitDialog(dialog_);
}

bool TqvSearchDialog::Execute() {
    CheckDataSet();
    TfrmSearchDlg* dlg = plat::CreateForm<TfrmSearchDlg>(nullptr);
    struct Release {
        TqvSearchDialog* self;
        TfrmSearchDlg* dlg;
        ~Release() {
            self->searchText_ = dlg->cbbText->Text();
            self->dialog_ = nullptr;
            dlg->Free();
        }
    } release{this, dlg};
    dlg->search_ = this;
    dlg->grid_ = grid_;
    dlg->cbbText->SetText(searchText_);
    dlg->SetCaption(Caption);
    dlg->chkCase->SetChecked(CaseSensitive);
    dlg->chkWholeWords->SetChecked(WholeWordsOnly);
    (Direction == TSearchDirection::sdBackward ? dlg->rbBackward : dlg->rbForward)
        ->SetChecked(true);
    (Origin == TSearchOrigin::soFromBeginning ? dlg->rbBeginning : dlg->rbCursor)->SetChecked(true);

    plat::TStringList entries;
    plat::TDataSet* ds = GetDataSet();
    for (int i = 0; i < ds->FieldCount(); ++i) {
        plat::TField* f = ds->Fields()[i];
        if (f->Visible()) entries.Add(f->DisplayLabel() + "\t" + f->FieldName());
    }
    if (SortFields == TSearchSortFields::sfSortByFieldName) entries.Sort();
    dlg->FieldNames()->Clear();
    dlg->cbbFields->Items()->Clear();
    for (int i = 0; i < entries.Count(); ++i) {
        const std::string& e = entries[i];
        size_t tab = e.find('\t');
        dlg->FieldNames()->Add(e.substr(tab + 1));
        dlg->cbbFields->Items()->Add(e.substr(0, tab));
    }
    if (dlg->cbbFields->Items()->Count() > 0) dlg->cbbFields->SetItemIndex(0);

    dlg->ShowModal();
    return dlg->Found();
}

// ---- the window ----------------------------------------------------------------

TfrmSearchDlg::TfrmSearchDlg(plat::TComponent* owner)
    : plat::TForm(owner), fieldNames_(std::make_unique<plat::TStringList>()) {
    SetName("frmSearchDlg");
    SetCaption("Find text");
    SetBorderStyle(plat::TFormBorderStyle::bsDialog);
    BorderIcons = {plat::TBorderIcon::biSystemMenu};
    SetFormStyle(plat::TFormStyle::fsStayOnTop);
    Position = plat::TPosition::poDesktopCenter;
    SetKeyPreview(true);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-12);
    SetClientWidth(339);
    SetClientHeight(216);

    using namespace plat;
    btnNext = Place<TButton>(this, this, "btnNext", "&Next", 190, 185, 67, 25);
    btnNext->SetDefault(true);
    btnNext->SetAnchors({TAnchorKind::akRight, TAnchorKind::akBottom});
    btnClose = Place<TButton>(this, this, "btnClose", "Cl&ose", 263, 185, 66, 25);
    btnClose->Cancel = true;
    lblText = Place<TLabel>(this, this, "lblText", "&Text to find", 0, 13, 85, 13);
    lblText->SetAutoSize(false);
    lblText->SetAlignment(TAlignment::taRightJustify);
    cbbText = Place<TComboBox>(this, this, "cbbText", "", 91, 8, 238, 21);
    cbbText->SetStyle(TComboBoxStyle::csSimple);
    lblText->SetFocusControl(cbbText);
    grpOptions = Place<TGroupBox>(this, this, "grpOptions", "Options", 10, 40, 153, 65);
    chkCase = Place<TQVCheckBox>(this, grpOptions, "chkCase", "&Case sentitive", 13, 18, 135, 17);
    chkWholeWords =
        Place<TQVCheckBox>(this, grpOptions, "chkWholeWords", "&Whole words only", 13, 41, 135, 17);
    grpFields = Place<TGroupBox>(this, this, "grpFields", "&Search Field", 9, 114, 153, 63);
    cbbFields = Place<TComboBox>(this, grpFields, "cbbFields", "", 12, 29, 129, 21);
    cbbFields->SetStyle(TComboBoxStyle::csDropDownList);
    cbbFields->ItemHeight = 15;
    grpDirection = Place<TGroupBox>(this, this, "grpDirection", "Direction", 176, 40, 153, 65);
    rbForward = Place<TQvRadioButton>(this, grpDirection, "rbForward", "Forwar&d", 12, 18, 129, 17);
    rbBackward =
        Place<TQvRadioButton>(this, grpDirection, "rbBackward", "&Backward", 12, 40, 129, 17);
    grpOrigin = Place<TGroupBox>(this, this, "grpOrigin", "Origin", 176, 112, 153, 65);
    rbCursor = Place<TQvRadioButton>(this, grpOrigin, "rbCursor", "&From cursor", 12, 18, 129, 17);
    rbBeginning =
        Place<TQvRadioButton>(this, grpOrigin, "rbBeginning", "From b&eginning", 12, 40, 129, 17);
    int order = 0;
    for (TWinControl* c : std::initializer_list<TWinControl*>{
             btnNext, btnClose, cbbText, grpOptions, grpFields, grpDirection, grpOrigin})
        c->SetTabOrder(order++);
    SetActiveControl(cbbText);

    btnNext->OnClick = TNotifyEvent(this, &TfrmSearchDlg::btnNextClick);
    btnClose->OnClick = TNotifyEvent(this, &TfrmSearchDlg::btnCloseClick);
    cbbFields->OnChange = TNotifyEvent(this, &TfrmSearchDlg::cbbFieldsChange);
    cbbText->OnKeyDown = TKeyEvent(this, &TfrmSearchDlg::cbbTextKeyDown);
    rbBeginning->OnClick = TNotifyEvent(this, &TfrmSearchDlg::rbBeginningClick);
    OnShow = TNotifyEvent(this, &TfrmSearchDlg::FormShow);
    OnActivate = TNotifyEvent(this, &TfrmSearchDlg::FormActivate);
}

TfrmSearchDlg::~TfrmSearchDlg() = default;

std::string TfrmSearchDlg::GetSelectedFieldName() const {
    int i = cbbFields->ItemIndex();
    return i >= 0 && i < fieldNames_->Count() ? (*fieldNames_)[i] : std::string();
}

void TfrmSearchDlg::ApplyUserIntl() {
    TQvUserIntl* intl = search_ ? search_->UserIntl() : nullptr;
    if (!intl) return;
    Font()->Assign(*intl->DialogFont());
    for (const CaptionEntry& e : kCaptions)
        if (auto* c = dynamic_cast<plat::TControl*>(FindComponent(e.control)))
            c->SetCaption(intl->UserDialogInfo()->*e.member);
}

void TfrmSearchDlg::FormShow(plat::TObject*) {
    ApplyUserIntl();
    if (search_) search_->dialog_ = this;
    cbbFields->ItemHeight = Canvas()->TextHeight("A") + 2;
    if (search_) search_->DoInitDialog();
}

void TfrmSearchDlg::FormActivate(plat::TObject*) {
    if (cbbText->CanFocus()) cbbText->SetFocus();
}

void TfrmSearchDlg::cbbTextKeyDown(plat::TObject*, uint16_t& key, plat::TShiftState) {
    if (key == 27) {
        key = 0;
        btnClose->Click();
    } else if (key == 13) {
        key = 0;
        btnNext->Click();
    }
}

void TfrmSearchDlg::btnCloseClick(plat::TObject*) {
    Close();
}

void TfrmSearchDlg::rbBeginningClick(plat::TObject*) {
    if (!rbBeginning->Checked()) rbCursor->SetChecked(true);
}

void TfrmSearchDlg::cbbFieldsChange(plat::TObject*) {
    if (search_ && search_->OnSelectField)
        search_->OnSelectField(this, GetSelectedFieldName(), cbbFields->Text());
}

void TfrmSearchDlg::btnNextClick(plat::TObject*) {
    if (!search_) return;
    if (search_->BeforeSearch) search_->BeforeSearch(this);
    TQvUserMessages* messages = search_->GetUserMessages();
    const std::string text = cbbText->Text();
    if (search_->ShowMessages && text.empty()) {
        plat::MessageDlg(messages->SearchedTextBlank, plat::TMsgDlgType::mtError,
                         {plat::TMsgDlgBtn::mbOK});
        if (cbbText->CanFocus()) cbbText->SetFocus();
        return;
    }
    search_->CheckDataSet();
    const std::string field = GetSelectedFieldName();
    const bool backward = rbBackward->Checked();
    auto find = [&](bool fromBeginning) {
        bool f = FindText(grid_, field, text, fromBeginning, backward, chkWholeWords->Checked(),
                          chkCase->Checked(), messages->RecordBeingEditedText);
        found_ = found_ || f;
        return f;
    };
    if (rbBeginning->Checked()) {
        bool found = find(true);
        rbBeginning->SetChecked(false);
        rbCursor->SetChecked(true);
        if (found) return;
    }
    bool found = find(false);
    if (search_->AfterSearch) search_->AfterSearch(this, found);
    if (!found && search_->ShowMessages)
        plat::MessageDlg(plat::Format(messages->SearchedTextNotFound, {text}),
                         plat::TMsgDlgType::mtInformation, {plat::TMsgDlgBtn::mbOK});
}

PLAT_PUBLISH(TqvSearchDialog) {
    p.Prop("Caption", &TqvSearchDialog::Caption);
    p.Prop("CaseSensitive", &TqvSearchDialog::CaseSensitive);
    p.Prop("Direction", &TqvSearchDialog::Direction);
    p.Prop("SearchGrid", &TqvSearchDialog::SearchGrid, &TqvSearchDialog::SetSearchGrid);
    p.Prop("ShowMessages", &TqvSearchDialog::ShowMessages);
    p.Prop("SortFields", &TqvSearchDialog::SortFields);
    p.Prop("Origin", &TqvSearchDialog::Origin);
    p.Prop("UserIntl", &TqvSearchDialog::UserIntl, &TqvSearchDialog::SetUserIntl);
    p.Prop("WholeWordsOnly", &TqvSearchDialog::WholeWordsOnly);
    p.Prop("AfterSearch", &TqvSearchDialog::AfterSearch);
    p.Prop("BeforeSearch", &TqvSearchDialog::BeforeSearch);
    p.Prop("OnInitDialog", &TqvSearchDialog::OnInitDialog);
    p.Prop("OnSelectField", &TqvSearchDialog::OnSelectField);
}

PLAT_PUBLISH(TQvUserDialogInfo) {
    for (const CaptionEntry& e : kCaptions) p.Prop(e.name, e.member);
}

PLAT_PUBLISH(TQvUserMessages) {
    p.Prop("SearchedTextBlank", &TQvUserMessages::SearchedTextBlank);
    p.Prop("SearchedTextNotFound", &TQvUserMessages::SearchedTextNotFound);
    p.Prop("RecordBeingEditedText", &TQvUserMessages::RecordBeingEditedText);
}

PLAT_PUBLISH(TQvUserIntl) {
    p.Prop("DialogFont", &TQvUserIntl::DialogFont, &TQvUserIntl::SetDialogFont);
    p.Prop("UserMessages", &TQvUserIntl::UserMessages, &TQvUserIntl::SetUserMessages);
    p.Prop("UserDialogInfo", &TQvUserIntl::UserDialogInfo, &TQvUserIntl::SetUserDialogInfo);
}

}  // namespace ktrb
