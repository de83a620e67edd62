#include "controls/QvDBCustomLookupCombo.h"

#include <algorithm>

#include "platform/automation/dispatch.h"
#include "platform/core/format.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/keys.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using namespace plat;

namespace {

constexpr TColor kEvenRowColor = 0xE7F9CE, kOddRowColor = 0xECFFFB, kCurrentRowColor = 0xF2DCB7;

std::string WithoutCrLf(std::string s) {
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; }),
            s.end());
    return s;
}

std::vector<std::string> SplitList(const std::string& s, char sep) {
    std::vector<std::string> out;
    size_t b = 0;
    for (size_t e; (e = s.find(sep, b)) != std::string::npos; b = e + 1)
        out.push_back(s.substr(b, e - b));
    out.push_back(s.substr(b));
    return out;
}

bool ListHas(const std::string& list, const std::string& name) {
    for (const std::string& n : SplitList(list, ','))
        if (SameText(Trim(n), name)) return true;
    return false;
}

}  // namespace

// ---- Popup grid ---------------------------------------------------------------

TQvPopupGrid::TQvPopupGrid(TComponent* owner) : TPopupGrid(owner) {}

void TQvPopupGrid::DoCalcCellColors(TField* field, TGridDrawState state, bool highlight,
                                    TFont* font, TBrush* brush) {
    if (!state.Contains(gdFixed) && DataSource() && DataSource()->DataSet() &&
        DataSource()->DataSet()->Active()) {
        int rec = DataSource()->DataSet()->RecNo();
        brush->Color = highlight ? kCurrentRowColor : (rec % 2 == 0 ? kEvenRowColor : kOddRowColor);
        font->SetColor(Font()->Color());
    }
    TPopupGrid::DoCalcCellColors(field, state, highlight, font, brush);
}

void TQvPopupGrid::KeyDown(uint16_t& key, TShiftState shift) {
    KeyPressed = true;
    TPopupGrid::KeyDown(key, shift);
}

// ---- Lookup combo -------------------------------------------------------------

std::function<Variant(IProviderSource*)> TQvDBCustomLookupCombo::AppServerOf =
    [](IProviderSource* source) -> Variant {
    if (auto* d = dynamic_cast<Dispatch*>(source)) return Variant(DispatchPtr(d, [](Dispatch*) {}));
    return Variant();
};

TQvDBCustomLookupCombo::TQvDBCustomLookupCombo(TComponent* owner) : TLookupComboBase(owner) {
    auto* grid = new TQvPopupGrid(this);
    grid->Columns();  // the titles are centred
    SetGrid(grid);
    lookupTable_ = new TGridClientDataSet(this);
    lookupTable_->SetProviderName("pvdDravoc");
    SetLookupTable(lookupTable_);
    Options = 7;
    SetSearchDelay(500);
    SetLookUpEnabled(true);
}

TQvDBCustomLookupCombo::~TQvDBCustomLookupCombo() {
    if (lookupTable_->Active()) ResetLookup();
}

void TQvDBCustomLookupCombo::SetMidas(IProviderSource* connection) {
    lookupTable_->SetRemoteServer(connection);
    appServer_ = Variant();
}

void TQvDBCustomLookupCombo::ApplyParam(TInteraParam* p) {
    if (!p) return;
    request_ = p->Params;
    // The form can switch the lookup off, never on.
    if (LookUpEnabled()) SetLookUpEnabled(p->FastInputEnabled);
    Param.ConvertFromDB = p->ConvertFromDB;
    Param.ConvertForDisplay = p->ConvertForDisplay;
}

bool TQvDBCustomLookupCombo::ParamsChanged(const Variant& v) const {
    if (request_.IsEmptyOrNull() && v.IsEmptyOrNull()) return false;
    if (request_.IsEmptyOrNull() || v.IsEmptyOrNull()) return true;
    if (!request_.IsArray() || !v.IsArray()) return request_.AsString() != v.AsString();
    for (int i = request_.LowBound(); i <= request_.HighBound(); ++i) {
        if (i == 4) continue;
        if (i > v.HighBound()) return true;
        const Variant &a = request_[i], &b = v[i];
        if (i == 2) {
            if (a.IsArray() != b.IsArray()) return true;
            if (a.IsArray()) {
                if (a.HighBound() != b.HighBound()) return true;
                for (int j = a.LowBound(); j <= a.HighBound(); ++j)
                    if (!(a[j] == b[j])) return true;
            } else if (a.AsString() != b.AsString()) {
                return true;
            }
        } else if (!(a == b)) {
            return true;
        }
    }
    return false;
}

void TQvDBCustomLookupCombo::FetchLookupData(const std::string* searchText) {
    if (!request_.IsArray()) return;
    // A new query: whether the server limits its rows is learnt afresh.
    topLimited_ = false;
    if (searchText && request_.HighBound() >= 4) request_[4] = *searchText;
    reply_ = std::string();
    if (!appServer_.IsDispatch()) appServer_ = AppServerOf(Midas());
    DispatchPtr server = appServer_.AsDispatch();
    if (!server) throw Exception("The lookup connection has no server.");
    std::string kind = request_[0].AsString(), sub = request_[1].AsString();
    bool custom = server->Call("GetCustomOW", kind, sub, std::string()).AsBoolean();
    openWinKind_ = custom ? 1 : 0;
    server->Put("OpenWinKind", openWinKind_);
    server->Call("GetF2Data", request_, reply_);
    openLookupTable();
    ParseReply();
    ApplyReply();
    BuildSelectedFields();
    topLimited_ = UpperCase(reply_.AsString()).find(" TOP ") != std::string::npos;
}

void TQvDBCustomLookupCombo::openLookupTable() {
    lookupTable_->Close();
    lookupTable_->DataRequest(std::string());
    std::string field = LookupField();
    SetLookupField("");
    lookupTable_->Open();
    SetLookupField(field);
    hookTextFields();
}

void TQvDBCustomLookupCombo::hookTextFields() {
    for (int i = 0; i < lookupTable_->FieldCount(); ++i) {
        TField* f = lookupTable_->Fields()[i];
        TFieldType t = f->DataType();
        if (t != TFieldType::ftString && t != TFieldType::ftFixedChar &&
            t != TFieldType::ftWideString && t != TFieldType::ftMemo)
            continue;
        if (f->OnGetText) continue;
        f->OnGetText = TFieldGetTextEvent(
            [this](TField* fld, std::string& text, bool) {
                text = fld->AsString();
                if (text.empty() || !Param.ConvertForDisplay) return;
                Variant v = text;
                Param.ConvertForDisplay(v);
                text = v.AsString();
            },
            this);
    }
}

void TQvDBCustomLookupCombo::ParseReply() {
    replyValues_.Clear();
    ParseReplyLines(SelectLanguageSection(reply_.AsString(), Param.CodePage), replyValues_);
    displayText_ = WithoutCrLf(replyValues_.Values("DISPLAY"));
    returnFields_ = WithoutCrLf(replyValues_.Values("RETURN"));
    moneyFields_ = WithoutCrLf(replyValues_.Values("MONEYFIELDS"));
    priceFields_ = WithoutCrLf(replyValues_.Values("PRICEFIELDS"));
    for (int i = 0; i < replyValues_.Count(); ++i)
        if (replyValues_.Names(i).rfind("MAP", 0) == 0) mapFields_ += ";" + replyValues_.Names(i);
}

std::string TQvDBCustomLookupCombo::mapGetText(const std::string& field,
                                               const std::string& stored) const {
    for (int i = 0; i < replyValues_.Count(); ++i) {
        const std::string name = replyValues_.Names(i);
        if (name.rfind("MAP", 0) != 0 || Trim(name.substr(3, 30)) != field) continue;
        for (const std::string& line : SplitList(replyValues_.ValueFromIndex(i), '\n')) {
            std::string l = line;
            if (!l.empty() && l.back() == '\r') l.pop_back();
            size_t tab = l.find('\t');
            if (tab == std::string::npos || l.substr(tab + 1) != stored) continue;
            Variant v = l.substr(0, tab);
            if (Param.ConvertForDisplay) Param.ConvertForDisplay(v);
            return v.AsString();
        }
        return stored;
    }
    return stored;
}

std::string TQvDBCustomLookupCombo::codedText(const std::string& code, TField* f) const {
    if (f->IsNull()) return std::string();
    const int format = Param.DateFormatType;
    if (code == "D") {
        TFieldType t = f->DataType();
        TDateTime d = t == TFieldType::ftDate || t == TFieldType::ftDateTime
                          ? f->AsDateTime()
                          : YmdToDate(f->AsString());
        if (d == 0) return std::string();
        return DateToText(format, Param.DateSeparator.substr(0, 1), d);
    }
    if (code == "%") return Format("%3.2f%%", {f->AsFloat() * 100});
    // Year and year-month texts: "yyyy" and "yyyymm".
    const std::string text = f->AsString();
    std::string y = text.substr(0, 4), m = code == "YM" && text.size() > 4 ? text.substr(4, 2) : "";
    if (Trim(text).empty() || !(y > "0") || (code == "YM" && !(m > "0")) || format <= 0)
        return std::string();
    int year = 0;
    if (!TryStrToInt(Trim(y), year)) return std::string();
    std::string shown;
    switch (format) {
        case 1:
        case 2:
        case 3:
            shown = ZeroPad(4, year);
            break;
        case 4:
            shown = std::to_string(year - 1911);
            break;
        case 5:
            shown = ZeroPad(3, year - 1911);
            break;
        default:
            return text;
    }
    if (code == "Y") return shown;
    const std::string& sep = Param.DateSeparator;
    return format == 2 || format == 3 ? m + sep + shown : shown + sep + m;
}

void TQvDBCustomLookupCombo::ApplyDisplayDefinition() {
    Variant display = displayText_;
    if (Param.ConvertFromDB) Param.ConvertFromDB(display);
    std::vector<std::string> returned = SplitList(returnFields_, ',');
    SetLookupField(Trim(returned[0]));
    std::vector<std::string> items = SplitList(display.AsString(), ';');
    lookupTable_->ControlType.clear();
    for (int i = 0; i < lookupTable_->FieldCount() && i < (int)items.size(); ++i) {
        TField* f = lookupTable_->Fields()[i];
        std::vector<std::string> parts = SplitList(items[i], '$');
        if (Trim(parts[0]).empty()) {
            f->SetVisible(false);
            continue;
        }
        f->SetDisplayLabel(parts[0]);
        f->SetDisplayWidth(std::min(f->Size(), 20) + 1);
        std::string code = parts.size() > 1 ? UpperCase(parts[1]) : std::string();
        static const std::pair<const char*, int> kCodedWidths[] = {
            {"D", 10}, {"Y", 6}, {"YM", 8}, {"%", 8}};
        for (auto [c, width] : kCodedWidths) {
            if (code != c) continue;
            f->SetDisplayWidth(width);
            f->OnGetText = TFieldGetTextEvent(
                [this, code](TField* fld, std::string& text, bool) { text = codedText(code, fld); },
                this);
        }
        if (code == "L") lookupTable_->ControlType.push_back(f->FieldName() + ";CheckBox;Y;N");
        if (mapFields_.find(f->FieldName()) != std::string::npos) {
            f->SetDisplayWidth(20);
            f->OnGetText = TFieldGetTextEvent(
                [this](TField* fld, std::string& text, bool) {
                    text = fld->IsNull() ? std::string()
                                         : mapGetText(fld->FieldName(), fld->AsString());
                },
                this);
        }
    }
    if (TField* key = lookupTable_->FindField(LookupField())) {
        try {
            key->SetIndex(0);
        } catch (const Exception&) {
        }
    }
}

void TQvDBCustomLookupCombo::ApplyReply() {
    ApplyDisplayDefinition();
    for (int i = 0; i < lookupTable_->FieldCount(); ++i) {
        TField* f = lookupTable_->Fields()[i];
        if ((!Param.ShowPrices && ListHas(priceFields_, f->FieldName())) ||
            (!Param.ShowAmounts && ListHas(moneyFields_, f->FieldName())))
            f->SetVisible(false);
    }
}

void TQvDBCustomLookupCombo::BuildSelectedFields() {
    std::vector<std::string> lines;
    for (int i = 0; i < lookupTable_->FieldCount(); ++i) {
        TField* f = lookupTable_->Fields()[i];
        if (!f->Visible()) continue;
        lines.push_back(f->FieldName() + "\t" + std::to_string(f->DisplayWidth()) + "\t" +
                        f->DisplayLabel() + "\tF");
    }
    SetSelected(lines);
}

void TQvDBCustomLookupCombo::BuildReturnRow(const std::string& fields, TDataSet* ds,
                                            Variant& rows) {
    std::vector<std::string> names = SplitList(fields, ',');
    Variant row = Variant::CreateArray({0, (int)names.size() - 1});
    for (size_t i = 0; i < names.size(); ++i) {
        std::string n = Trim(names[i]);
        if (n.empty()) continue;
        row[(int)i] = ds->FieldByName(n)->AsString();
    }
    if (rows.IsEmptyOrNull() || !rows.IsArray()) {
        rows = Variant::ArrayOf({row});
    } else {
        rows.Redim(rows.HighBound() + 1);
        rows[rows.HighBound()] = row;
    }
}

void TQvDBCustomLookupCombo::ResetLookup() {
    if (!lookupTable_->Active()) return;
    lookupTable_->Close();
    lookupTable_->SetFiltered(false);
    SetLookupField("");
    SetSelected({});
    if (Grid()) Grid()->CloseUp();
}

void TQvDBCustomLookupCombo::AdjustDropDown() {
    if (lookupTable_->Active() && Grid()) Grid()->Invalidate();
}

bool TQvDBCustomLookupCombo::IsFieldReadOnly() const {
    TField* f = Field();
    return !DataSource() || !DataSource()->DataSet() || DataField().empty() || !f || f->ReadOnly();
}

bool TQvDBCustomLookupCombo::IsDataSourceEditing() const {
    TDataSource* ds = DataSource();
    return ds && (ds->State() == TDataSetState::dsEdit || ds->State() == TDataSetState::dsInsert);
}

std::string TQvDBCustomLookupCombo::PredictText(char32_t key) const {
    // Caret positions count characters, so work on code points.
    std::u32string text = Utf8ToU32(Text());
    size_t start = std::min<size_t>(std::max(0, SelStart()), text.size());
    size_t end = std::min<size_t>(start + std::max(0, SelLength()), text.size());
    if (key == 8) {
        if (end > start)
            text.erase(start, end - start);
        else if (start > 0)
            text.erase(start - 1, 1);
        return U32ToUtf8(text);
    }
    return U32ToUtf8(text.substr(0, start) + key + text.substr(end));
}

void TQvDBCustomLookupCombo::ClearFilter() {
    if (lookupTable_->Active()) lookupTable_->SetFiltered(false);
    AdjustDropDown();
}

void TQvDBCustomLookupCombo::KeyPress(char32_t& key) {
    if (IsFieldReadOnly()) {
        key = 0;
        return;
    }
    if (!OnSetReturn) {
        MessageDialogs().MessageBox("this event of OnSetReturn has not been specified!", "Error",
                                    MB_OK | MB_ICONERROR);
        return;
    }
    if (!OnGetBaseClassParam) {
        MessageDialogs().MessageBox("this event of OnGetF2Param has not been specified!", "Error",
                                    MB_OK | MB_ICONERROR);
        return;
    }
    if (key < 32 && key != 8 && key != 3 && key != 22 && key != 24) {
        key = 0;
        return;
    }
    const std::string predicted = PredictText(key);
    {
        TInteraParam p;
        OnGetBaseClassParam(this, &p);
        ApplyParam(&p);
        Param.Assign(p);
        if (!request_.IsArray() && !ChoiceConfirmed && Utf8ToU32(predicted).size() == 1) {
            lookupSuspended_ = true;
            savedLookUpEnabled_ = LookUpEnabled();
            SetLookUpEnabled(false);
        }
    }
    if (!LookUpEnabled()) return;
    if ((firstFetchPending_ || refetchOnKey_ || fetchFailed_) && (key >= 32 || key == 22)) {
        ResetLookup();
        refetchOnKey_ = false;
        try {
            FetchLookupData();
            fetchFailed_ = false;
        } catch (const std::exception& e) {
            // The next key tries again; the failure is told once.
            if (!fetchFailed_)
                MessageDialogs().MessageBox(e.what(), Param.FormCaption, MB_OK | MB_ICONWARNING);
            fetchFailed_ = true;
        }
        firstFetchPending_ = false;
    }
    const std::string lastSearch = LastSearchText();
    TLookupComboBase::KeyPress(key);
    if (predicted.empty()) ClearFilter();
    bool searchKey = key >= 32 || key == 8 || key == 22;
    if ((predicted != lastSearch || Utf8ToU32(lastSearch).size() == 1) && searchKey &&
        DroppedDown() && SearchDelay() > 0) {
        SearchTimer()->SetInterval(SearchDelay());
        SearchTimer()->SetEnabled(true);
    }
}

bool TQvDBCustomLookupCombo::FindRecord(const std::string& searchText,
                                        const std::string& searchField, TLookupMatch match,
                                        bool updateValue) {
    if (!lookupTable_->Active())
        return TLookupComboBase::FindRecord(searchText, searchField, match, updateValue);
    lookupTable_->DisableControls();
    matcher_ = std::make_unique<TLookupMatcher>(Value(), Param.CodePage);
    lookupTable_->SetFiltered(false);
    lookupTable_->SetOnFilterRecord(TFilterRecordEvent(
        [this](TDataSet* ds, bool& accept) { LookupFilterRecord(ds, accept); }, this));
    lookupTable_->SetFiltered(true);
    WarningJustShown = false;
    lookupTable_->EnableControls();
    if (topLimited_ && lookupTable_->IsEmpty() && !topWarned_ && DroppedDown()) {
        topWarned_ = true;
        WarningJustShown = true;
        Variant text = TopSQLWarning;
        if (Param.ConvertForDisplay) Param.ConvertForDisplay(text);
        MessageDialogs().MessageBox(text.AsString(), Param.FormCaption, MB_OK | MB_ICONQUESTION);
    }
    if (lookupTable_->IsEmpty()) SetUnmatchedText(Text());
    if (Grid()) Grid()->Invalidate();
    return false;
}

void TQvDBCustomLookupCombo::LookupFilterRecord(TDataSet* ds, bool& accept) {
    accept = false;
    if (!matcher_ || matcher_->Empty()) return;
    for (const std::string& line : Selected()) {
        TField* f = ds->FieldByName(line.substr(0, line.find('\t')));
        TFieldType t = f->DataType();
        bool text = t == TFieldType::ftString || t == TFieldType::ftFixedChar ||
                    t == TFieldType::ftWideString;
        if (!f->Visible() || !(text || f->IsNumeric())) continue;
        if (matcher_->Matches(f->Text())) {
            accept = true;
            return;
        }
    }
}

void TQvDBCustomLookupCombo::DropDown() {
    if (ReadOnly() || !LookUpEnabled() || IsFieldReadOnly() || lookupSuspended_ ||
        !lookupTable_->Active() || modifierDown_)
        return;
    // Without a set width the list is as wide as its columns, so the names
    // are not cut at the edit's width.
    const int setWidth = DropDownWidth;
    if (setWidth <= 0 && Grid()) {
        int w = 0;
        for (int col = 0; col < Grid()->ColCount(); ++col)
            w += Grid()->ColWidths(col) + Grid()->GridLineWidth();
        DropDownWidth = std::clamp(w + 24, Width(), 640);
    }
    TLookupComboBase::DropDown();
    DropDownWidth = setWidth;
}

void TQvDBCustomLookupCombo::CloseUp(bool) {
    if (IsFieldReadOnly()) return;
    bool wasVisible = DroppedDown();
    TLookupComboBase::CloseUp(false);
    if (wasVisible && !WarningJustShown && OnSetReturn && ChoiceConfirmed &&
        lookupTable_->Active() && !lookupTable_->IsEmpty() && IsDataSourceEditing()) {
        Variant rows;
        BuildReturnRow(returnFields_, lookupTable_, rows);
        TInteraParam p;
        p.SetReturnValues(rows);
        OnSetReturn(this, &p);
        ChoiceConfirmed = false;
    }
}

void TQvDBCustomLookupCombo::GridClick() {
    ChoiceConfirmed = true;
    TLookupComboBase::GridClick();
}

void TQvDBCustomLookupCombo::KeyDown(uint16_t& key, TShiftState shift) {
    ChoiceConfirmed = key == VK_TAB || key == VK_RETURN;
    modifierDown_ = shift.Contains(ssCtrl) || shift.Contains(ssAlt);
    if (shift.Contains(ssAlt)) return;
    if (IsFieldReadOnly()) {
        key = 0;
        return;
    }
    TLookupComboBase::KeyDown(key, shift);
}

void TQvDBCustomLookupCombo::KeyUp(uint16_t& key, TShiftState shift) {
    if (IsFieldReadOnly()) {
        key = 0;
        return;
    }
    TLookupComboBase::KeyUp(key, shift);
}

void TQvDBCustomLookupCombo::DoExit() {
    TLookupComboBase::DoExit();
    refetchOnKey_ = true;
    if (lookupSuspended_) {
        SetLookUpEnabled(savedLookUpEnabled_);
        lookupSuspended_ = false;
    }
}

}  // namespace ktrb
