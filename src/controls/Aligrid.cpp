#include "controls/Aligrid.h"

#include <algorithm>
#include <cstring>

#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/system/clipboard.h"
#include "platform/ui/forms.h"
#include "platform/ui/keys.h"
#include "platform/ui/resources.h"
#include "runtime/ClipboardStreams.h"

namespace ktrb {

using namespace plat;

namespace {

// The grid's own check pictures: a sunken box, ticked or empty.
void drawCheckPicture(TBitmap& b, bool ticked) {
    b.SetSize(13, 13);
    TCanvas* c = b.Canvas();
    c->Brush = TBrush{0xFFFFFF, TBrushStyle::bsSolid};
    c->FillRect({0, 0, 13, 13});
    TRect r{0, 0, 13, 13};
    Frame3D(*c, r, 0x808080, 0xFFFFFF, 1);
    Frame3D(*c, r, 0x404040, 0xC0C0C0, 1);
    if (ticked) {
        c->Pen = TPen{0, 2};
        c->Polyline({{3, 6}, {5, 9}, {10, 3}});
    }
}

void registerCheckPictures() {
    static const bool once = [] {
        RegisterBitmapResource("CHECK", [](TBitmap& b) { drawCheckPicture(b, true); });
        RegisterBitmapResource("UNCHECK", [](TBitmap& b) { drawCheckPicture(b, false); });
        return true;
    }();
    (void)once;
}

// Stored indices of the old layout are taken whole; past this they would
// only make the tables huge, so such entries are skipped.
constexpr int kMaxStoredIndex = 65535;

enum : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaString = 6,
    vaFalse = 8,
    vaTrue = 9,
    vaLString = 12,
    vaUTF8String = 20
};

int fontStyleBits(TFontStyles s) {
    return (s.Contains(fsBold) ? 1 : 0) | (s.Contains(fsItalic) ? 2 : 0) |
           (s.Contains(fsUnderline) ? 4 : 0) | (s.Contains(fsStrikeOut) ? 8 : 0);
}
TFontStyles fontStyleOf(int bits) {
    TFontStyles s;
    if (bits & 1) s.Include(fsBold);
    if (bits & 2) s.Include(fsItalic);
    if (bits & 4) s.Include(fsUnderline);
    if (bits & 8) s.Include(fsStrikeOut);
    return s;
}

void writeFont(TStoredWriter& w, const TFont& f) {
    w.Int((int32_t)f.Color());
    w.Int(f.Height());
    w.Str(f.Name());
    w.Int((int)f.Pitch());
    w.Int(fontStyleBits(f.Style()));
}
void readFont(TStoredReader& in, TFont& f) {
    TFontData d = f.Data();
    d.Color = (TColor)in.Int();
    d.Height = in.Int();
    d.Name = in.Str();
    int pitch = in.Int();
    if (pitch < 0 || pitch > 2) throw EReadError("Invalid font pitch");
    d.Pitch = (TFontPitch)pitch;
    d.Style = fontStyleOf(in.Int());
    f.SetData(d);
}
void writeBrush(TStoredWriter& w, const TMyBrush& b) {
    w.Int((int32_t)b.Color());
    w.Int((int)b.Style());
}
void readBrush(TStoredReader& in, TMyBrush& b) {
    TBrush d;
    d.Color = (TColor)in.Int();
    int style = in.Int();
    if (style < 0 || style > (int)TBrushStyle::bsDiagCross) throw EReadError("Invalid brush style");
    d.Style = (TBrushStyle)style;
    b.Assign(d);
}

}  // namespace

// ---- Stored values -------------------------------------------------------------------------

void TStoredWriter::Int(int32_t v) {
    if (v >= -128 && v <= 127) {
        Bytes += char(vaInt8);
        Bytes += char((int8_t)v);
    } else if (v >= -32768 && v <= 32767) {
        Bytes += char(vaInt16);
        int16_t s = (int16_t)v;
        Bytes += char(s & 0xFF);
        Bytes += char((s >> 8) & 0xFF);
    } else {
        Bytes += char(vaInt32);
        uint32_t u = (uint32_t)v;
        for (int i = 0; i < 4; ++i) Bytes += char((u >> (8 * i)) & 0xFF);
    }
}

void TStoredWriter::Str(const std::string& s) {
    if (s.size() <= 255) {
        Bytes += char(vaString);
        Bytes += char(s.size());
    } else {
        Bytes += char(vaLString);
        uint32_t n = (uint32_t)s.size();
        for (int i = 0; i < 4; ++i) Bytes += char((n >> (8 * i)) & 0xFF);
    }
    Bytes += s;
}

void TStoredWriter::Bool(bool v) {
    Bytes += char(v ? vaTrue : vaFalse);
}

uint8_t TStoredReader::peek() const {
    if (pos_ >= b_.size()) throw EReadError("Stream read error");
    return (uint8_t)b_[pos_];
}
uint8_t TStoredReader::Byte() {
    uint8_t v = peek();
    ++pos_;
    return v;
}
std::string TStoredReader::RawBytes(size_t n) {
    if (n > b_.size() - pos_) throw EReadError("Stream read error");
    std::string s = b_.substr(pos_, n);
    pos_ += n;
    return s;
}
int32_t TStoredReader::Int() {
    uint8_t t = Byte();
    std::string raw;
    switch (t) {
        case vaInt8:
            return (int8_t)Byte();
        case vaInt16:
            raw = RawBytes(2);
            return (int16_t)((uint8_t)raw[0] | ((uint8_t)raw[1] << 8));
        case vaInt32: {
            raw = RawBytes(4);
            uint32_t u = 0;
            for (int i = 3; i >= 0; --i) u = (u << 8) | (uint8_t)raw[i];
            return (int32_t)u;
        }
        default:
            throw EReadError("Invalid property value");
    }
}
std::string TStoredReader::Str() {
    uint8_t t = Byte();
    if (t == vaString) return RawBytes(Byte());
    if (t == vaLString || t == vaUTF8String) {
        std::string raw = RawBytes(4);
        uint32_t n = 0;
        for (int i = 3; i >= 0; --i) n = (n << 8) | (uint8_t)raw[i];
        return RawBytes(n);  // bounded by what is there
    }
    throw EReadError("Invalid property value");
}
bool TStoredReader::Bool() {
    uint8_t t = Byte();
    if (t == vaTrue) return true;
    if (t == vaFalse) return false;
    throw EReadError("Invalid property value");
}
void TStoredReader::ListBegin() {
    if (Byte() != vaList) throw EReadError("Invalid property value");
}
bool TStoredReader::EndOfList() {
    return peek() == vaNull;
}
void TStoredReader::ListEnd() {
    if (Byte() != vaNull) throw EReadError("Invalid property value");
}

// ---- Item lists, fonts, brushes, controls ---------------------------------------------------

void TGridStrings::Assign(const TStringList& other) {
    ListOnly = false;
    DropDownCount = 8;
    TStringList::Assign(other);
    Changed = true;
}
void TGridStrings::Assign(const TGridStrings& other) {
    ListOnly = false;
    DropDownCount = 8;
    TStringList::Assign(other);
    ListOnly = other.ListOnly;
    DropDownCount = other.DropDownCount;
    Separator = other.Separator;
    Changed = true;
}

void TMyBrush::changed() {
    Changed = true;
    if (OnRepaint) OnRepaint();
}
void TMyBrush::SetColor(TColor c) {
    b_.Color = c;
    changed();
}
void TMyBrush::SetStyle(TBrushStyle s) {
    b_.Style = s;
    changed();
}
void TMyBrush::Assign(const TBrush& b) {
    b_ = b;
    changed();
}

void TControlInfo::Changed() {
    ChangedFlag = true;
    if (OnChange) OnChange();
}
void TControlInfo::SetKind(uint8_t k) {
    if (k == kind_) return;
    kind_ = k;
    switch (k) {
        case 0:
            text_.clear();
            checked_.clear();
            unchecked_.clear();
            items_.reset();
            break;
        case 1:
        case 4:
            checked_.clear();
            unchecked_.clear();
            items_.reset();
            break;
        case 2:
            text_.clear();
            items_.reset();
            break;
        case 3:
            if (!items_) items_ = std::make_unique<TGridStrings>();
            text_.clear();
            checked_.clear();
            unchecked_.clear();
            break;
        default:
            break;
    }
    Changed();
}
void TControlInfo::SetText(const std::string& s) {
    if (kind_ != 4 || s == text_) return;
    text_ = s;
    Changed();
}
void TControlInfo::SetCheckedValue(const std::string& s) {
    if (kind_ != 2 || s == checked_) return;
    checked_ = s;
    Changed();
}
void TControlInfo::SetUncheckedValue(const std::string& s) {
    if (kind_ != 2 || s == unchecked_) return;
    unchecked_ = s;
    Changed();
}
void TControlInfo::SetItems(const TStringList& l) {
    if (kind_ != 3) return;
    if (!items_) items_ = std::make_unique<TGridStrings>();
    items_->Assign(l);
    Changed();
}
void TControlInfo::SetItems(const TGridStrings& l) {
    if (kind_ != 3) return;
    if (!items_) items_ = std::make_unique<TGridStrings>();
    items_->Assign(l);
    Changed();
}
void TControlInfo::AssignControlInfo(const TControlInfo* s) {
    if (!s) {
        kind_ = 0;
        text_.clear();
        checked_.clear();
        unchecked_.clear();
        items_.reset();
        return;
    }
    kind_ = s->kind_;
    text_ = s->text_;
    checked_ = s->checked_;
    unchecked_ = s->unchecked_;
    if (s->items_) {
        if (!items_) items_ = std::make_unique<TGridStrings>();
        items_->Assign(*s->items_);
    } else {
        items_.reset();
    }
}

// ---- Settings records -----------------------------------------------------------------------

void TCellProperties::CopyFont(std::unique_ptr<TMyFont>& target, const TFont* source) const {
    if (!source) {
        target.reset();
        return;
    }
    if (!target) {
        target = std::make_unique<TMyFont>();
        if (owner_) owner_->bindFont(*target);
    }
    target->Assign(*source);
    auto* my = dynamic_cast<const TMyFont*>(source);
    target->Changed = my ? my->Changed : true;
}

void TCellProperties::CopyBrush(std::unique_ptr<TMyBrush>& target, const TMyBrush* source) const {
    if (!source) {
        target.reset();
        return;
    }
    if (!target) {
        target = std::make_unique<TMyBrush>();
        if (owner_) owner_->bindBrush(*target);
    }
    target->Assign(source->Data());
    target->Changed = source->Changed;
}

void TCellProperties::AssignProperties(const TCellProperties* s) {
    EditPermission = s ? s->EditPermission : 0;
    EditMask = s ? s->EditMask : std::string();
    Wordwrap = s ? s->Wordwrap : T_Wordwrap::ww_default;
    Align = s ? s->Align : TMyAlign::alDefault;
    CopyBrush(Brush, s ? s->Brush.get() : nullptr);
    CopyBrush(SelectedBrush, s ? s->SelectedBrush.get() : nullptr);
    CopyFont(Font, s ? s->Font.get() : nullptr);
    CopyFont(SelectedFont, s ? s->SelectedFont.get() : nullptr);
    if (s && s->ControlInfo) {
        if (!ControlInfo) {
            ControlInfo = std::make_unique<TControlInfo>();
            if (owner_) ControlInfo->OnChange = [g = owner_] { g->Invalidate(); };
        }
        ControlInfo->AssignControlInfo(s->ControlInfo.get());
    } else {
        ControlInfo.reset();
    }
}

bool TCellProperties::IsEmpty() const {
    return Align == TMyAlign::alDefault && Wordwrap == T_Wordwrap::ww_default &&
           EditPermission == 0 && EditMask.empty() && !Font && !SelectedFont && !Brush &&
           !SelectedBrush && !ControlInfo;
}

std::unique_ptr<TCellProperties> TCellProperties::CloneProperties() const {
    auto p = std::make_unique<TCellProperties>(owner_);
    p->AssignProperties(this);
    return p;
}

void TCellProperties::WriteProperties(std::string& out) const {
    TStoredWriter w;
    if (Align != TMyAlign::alDefault) {
        w.Int(1);
        w.Int((int)Align);
    }
    if (Wordwrap != T_Wordwrap::ww_default) {
        w.Int(2);
        w.Int((int)Wordwrap);
    }
    if (EditPermission) {
        w.Int(3);
        w.Int(EditPermission);
    }
    if (Brush) {
        w.Int(4);
        writeBrush(w, *Brush);
    }
    if (SelectedBrush) {
        w.Int(5);
        writeBrush(w, *SelectedBrush);
    }
    if (Font) {
        w.Int(6);
        writeFont(w, *Font);
    }
    if (SelectedFont) {
        w.Int(7);
        writeFont(w, *SelectedFont);
    }
    if (!EditMask.empty()) {
        w.Int(8);
        std::string m = EditMask.substr(0, 255);
        w.Raw(std::string(1, char(m.size())) + m);
    }
    if (ControlInfo && ControlInfo->Kind() != 0) {
        w.Int(9);
        w.Int(ControlInfo->Kind());
        w.Str(ControlInfo->Text());
        const TGridStrings* items = ControlInfo->Items();
        w.Int(items ? items->DropDownCount : 8);
        w.Bool(items ? items->ListOnly : false);
        w.Str(items ? items->Text() : std::string());
        w.Str(ControlInfo->CheckedValue());
        w.Str(ControlInfo->UncheckedValue());
    }
    w.Int(0);
    out += w.Bytes;
}

void TCellProperties::ReadProperty(int tag, TStoredReader& in) {
    auto enumValue = [&](int max) {
        int v = in.Int();
        if (v < 0 || v > max) throw EReadError("Invalid property value");
        return v;
    };
    switch (tag) {
        case 1:
            Align = (TMyAlign)enumValue(3);
            break;
        case 2:
            Wordwrap = (T_Wordwrap)enumValue(3);
            break;
        case 3:
            EditPermission = (uint8_t)enumValue(2);
            break;
        case 4:
        case 5: {
            auto b = std::make_unique<TMyBrush>();
            readBrush(in, *b);
            if (owner_) owner_->bindBrush(*b);
            (tag == 4 ? Brush : SelectedBrush) = std::move(b);
            break;
        }
        case 6:
        case 7: {
            auto f = std::make_unique<TMyFont>();
            readFont(in, *f);
            if (owner_) owner_->bindFont(*f);
            (tag == 6 ? Font : SelectedFont) = std::move(f);
            break;
        }
        case 8:
            EditMask = in.RawBytes(in.Byte());
            break;
        case 9: {
            auto ci = std::make_unique<TControlInfo>();
            ci->SetKind((uint8_t)enumValue(255));
            ci->SetText(in.Str());
            TGridStrings items;
            items.DropDownCount = in.Int();
            items.ListOnly = in.Bool();
            items.SetText(in.Str());
            if (ci->Kind() == 3) ci->SetItems(items);
            ci->SetCheckedValue(in.Str());
            ci->SetUncheckedValue(in.Str());
            ci->ChangedFlag = false;
            if (owner_) ci->OnChange = [g = owner_] { g->Invalidate(); };
            ControlInfo = std::move(ci);
            break;
        }
        default:
            break;  // no value
    }
}

// ---- The grid: tables -----------------------------------------------------------------------

TStringAlignGrid::TStringAlignGrid(TComponent* owner) : TStringGrid(owner) {
    lineColor_ = 0xC0C0C0;
    hasHints_ = false;
    StoreCells = false;
    Editable = true;
    Initialize();
}

TStringAlignGrid::~TStringAlignGrid() = default;

void TStringAlignGrid::Initialize() {
    registerCheckPictures();
    background_ = std::make_unique<TBitmap>();
    check_ = std::make_unique<TBitmap>();
    uncheck_ = std::make_unique<TBitmap>();
    check_->LoadFromResourceName("CHECK");
    uncheck_->LoadFromResourceName("UNCHECK");
    check_->Transparent = uncheck_->Transparent = true;
    fixedFont_.OnRepaint = [this] { Invalidate(); };
    fixedBrush_.SetColor(TStringGrid::FixedColor());
    fixedBrush_.Changed = false;
    fixedBrush_.OnRepaint = [this] { Invalidate(); };
    defaultControl_.SetKind(0);
    hintCell_ = {-1, -1};
    OnCompareCol = [this](TObject*, int col, int a, int b) {
        std::string x = GetCellValue(col, a), y = GetCellValue(col, b);
        return y < x ? 2 : (x == y ? 1 : 0);
    };
    OnCompareRow = [this](TObject*, int row, int a, int b) {
        std::string x = GetCellValue(a, row), y = GetCellValue(b, row);
        return y < x ? 2 : (x == y ? 1 : 0);
    };
}

void TStringAlignGrid::bindFont(TMyFont& f) {
    f.OnRepaint = [this] { Invalidate(); };
}
void TStringAlignGrid::bindBrush(TMyBrush& b) {
    b.OnRepaint = [this] { Invalidate(); };
}

TCellProperties* TStringAlignGrid::find(const Table& t, int i) {
    return i >= 0 && i < (int)t.size() ? t[i].get() : nullptr;
}
TCellProperties* TStringAlignGrid::findCell(int c, int r) const {
    if (c < 0 || c >= (int)cellTab_.size()) return nullptr;
    return find(cellTab_[c], r);
}
TCellProperties& TStringAlignGrid::make(Table& t, int i) {
    if (i >= (int)t.size()) t.resize(i + 1);
    if (!t[i]) t[i] = std::make_unique<TCellProperties>(this);
    return *t[i];
}
TCellProperties& TStringAlignGrid::makeCell(int c, int r) {
    if (c >= (int)cellTab_.size()) cellTab_.resize(c + 1);
    return make(cellTab_[c], r);
}
TCellProperties* TStringAlignGrid::colLevel(int c, int r) const {
    return find(isFixed(c, r) ? fixedColTab_ : colTab_, c);
}
TCellProperties* TStringAlignGrid::rowLevel(int c, int r) const {
    return find(isFixed(c, r) ? fixedRowTab_ : rowTab_, r);
}
const TCellProperties* TStringAlignGrid::CellProperties(int c, int r) const {
    return findCell(c, r);
}

// The first level in cell, column, row order whose getter gives a value.
template <class F>
auto TStringAlignGrid::resolve(int c, int r, F get) const
    -> decltype(get((TCellProperties*)nullptr)) {
    for (TCellProperties* p : {findCell(c, r), colLevel(c, r), rowLevel(c, r)})
        if (p)
            if (auto v = get(p)) return v;
    return {};
}

TMyFont* TStringAlignGrid::fontOf(TCellProperties& p) {
    if (!p.Font) {
        p.Font = std::make_unique<TMyFont>();
        p.Font->Assign(*Font());
        p.Font->Changed = false;
        bindFont(*p.Font);
    }
    return p.Font.get();
}
TMyBrush* TStringAlignGrid::brushOf(TCellProperties& p) {
    if (!p.Brush) {
        p.Brush = std::make_unique<TMyBrush>();
        p.Brush->Assign(TBrush{Color(), TBrushStyle::bsSolid});
        p.Brush->Changed = false;
        bindBrush(*p.Brush);
    }
    return p.Brush.get();
}
TControlInfo* TStringAlignGrid::controlOf(TCellProperties& p) {
    if (!p.ControlInfo) {
        p.ControlInfo = std::make_unique<TControlInfo>();
        p.ControlInfo->AssignControlInfo(&defaultControl_);
        p.ControlInfo->ChangedFlag = false;
        p.ControlInfo->OnChange = [this] { Invalidate(); };
    }
    return p.ControlInfo.get();
}

// ---- Grid-wide settings ----

void TStringAlignGrid::SetEditMask(const std::string& v) {
    if (v == editMask_) return;
    editMask_ = v;
    Invalidate();
}
void TStringAlignGrid::SetAlignment(TMyAlign v) {
    if (v == alignment_) return;
    alignment_ = v;
    Invalidate();
}
void TStringAlignGrid::SetWordwrap(T_Wordwrap v) {
    if (v == wordwrap_) return;
    wordwrap_ = v;
    Invalidate();
}
void TStringAlignGrid::SetSelectedCellColor(TColor c) {
    selColor_ = c;
    Invalidate();
}
void TStringAlignGrid::SetSelectedFontColor(TColor c) {
    selFontColor_ = c;
    Invalidate();
}
void TStringAlignGrid::SetGridLineColor(TColor c) {
    lineColor_ = c;
    Invalidate();
}
void TStringAlignGrid::SetDrawSelection(bool v) {
    drawSelection_ = v;
    Invalidate();
}
void TStringAlignGrid::SetFixedColor(TColor c) {
    TStringGrid::SetFixedColor(c);
    fixedBrush_.SetColor(c);
    Invalidate();
}
void TStringAlignGrid::SetAutoAdjustLastCol(bool v) {
    autoAdjust_ = v;
    if (v) AdjustLastCol();
}

// ---- Per-level settings ----

void TStringAlignGrid::SetAlignCell(int c, int r, TMyAlign v) {
    if (c < 0 || r < 0) return;
    makeCell(c, r).Align = v;
    Invalidate();
}
void TStringAlignGrid::SetAlignCol(int c, TMyAlign v) {
    if (c < 0) return;
    make(colTab_, c).Align = v;
    Invalidate();
}
void TStringAlignGrid::SetAlignFixedCol(int c, TMyAlign v) {
    if (c < 0) return;
    make(fixedColTab_, c).Align = v;
    Invalidate();
}
void TStringAlignGrid::SetAlignRow(int r, TMyAlign v) {
    if (r < 0) return;
    make(rowTab_, r).Align = v;
    Invalidate();
}
void TStringAlignGrid::SetAlignFixedRow(int r, TMyAlign v) {
    if (r < 0) return;
    make(fixedRowTab_, r).Align = v;
    Invalidate();
}
TMyAlign TStringAlignGrid::GetAlignCell(int c, int r) const {
    int v = resolve(c, r, [](TCellProperties* p) {
        return p->Align == TMyAlign::alDefault ? 0 : (int)p->Align + 1;
    });
    if (v) return (TMyAlign)(v - 1);
    return alignment_ == TMyAlign::alDefault ? TMyAlign::alLeft : alignment_;
}
void TStringAlignGrid::ResetAlignCell(int c, int r) {
    if (TCellProperties* p = findCell(c, r)) p->Align = TMyAlign::alDefault;
    Invalidate();
}
T_Wordwrap TStringAlignGrid::GetWordwrapCell(int c, int r) const {
    int v = resolve(c, r, [](TCellProperties* p) {
        return p->Wordwrap == T_Wordwrap::ww_default ? 0 : (int)p->Wordwrap + 1;
    });
    if (v) return (T_Wordwrap)(v - 1);
    return wordwrap_ == T_Wordwrap::ww_default ? T_Wordwrap::ww_none : wordwrap_;
}
void TStringAlignGrid::ResetWordwrapCell(int c, int r) {
    if (TCellProperties* p = findCell(c, r)) p->Wordwrap = T_Wordwrap::ww_default;
    Invalidate();
}
void TStringAlignGrid::SetEditCell(int c, int r, bool v) {
    if (c >= 0 && r >= 0) makeCell(c, r).EditPermission = v ? 2 : 1;
}
void TStringAlignGrid::SetEditCol(int c, bool v) {
    if (c >= 0) make(colTab_, c).EditPermission = v ? 2 : 1;
}
void TStringAlignGrid::SetEditRow(int r, bool v) {
    if (r >= 0) make(rowTab_, r).EditPermission = v ? 2 : 1;
}
bool TStringAlignGrid::GetEditCell(int c, int r) const {
    int v = resolve(c, r, [](TCellProperties* p) { return (int)p->EditPermission; });
    return v ? v == 2 : Editable;
}
void TStringAlignGrid::ResetEditCell(int c, int r) {
    if (TCellProperties* p = findCell(c, r)) p->EditPermission = 0;
    Invalidate();
}

TMyFont* TStringAlignGrid::GetFontCell(int c, int r) {
    return c < 0 || r < 0 ? nullptr : fontOf(makeCell(c, r));
}
TMyFont* TStringAlignGrid::GetFontCol(int c) {
    return c < 0 ? nullptr : fontOf(make(colTab_, c));
}
TMyFont* TStringAlignGrid::GetFontFixedCol(int c) {
    return c < 0 ? nullptr : fontOf(make(fixedColTab_, c));
}
TMyFont* TStringAlignGrid::GetFontRow(int r) {
    return r < 0 ? nullptr : fontOf(make(rowTab_, r));
}
TMyFont* TStringAlignGrid::GetFontFixedRow(int r) {
    return r < 0 ? nullptr : fontOf(make(fixedRowTab_, r));
}
const TFont* TStringAlignGrid::GetCellFont(int c, int r) const {
    const TFont* f =
        resolve(c, r, [](TCellProperties* p) -> const TFont* { return p->Font.get(); });
    if (f) return f;
    return isFixed(c, r) ? &fixedFont_ : const_cast<TStringAlignGrid*>(this)->Font();
}
void TStringAlignGrid::ResetFontCell(int c, int r) {
    if (TCellProperties* p = findCell(c, r)) p->Font.reset();
    Invalidate();
}

TMyBrush* TStringAlignGrid::GetBrushCell(int c, int r) {
    return c < 0 || r < 0 ? nullptr : brushOf(makeCell(c, r));
}
TMyBrush* TStringAlignGrid::GetBrushCol(int c) {
    return c < 0 ? nullptr : brushOf(make(colTab_, c));
}
TMyBrush* TStringAlignGrid::GetBrushFixedCol(int c) {
    return c < 0 ? nullptr : brushOf(make(fixedColTab_, c));
}
TMyBrush* TStringAlignGrid::GetBrushRow(int r) {
    return r < 0 ? nullptr : brushOf(make(rowTab_, r));
}
TMyBrush* TStringAlignGrid::GetBrushFixedRow(int r) {
    return r < 0 ? nullptr : brushOf(make(fixedRowTab_, r));
}
TBrush TStringAlignGrid::GetCellBrush(int c, int r) const {
    const TMyBrush* b = resolve(c, r, [](TCellProperties* p) { return p->Brush.get(); });
    if (b) return b->Data();
    return isFixed(c, r) ? fixedBrush_.Data() : TBrush{Color(), TBrushStyle::bsSolid};
}
void TStringAlignGrid::ResetBrushCell(int c, int r) {
    if (TCellProperties* p = findCell(c, r)) p->Brush.reset();
    Invalidate();
}

namespace {
void setSelectedBrush(TCellProperties& p, TColor v) {
    TMyBrush plain;
    plain.Assign(TBrush{v, TBrushStyle::bsSolid});
    p.CopyBrush(p.SelectedBrush, &plain);
    p.SelectedBrush->Changed = true;
}
}  // namespace

void TStringAlignGrid::SetSelectedColorCell(int c, int r, TColor v) {
    if (c < 0 || r < 0) return;
    setSelectedBrush(makeCell(c, r), v);
    Invalidate();
}
void TStringAlignGrid::SetSelectedColorCol(int c, TColor v) {
    if (c < 0) return;
    setSelectedBrush(make(colTab_, c), v);
    Invalidate();
}
void TStringAlignGrid::SetSelectedColorRow(int r, TColor v) {
    if (r < 0) return;
    setSelectedBrush(make(rowTab_, r), v);
    Invalidate();
}
TColor TStringAlignGrid::GetSelectedColorCell(int c, int r) const {
    for (TCellProperties* p : {findCell(c, r), find(colTab_, c), find(rowTab_, r)})
        if (p && p->SelectedBrush) return p->SelectedBrush->Color();
    return selColor_;
}
void TStringAlignGrid::ResetSelectedColorCell(int c, int r) {
    if (TCellProperties* p = findCell(c, r)) p->SelectedBrush.reset();
    Invalidate();
}
TColor TStringAlignGrid::GetSelectedFontColorCell(int c, int r) const {
    for (TCellProperties* p : {findCell(c, r), find(colTab_, c), find(rowTab_, r)})
        if (p && p->SelectedFont) return p->SelectedFont->Color();
    return selFontColor_;
}
void TStringAlignGrid::ResetSelectedFontCell(int c, int r) {
    if (TCellProperties* p = findCell(c, r)) p->SelectedFont.reset();
    Invalidate();
}
void TStringAlignGrid::SetEditMaskCell(int c, int r, const std::string& v) {
    if (c < 0 || r < 0) return;
    makeCell(c, r).EditMask = v;
    Invalidate();
}
std::string TStringAlignGrid::GetEditMaskCell(int c, int r) const {
    for (TCellProperties* p : {findCell(c, r), find(colTab_, c), find(rowTab_, r)})
        if (p && !p->EditMask.empty()) return p->EditMask;
    return editMask_;
}
void TStringAlignGrid::ResetEditMaskCell(int c, int r) {
    if (TCellProperties* p = findCell(c, r)) p->EditMask.clear();
    Invalidate();
}

TControlInfo* TStringAlignGrid::GetControlInfoCell(int c, int r) {
    return c < 0 || r < 0 ? nullptr : controlOf(makeCell(c, r));
}
TControlInfo* TStringAlignGrid::GetControlInfoCol(int c) {
    return c < 0 ? nullptr : controlOf(make(colTab_, c));
}
TControlInfo* TStringAlignGrid::GetControlInfoRow(int r) {
    return r < 0 ? nullptr : controlOf(make(rowTab_, r));
}
const TControlInfo* TStringAlignGrid::GetCellControlInfo(int c, int r) const {
    for (TCellProperties* p : {findCell(c, r), find(colTab_, c), find(rowTab_, r)})
        if (p && p->ControlInfo && p->ControlInfo->Kind() != 0) return p->ControlInfo.get();
    return &defaultControl_;
}
void TStringAlignGrid::ResetControlInfoCell(int c, int r) {
    if (TCellProperties* p = findCell(c, r)) p->ControlInfo.reset();
    Invalidate();
}

const std::string* TStringAlignGrid::FindHintCell(int c, int r) const {
    if (c < 0 || c >= (int)hintTab_.size() || r < 0 || r >= (int)hintTab_[c].size()) return nullptr;
    return hintTab_[c][r].get();
}
std::string TStringAlignGrid::GetHintCell(int c, int r) const {
    const std::string* h = FindHintCell(c, r);
    return h ? *h : Hint();
}
void TStringAlignGrid::SetHintCell(int c, int r, const std::string& v) {
    if (c < 0 || r < 0) return;
    if (c >= (int)hintTab_.size()) hintTab_.resize(c + 1);
    if (r >= (int)hintTab_[c].size()) hintTab_[c].resize(r + 1);
    hintTab_[c][r] = std::make_unique<std::string>(v);
    hasHints_ = true;
}

TObject* TStringAlignGrid::FindFontCell(int c, int r) {
    TCellProperties* p = findCell(c, r);
    return p ? p->Font.get() : nullptr;
}
TObject* TStringAlignGrid::FindFontCol(int c) {
    TCellProperties* p = find(colTab_, c);
    return p ? p->Font.get() : nullptr;
}
TObject* TStringAlignGrid::FindFontFixedCol(int c) {
    TCellProperties* p = find(fixedColTab_, c);
    return p ? p->Font.get() : nullptr;
}
TObject* TStringAlignGrid::FindFontRow(int r) {
    TCellProperties* p = find(rowTab_, r);
    return p ? p->Font.get() : nullptr;
}
TObject* TStringAlignGrid::FindFontFixedRow(int r) {
    TCellProperties* p = find(fixedRowTab_, r);
    return p ? p->Font.get() : nullptr;
}
namespace {
TStringList* itemsOf(TCellProperties* p) {
    return p && p->ControlInfo ? p->ControlInfo->Items() : nullptr;
}
}  // namespace
TStringList* TStringAlignGrid::ControlItemsCell(int c, int r) {
    return itemsOf(findCell(c, r));
}
TStringList* TStringAlignGrid::ControlItemsCol(int c) {
    return itemsOf(find(colTab_, c));
}
TStringList* TStringAlignGrid::ControlItemsRow(int r) {
    return itemsOf(find(rowTab_, r));
}

void TStringAlignGrid::ResetCellProperties(int c, int r) {
    ResetAlignCell(c, r);
    ResetWordwrapCell(c, r);
    ResetEditCell(c, r);
    ResetFontCell(c, r);
    ResetBrushCell(c, r);
    ResetSelectedColorCell(c, r);
    ResetSelectedFontCell(c, r);
    ResetEditMaskCell(c, r);
    ResetControlInfoCell(c, r);
}

std::string TStringAlignGrid::GetCellValue(int c, int r) const {
    std::string s = Cells(c, r);
    if (isFixed(c, r)) return s;
    const TControlInfo* ci = GetCellControlInfo(c, r);
    if (ci->Kind() != 2) return s;
    return s == ci->CheckedValue() ? ci->CheckedValue() : ci->UncheckedValue();
}
void TStringAlignGrid::SetCellValue(int c, int r, const std::string& v) {
    SetCells(c, r, v);
}

void TStringAlignGrid::SetControlInfo(int c, int r, int kind, const std::string& text, int index) {
    TControlInfo* ci = nullptr;
    if (c >= 0 && r >= 0)
        ci = GetControlInfoCell(c, r);
    else if (c >= 0)
        ci = GetControlInfoCol(c);
    else if (r >= 0)
        ci = GetControlInfoRow(r);
    if (!ci) return;
    ci->SetKind((uint8_t)std::clamp(kind, 0, 255));
    switch (kind) {
        case 1:
        case 4:
            ci->SetText(text);
            break;
        case 2: {
            size_t semi = text.find(';');
            ci->SetCheckedValue(semi == std::string::npos ? "" : text.substr(0, semi));
            ci->SetUncheckedValue(semi == std::string::npos ? "" : text.substr(semi + 1));
            break;
        }
        case 3: {
            TGridStrings items;
            items.SetText(text);
            items.ListOnly = index != 0;
            ci->SetItems(items);
            break;
        }
        default:
            break;
    }
}

std::string TStringAlignGrid::FormatMaskedText(const std::string& mask, const std::string& v) {
    return FormatMaskText(mask, v);
}

// ---- Rows and columns -----------------------------------------------------------------------

template <class T>
void TStringAlignGrid::moveEntry(std::vector<T>& v, int from, int to) {
    int need = std::max(from, to) + 1;
    if ((int)v.size() < need) {
        if ((int)v.size() <= from) {
            // Nothing stored at `from`: an empty entry moves.
            if ((int)v.size() > to) v.insert(v.begin() + to, T{}), v.pop_back();
            return;
        }
        v.resize(need);
    }
    T e = std::move(v[from]);
    v.erase(v.begin() + from);
    v.insert(v.begin() + to, std::move(e));
}

// Texts move through the base grid's own move; its moved event is not
// raised for what the grid does itself.
void TStringAlignGrid::moveTexts(bool rows, int from, int to) {
    if (from == to) return;
    TMovedEvent saved = rows ? OnRowMoved : OnColumnMoved;
    (rows ? OnRowMoved : OnColumnMoved) = TMovedEvent();
    if (rows)
        TStringGrid::RowMoved(from, to);
    else
        TStringGrid::ColumnMoved(from, to);
    (rows ? OnRowMoved : OnColumnMoved) = saved;
}

void TStringAlignGrid::clearTexts(bool rows, int index) {
    int n = rows ? ColCount() : RowCount();
    for (int k = 0; k < n; ++k) {
        int c = rows ? k : index, r = rows ? index : k;
        if (!Cells(c, r).empty()) SetCells(c, r, "");
        if (Objects(c, r)) SetObjects(c, r, nullptr);
    }
}

void TStringAlignGrid::InsertRow(int row) {
    row = std::max(row, FixedRows());
    if (row > RowCount()) row = RowCount();
    bool hidden = false;
    if (EditorMode() && InplaceEditor() && InplaceEditor()->Visible() && Row() >= row) {
        HideEditor();
        hidden = true;
    }
    int cur = Row();
    SetRowCount(RowCount() + 1);
    if (row < (int)rowTab_.size()) rowTab_.insert(rowTab_.begin() + row, nullptr);
    for (auto& col : cellTab_)
        if (row < (int)col.size()) col.insert(col.begin() + row, nullptr);
    for (auto& col : hintTab_)
        if (row < (int)col.size()) col.insert(col.begin() + row, nullptr);
    clearTexts(true, RowCount() - 1);
    moveTexts(true, RowCount() - 1, row);
    if (cur >= row && cur + 1 < RowCount()) SetRow(cur + 1);
    if (hidden) ShowEditor();
    Invalidate();
}

void TStringAlignGrid::InsertCol(int col) {
    col = std::max(col, FixedCols());
    if (col > ColCount()) col = ColCount();
    bool hidden = false;
    if (EditorMode() && InplaceEditor() && InplaceEditor()->Visible() && Col() >= col) {
        HideEditor();
        hidden = true;
    }
    int cur = Col();
    SetColCount(ColCount() + 1);
    if (col < (int)colTab_.size()) colTab_.insert(colTab_.begin() + col, nullptr);
    if (col < (int)cellTab_.size()) cellTab_.insert(cellTab_.begin() + col, Table());
    if (col < (int)hintTab_.size())
        hintTab_.insert(hintTab_.begin() + col, std::vector<std::unique_ptr<std::string>>());
    clearTexts(false, ColCount() - 1);
    moveTexts(false, ColCount() - 1, col);
    if (cur >= col && cur + 1 < ColCount()) SetCol(cur + 1);
    if (hidden) ShowEditor();
    Invalidate();
}

void TStringAlignGrid::RemoveRow(int row) {
    if (row < FixedRows() || row >= RowCount()) return;
    if (EditorMode() && InplaceEditor() && InplaceEditor()->Visible() && Row() >= row) HideEditor();
    int cur = Row();
    if (row < (int)rowTab_.size()) rowTab_.erase(rowTab_.begin() + row);
    for (auto& col : cellTab_)
        if (row < (int)col.size()) col.erase(col.begin() + row);
    for (auto& col : hintTab_)
        if (row < (int)col.size()) col.erase(col.begin() + row);
    moveTexts(true, row, RowCount() - 1);
    clearTexts(true, RowCount() - 1);
    if (RowCount() - FixedRows() > 1) SetRowCount(RowCount() - 1);
    if (cur > row) SetRow(cur - 1);
    if (EditorMode()) ShowEditor();
    Invalidate();
}

void TStringAlignGrid::RowMoved(int from, int to) {
    if (TNewInplaceEdit* ed = Editor()) {
        if (ed->EditedCell.Y == from)
            ed->EditedCell.Y = to;
        else if (ed->EditedCell.Y == to)
            ed->EditedCell.Y = to + 1;
    }
    moveEntry(rowTab_, from, to);
    for (auto& col : cellTab_) moveEntry(col, from, to);
    for (auto& col : hintTab_) moveEntry(col, from, to);
    TStringGrid::RowMoved(from, to);
}

void TStringAlignGrid::ColumnMoved(int from, int to) {
    if (TNewInplaceEdit* ed = Editor()) {
        if (ed->EditedCell.X == from)
            ed->EditedCell.X = to;
        else if (ed->EditedCell.X == to)
            ed->EditedCell.X = to + 1;
    }
    moveEntry(colTab_, from, to);
    moveEntry(cellTab_, from, to);
    moveEntry(hintTab_, from, to);
    TStringGrid::ColumnMoved(from, to);
}

void TStringAlignGrid::ExchangeRows(int r1, int r2) {
    if (r1 == r2 || r1 < 0 || r2 < 0 || r1 >= RowCount() || r2 >= RowCount()) return;
    bool hidden = false;
    if (EditorMode() && InplaceEditor() && InplaceEditor()->Visible() &&
        (Row() == r1 || Row() == r2)) {
        HideEditor();
        hidden = true;
    }
    int hi = std::max(r1, r2) + 1;
    auto swapIn = [&](auto& v) {
        if ((int)v.size() < hi) v.resize(hi);
        std::swap(v[r1], v[r2]);
    };
    swapIn(rowTab_);
    if ((int)cellTab_.size() < ColCount()) cellTab_.resize(ColCount());
    if ((int)hintTab_.size() < ColCount()) hintTab_.resize(ColCount());
    for (auto& col : cellTab_) swapIn(col);
    for (auto& col : hintTab_) swapIn(col);
    for (int c = 0; c < ColCount(); ++c) {
        std::string a = Cells(c, r1), b = Cells(c, r2);
        TObject *oa = Objects(c, r1), *ob = Objects(c, r2);
        SetCells(c, r1, b);
        SetCells(c, r2, a);
        SetObjects(c, r1, ob);
        SetObjects(c, r2, oa);
    }
    if (Row() == r1)
        SetRow(r2);
    else if (Row() == r2)
        SetRow(r1);
    if (hidden) ShowEditor();
}

void TStringAlignGrid::ExchangeCols(int c1, int c2) {
    if (c1 == c2 || c1 < 0 || c2 < 0 || c1 >= ColCount() || c2 >= ColCount()) return;
    bool hidden = false;
    if (EditorMode() && InplaceEditor() && InplaceEditor()->Visible() &&
        (Col() == c1 || Col() == c2)) {
        HideEditor();
        hidden = true;
    }
    int hi = std::max(c1, c2) + 1;
    if ((int)colTab_.size() < hi) colTab_.resize(hi);
    std::swap(colTab_[c1], colTab_[c2]);
    if ((int)cellTab_.size() < hi) cellTab_.resize(hi);
    std::swap(cellTab_[c1], cellTab_[c2]);
    if ((int)hintTab_.size() < hi) hintTab_.resize(hi);
    std::swap(hintTab_[c1], hintTab_[c2]);
    for (int r = 0; r < RowCount(); ++r) {
        std::string a = Cells(c1, r), b = Cells(c2, r);
        TObject *oa = Objects(c1, r), *ob = Objects(c2, r);
        SetCells(c1, r, b);
        SetCells(c2, r, a);
        SetObjects(c1, r, ob);
        SetObjects(c2, r, oa);
    }
    if (Col() == c1)
        SetCol(c2);
    else if (Col() == c2)
        SetCol(c1);
    if (hidden) ShowEditor();
}

void TStringAlignGrid::quickSort(bool rows, int colRow, int lo, int hi) {
    while (lo < hi) {
        int pivot = lo + (hi - lo) / 2, i = lo, j = hi;
        const TCompareFunction& cmp = rows ? OnCompareCol : OnCompareRow;
        while (i <= j) {
            while (i != pivot && cmp(this, colRow, pivot, i) == 2) ++i;
            while (j != pivot && cmp(this, colRow, j, pivot) == 2) --j;
            if (i > j) break;
            if (i != j) {
                rows ? ExchangeRows(i, j) : ExchangeCols(i, j);
                if (pivot == i)
                    pivot = j;
                else if (pivot == j)
                    pivot = i;
            }
            ++i;
            --j;
        }
        if (lo < j) quickSort(rows, colRow, lo, j);
        lo = i;
    }
}

void TStringAlignGrid::SortRows(int col, int fromRow, int toRow) {
    if (OnCompareCol) quickSort(true, col, std::max(fromRow, 0), std::min(toRow, RowCount() - 1));
}
void TStringAlignGrid::SortCols(int row, int fromCol, int toCol) {
    if (OnCompareRow) quickSort(false, row, std::max(fromCol, 0), std::min(toCol, ColCount() - 1));
}

// ---- Clipboard ------------------------------------------------------------------------------

namespace {
TGridRect normalised(TGridRect r, int cols, int rows) {
    if (r.Right < r.Left || r.Right < 0) r.Right = cols - 1;
    if (r.Left < 0) r.Left = 0;
    if (r.Bottom < r.Top || r.Bottom < 0) r.Bottom = rows - 1;
    if (r.Top < 0) r.Top = 0;
    return r;
}
}  // namespace

std::unique_ptr<TStream> TStringAlignGrid::CopyToStream(TStream* stream, char separator,
                                                        TGridRect range) {
    std::unique_ptr<TStream> made;
    if (!stream) {
        made = std::make_unique<TMemoryStream>();
        stream = made.get();
    }
    std::string text;
    for (int r = range.Top; r <= range.Bottom; ++r) {
        for (int c = range.Left; c <= range.Right; ++c) {
            text += GetCellValue(c, r);
            text += separator;
        }
        text += "\r\n";
    }
    WriteStringToStream(*stream, text);
    return made;
}

void TStringAlignGrid::PasteFromStream(TStream& stream, char separator, TGridRect range) {
    std::string text;
    stream.SetPosition(0);
    char buf[4096];
    for (int64_t n; (n = stream.Read(buf, sizeof buf)) > 0;) text.append(buf, (size_t)n);
    TStringList lines;
    lines.SetText(text);
    int left = std::max(range.Left, 0), top = std::max(range.Top, 0);
    bool noBottom = range.Bottom < range.Top, noRight = range.Right < range.Left;
    int row = top;
    for (int i = 0; i < lines.Count() && (noBottom || row <= range.Bottom); ++i, ++row) {
        if (row >= RowCount()) SetRowCount(row + 1);
        std::string line = lines[i] + separator;
        int col = left;
        size_t pos = 0;
        while ((noRight || col <= range.Right) && line.size() - pos > 1) {
            size_t sep = line.find(separator, pos);
            if (col >= ColCount()) SetColCount(col + 1);
            SetCellValue(col, row, line.substr(pos, sep - pos));
            pos = sep + 1;
            ++col;
        }
    }
}

void TStringAlignGrid::CopyToClipboard() {
    TMemoryStream s;
    CopyToStream(&s, '\t', normalised(Selection(), ColCount(), RowCount()));
    StreamToClipboard(s, kClipboardText);
}
void TStringAlignGrid::CutToClipboard() {
    TGridRect r = normalised(Selection(), ColCount(), RowCount());
    TMemoryStream s;
    CopyToStream(&s, '\t', r);
    StreamToClipboard(s, kClipboardText);
    for (int row = r.Top; row <= r.Bottom; ++row)
        for (int c = r.Left; c <= r.Right; ++c) SetCellValue(c, row, "");
}
void TStringAlignGrid::PasteFromClipboard() {
    TMemoryStream s;
    ClipboardToStream(s, kClipboardText);
    PasteFromStream(s, '\t', Selection());
}

// ---- Stored settings ------------------------------------------------------------------------

std::vector<std::pair<std::string, std::string>> TStringAlignGrid::WriteStoredProperties() const {
    std::vector<std::pair<std::string, std::string>> out;
    if (hasHints_) {
        TStoredWriter w;
        w.ListBegin();
        for (int c = 0; c < (int)hintTab_.size(); ++c)
            for (int r = 0; r < (int)hintTab_[c].size(); ++r)
                if (hintTab_[c][r]) {
                    w.Int(c);
                    w.Int(r);
                    w.Str(*hintTab_[c][r]);
                }
        w.ListEnd();
        out.emplace_back("HintCell", w.Bytes);
    }
    if (StoreCells) {
        TStoredWriter w;
        w.ListBegin();
        for (int c = 0; c < ColCount(); ++c)
            for (int r = 0; r < RowCount(); ++r) {
                std::string v = GetCellValue(c, r);
                if (v.empty()) continue;
                w.Int(c);
                w.Int(r);
                w.Str(v);
            }
        w.ListEnd();
        out.emplace_back("Cells", w.Bytes);
    }
    {
        TStoredWriter w;
        w.ListBegin();
        for (int c = 0; c < std::min((int)cellTab_.size(), ColCount()); ++c)
            for (int r = 0; r < std::min((int)cellTab_[c].size(), RowCount()); ++r)
                if (cellTab_[c][r] && !cellTab_[c][r]->IsEmpty()) {
                    w.Int(c);
                    w.Int(r);
                    cellTab_[c][r]->WriteProperties(w.Bytes);
                }
        w.ListEnd();
        out.emplace_back("PropCell", w.Bytes);
    }
    auto level = [&](const char* key, const Table& t, int count) {
        TStoredWriter w;
        w.ListBegin();
        for (int i = 0; i < std::min((int)t.size(), count); ++i)
            if (t[i]) {
                w.Int(i);
                t[i]->WriteProperties(w.Bytes);
            }
        w.ListEnd();
        out.emplace_back(key, w.Bytes);
    };
    level("PropCol", colTab_, ColCount());
    level("PropRow", rowTab_, RowCount());
    level("PropFixedCol", fixedColTab_, ColCount());
    level("PropFixedRow", fixedRowTab_, RowCount());
    return out;
}

void TStringAlignGrid::ReadStoredProperty(const std::string& key, const std::string& value) {
    TStoredReader in(value);
    auto readRecord = [&](std::unique_ptr<TCellProperties>& slot) {
        auto p = std::make_unique<TCellProperties>(this);
        for (int tag; (tag = in.Int()) != 0;) p->ReadProperty(tag, in);
        slot = std::move(p);
    };
    auto index16 = [&] { return (int)((uint32_t)in.Int() & 0xFFFF); };
    if (key == "HintCell" || key == "Cells") {
        if (key == "Cells" && !storedCells_)
            storedCells_ = std::make_unique<std::vector<std::pair<TGridCoord, std::string>>>();
        in.ListBegin();
        while (!in.EndOfList()) {
            int c = in.Int(), r = in.Int();
            std::string s = in.Str();
            if (c < 0 || r < 0 || c > kMaxStoredIndex || r > kMaxStoredIndex) continue;
            if (key == "HintCell")
                SetHintCell(c, r, s);
            else
                storedCells_->push_back({{c, r}, s});
        }
        in.ListEnd();
        if (key == "Cells") StoreCells = true;
        return;
    }
    if (key == "PropCell") {
        in.ListBegin();
        while (!in.EndOfList()) {
            int c = index16(), r = index16();
            if (c >= (int)cellTab_.size()) cellTab_.resize(c + 1);
            if (r >= (int)cellTab_[c].size()) cellTab_[c].resize(r + 1);
            readRecord(cellTab_[c][r]);
        }
        in.ListEnd();
        return;
    }
    Table* t = key == "PropCol"        ? &colTab_
               : key == "PropRow"      ? &rowTab_
               : key == "PropFixedCol" ? &fixedColTab_
               : key == "PropFixedRow" ? &fixedRowTab_
                                       : nullptr;
    if (t) {
        in.ListBegin();
        while (!in.EndOfList()) {
            int i = index16();
            if (i >= (int)t->size()) t->resize(i + 1);
            readRecord((*t)[i]);
        }
        in.ListEnd();
        return;
    }
    readOldKey(key, in);
    Invalidate();
}

void TStringAlignGrid::readOldKey(const std::string& key, TStoredReader& in) {
    auto le16 = [](const std::string& s, size_t at) {
        return (int)((uint8_t)s[at] | ((uint8_t)s[at + 1] << 8));
    };
    auto levelTable = [&](const std::string& name) -> Table* {
        if (name == "Col") return &colTab_;
        if (name == "FixedCol") return &fixedColTab_;
        if (name == "Row") return &rowTab_;
        if (name == "FixedRow") return &fixedRowTab_;
        return nullptr;
    };
    auto startsWith = [&](const char* p) { return key.rfind(p, 0) == 0; };
    std::string all;
    while (!in.AtEnd()) all += (char)in.Byte();
    // Binary records of the old layout.
    if (key == "AlignCell" || key == "EditCell") {
        for (size_t at = 0; at + 5 <= all.size(); at += 5) {
            int c = le16(all, at), r = le16(all, at + 2), v = (uint8_t)all[at + 4];
            if (key == "AlignCell" && v <= 3)
                SetAlignCell(c, r, (TMyAlign)v);
            else if (key == "EditCell")
                SetEditCell(c, r, v != 0);
        }
        return;
    }
    if (key == "AlignCol" || key == "FixedAlignCol" || key == "AlignRow" ||
        key == "FixedAlignRow" || key == "EditCol" || key == "EditRow") {
        for (size_t at = 0; at + 3 <= all.size(); at += 3) {
            int i = le16(all, at), v = (uint8_t)all[at + 2];
            if (key == "EditCol")
                SetEditCol(i, v != 0);
            else if (key == "EditRow")
                SetEditRow(i, v != 0);
            else if (v <= 3) {
                Table* t = key == "AlignCol"        ? &colTab_
                           : key == "FixedAlignCol" ? &fixedColTab_
                           : key == "AlignRow"      ? &rowTab_
                                                    : &fixedRowTab_;
                make(*t, i).Align = (TMyAlign)v;
            }
        }
        return;
    }
    // Lists of the old layout.
    TStoredReader list(all);
    bool cellKey = key.size() > 4 && key.compare(key.size() - 4, 4, "Cell") == 0;
    std::string kind = startsWith("SelectedColor") ? "SelectedColor"
                       : startsWith("Font")        ? "Font"
                       : startsWith("Brush")       ? "Brush"
                       : startsWith("Color")       ? "Color"
                                                   : "";
    if (kind.empty()) return;
    std::string levelName = key.substr(kind.size());
    Table* t = cellKey ? nullptr : levelTable(levelName);
    if (!cellKey && !t) return;
    bool wrap16 = kind == "Font" || kind == "Brush";
    auto index = [&] {
        int v = list.Int();
        return wrap16 ? (int)((uint32_t)v & 0xFFFF) : v;
    };
    list.ListBegin();
    while (!list.EndOfList()) {
        int c = index(), r = cellKey ? index() : 0;
        bool skip = c < 0 || r < 0 || c > kMaxStoredIndex || r > kMaxStoredIndex;
        TCellProperties* p = nullptr;
        if (!skip) p = cellKey ? &makeCell(c, r) : &make(*t, c);
        if (kind == "Font") {
            TMyFont f;
            readFont(list, f);
            if (p) fontOf(*p)->Assign(f);
        } else if (kind == "Brush") {
            TMyBrush b;
            readBrush(list, b);
            if (p) brushOf(*p)->Assign(b.Data());
        } else {
            TColor v = (TColor)list.Int();
            if (!p) continue;
            if (kind == "Color")
                brushOf(*p)->SetColor(v);
            else
                setSelectedBrush(*p, v);
        }
    }
    list.ListEnd();
}

void TStringAlignGrid::Loaded() {
    if (storedCells_) {
        for (int c = 0; c < ColCount(); ++c)
            for (int r = 0; r < RowCount(); ++r) SetCells(c, r, "");
        for (auto& [at, text] : *storedCells_) SetCells(at.X, at.Y, text);
        storedCells_.reset();
    }
    restoreEditor_ = Options().Contains(TGridOption::goAlwaysShowEditor);
    if (SelectEditText) savedSelLength_ = -1;
    HideEditor();
}

}  // namespace ktrb

namespace ktrb {

using namespace plat;

PLAT_PUBLISH(TStringAlignGrid) {
    p.Prop("EditMask", &TStringAlignGrid::EditMask, &TStringAlignGrid::SetEditMask);
    p.Prop("Alignment", &TStringAlignGrid::Alignment, &TStringAlignGrid::SetAlignment);
    p.Prop("Wordwrap", &TStringAlignGrid::Wordwrap, &TStringAlignGrid::SetWordwrap);
    p.Prop("Editable", &TStringAlignGrid::Editable);
    p.Color("SelectedCellColor", &TStringAlignGrid::SelectedCellColor,
            &TStringAlignGrid::SetSelectedCellColor);
    p.Color("SelectedFontColor", &TStringAlignGrid::SelectedFontColor,
            &TStringAlignGrid::SetSelectedFontColor);
    p.Prop("ShowCellHints", &TStringAlignGrid::ShowCellHints);
    p.Prop("SelectEditText", &TStringAlignGrid::SelectEditText);
    p.Prop("EditMultiline", &TStringAlignGrid::EditMultiline);
    p.Prop("AutoEditNextCell", &TStringAlignGrid::AutoEditNextCell);
    p.Prop("NextCellEdit", &TStringAlignGrid::NextCellEdit);
    p.Prop("NextCellTab", &TStringAlignGrid::NextCellTab);
    p.Prop("AfterLastCellEdit", &TStringAlignGrid::AfterLastCellEdit);
    p.Prop("AfterLastCellTab", &TStringAlignGrid::AfterLastCellTab);
    p.Prop("DrawSelection", &TStringAlignGrid::DrawSelection, &TStringAlignGrid::SetDrawSelection);
    p.Prop("AutoAdjustLastCol", &TStringAlignGrid::AutoAdjustLastCol,
           &TStringAlignGrid::SetAutoAdjustLastCol);
    p.Prop("RedrawWhileScroll", &TStringAlignGrid::RedrawWhileScroll);
    p.Color("GridLineColor", &TStringAlignGrid::GridLineColor, &TStringAlignGrid::SetGridLineColor);
    p.Prop("OnValidateEdit", &TStringAlignGrid::OnValidateEdit, nullptr, "TCellEventBool");
    p.Prop("OnComboBoxClick", &TStringAlignGrid::OnComboBoxClick);
    p.Prop("OnCalcCellColors", &TStringAlignGrid::OnCalcCellColors, nullptr,
           "TAlignCalcCellColorsEvent");
}

}  // namespace ktrb
