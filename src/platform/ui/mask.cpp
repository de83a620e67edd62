#include "platform/ui/mask.h"

#include <QApplication>
#include <QClipboard>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/ui/editbox.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

namespace {
bool IsLetter(char32_t c) {
    return c < 0x80 ? std::isalpha((int)c) != 0 : c > 0xA0;
}
bool IsDigit(char32_t c) {
    return c >= '0' && c <= '9';
}
}  // namespace

TEditMask::TEditMask(const std::string& editMask) {
    std::u32string u = Utf8ToU32(editMask);
    std::u32string mask;
    size_t i = 0;
    for (; i < u.size(); ++i) {
        if (u[i] == '\\' && i + 1 < u.size()) {
            mask += u[i];
            mask += u[++i];
            continue;
        }
        if (u[i] == ';') break;
        mask += u[i];
    }
    std::vector<std::u32string> fields;
    if (i < u.size()) {
        std::u32string cur;
        for (size_t k = i + 1; k < u.size(); ++k) {
            if (u[k] == ';') {
                fields.push_back(cur);
                cur.clear();
            } else {
                cur += u[k];
            }
        }
        fields.push_back(cur);
    }
    if (!fields.empty() && !fields[0].empty()) save_ = fields[0][0] != '0';
    if (fields.size() > 1 && !fields[1].empty()) blank_ = fields[1][0];

    Case c = Case::None;
    for (size_t j = 0; j < mask.size(); ++j) {
        char32_t m = mask[j];
        switch (m) {
            case '\\':
                if (j + 1 < mask.size()) positions_.push_back({Kind::Literal, mask[++j], c});
                break;
            case '!':
                reverse_ = true;
                break;
            case '>':
                if (j + 1 < mask.size() && mask[j + 1] == '<') {
                    c = Case::None;
                    ++j;
                } else
                    c = Case::Upper;
                break;
            case '<':
                if (j + 1 < mask.size() && mask[j + 1] == '>') {
                    c = Case::None;
                    ++j;
                } else
                    c = Case::Lower;
                break;
            case 'L':
            case 'A':
            case 'C':
            case '0':
                positions_.push_back({Kind::Required, m, c});
                break;
            case 'l':
            case 'a':
            case 'c':
            case '9':
            case '#':
                positions_.push_back({Kind::Optional, m, c});
                break;
            case '_':
                positions_.push_back({Kind::Literal, ' ', c});
                break;
            default:
                positions_.push_back({Kind::Literal, m, c});
                break;
        }
    }
}

bool TEditMask::IsLiteral(int pos) const {
    return pos >= 0 && pos < Length() && positions_[pos].kind == Kind::Literal;
}

bool TEditMask::accepts(const Position& p, char32_t ch) const {
    bool optional = p.kind == Kind::Optional;
    if (optional && ch == ' ') return true;
    switch (p.mask) {
        case '0':
        case '9':
            return IsDigit(ch);
        case '#':
            return IsDigit(ch) || ch == '+' || ch == '-';
        case 'L':
        case 'l':
            return IsLetter(ch);
        case 'A':
        case 'a':
            return IsLetter(ch) || IsDigit(ch);
        case 'C':
            return ch >= 32;
        default:
            return true;
    }
}

namespace {
char32_t ApplyCase(char32_t ch, int c) {
    if (c == 1 && ch >= 'a' && ch <= 'z') return ch - 32;
    if (c == 2 && ch >= 'A' && ch <= 'Z') return ch + 32;
    return ch;
}
}  // namespace

int TEditMask::NextEditable(int pos) const {
    while (pos < Length() && positions_[pos].kind == Kind::Literal) ++pos;
    return std::min(pos, Length());
}

std::string TEditMask::EmptyEditText() const {
    std::u32string out;
    for (auto& p : positions_) out += p.kind == Kind::Literal ? p.mask : blank_;
    return U32ToUtf8(out);
}

std::string TEditMask::EditTextOf(const std::string& text) const {
    std::u32string v = Utf8ToU32(text);
    std::u32string out(Length(), blank_);
    if (save_) {
        // Each run of input positions takes the value's characters up to the
        // literal that closes it.
        size_t k = 0;
        for (int i = 0; i < Length(); ++i) {
            const Position& p = positions_[i];
            if (p.kind == Kind::Literal) {
                out[i] = p.mask;
                if (k < v.size() && v[k] == p.mask) ++k;
                continue;
            }
            char32_t closing = 0;
            for (int j = i + 1; j < Length(); ++j)
                if (positions_[j].kind == Kind::Literal) {
                    closing = positions_[j].mask;
                    break;
                }
            if (k < v.size() && !(closing && v[k] == closing)) out[i] = v[k++];
        }
    } else {
        std::vector<int> edits;
        for (int i = 0; i < Length(); ++i) {
            if (positions_[i].kind == Kind::Literal)
                out[i] = positions_[i].mask;
            else
                edits.push_back(i);
        }
        size_t n = std::min(v.size(), edits.size());
        size_t offset = reverse_ ? edits.size() - n : 0;
        for (size_t j = 0; j < n; ++j) out[edits[offset + j]] = v[j];
    }
    for (int i = 0; i < Length(); ++i) {
        const Position& p = positions_[i];
        if (p.kind == Kind::Literal) continue;
        out[i] = ApplyCase(out[i], (int)p.charCase);
        if (out[i] == ' ' && p.mask != 'C' && p.mask != 'c') out[i] = blank_;
    }
    return U32ToUtf8(out);
}

std::string TEditMask::TextOf(const std::string& editText) const {
    std::u32string e = Utf8ToU32(editText);
    e.resize(Length(), blank_);
    std::u32string s;
    for (int i = 0; i < Length(); ++i)
        if (positions_[i].kind != Kind::Literal) s += e[i];
    if (reverse_) {
        size_t k = 0;
        while (k < s.size() && s[k] == blank_) ++k;
        s = s.substr(k);
    } else {
        while (!s.empty() && s.back() == blank_) s.pop_back();
    }
    for (auto& c : s)
        if (c == blank_) c = ' ';
    if (!save_) return U32ToUtf8(s);
    std::u32string out(Length(), ' ');
    int edits = 0;
    for (auto& p : positions_) edits += p.kind != Kind::Literal;
    // Left or right aligned, as the value was cut.
    int skip = reverse_ ? edits - (int)s.size() : 0;
    int k = 0, e2 = 0;
    for (int i = 0; i < Length(); ++i) {
        if (positions_[i].kind == Kind::Literal) {
            out[i] = positions_[i].mask;
            continue;
        }
        if (e2++ >= skip && k < (int)s.size()) out[i] = s[k++];
    }
    return U32ToUtf8(out);
}

bool TEditMask::Validate(const std::string& editText, int& pos) const {
    std::u32string e = Utf8ToU32(editText);
    e.resize(Length(), blank_);
    for (int i = 0; i < Length(); ++i) {
        const Position& p = positions_[i];
        if (p.kind != Kind::Required) continue;
        if (e[i] == blank_ || (e[i] == ' ' && p.mask != 'C')) {
            pos = i;
            return false;
        }
    }
    return true;
}

bool TEditMask::InputChar(std::u32string& edit, int& cursor, int selLength, char32_t ch) const {
    edit.resize(Length(), blank_);
    int start = cursor;
    int p = NextEditable(start);
    if (p >= Length()) return false;
    char32_t c = ApplyCase(ch, (int)positions_[p].charCase);
    if (!accepts(positions_[p], c)) return false;
    for (int i = start; i < start + selLength && i < Length(); ++i)
        if (positions_[i].kind != Kind::Literal) edit[i] = blank_;
    edit[p] = c == ' ' && positions_[p].mask != 'C' && positions_[p].mask != 'c' ? blank_ : c;
    cursor = NextEditable(p + 1);
    return true;
}

void TEditMask::Backspace(std::u32string& edit, int& cursor, int selLength) const {
    edit.resize(Length(), blank_);
    if (selLength > 0) {
        Delete(edit, cursor, selLength);
        return;
    }
    for (int q = std::min(cursor, Length()) - 1; q >= 0; --q) {
        if (positions_[q].kind == Kind::Literal) continue;
        edit[q] = blank_;
        cursor = q;
        return;
    }
}

void TEditMask::Delete(std::u32string& edit, int& cursor, int selLength) const {
    edit.resize(Length(), blank_);
    if (selLength > 0) {
        for (int i = cursor; i < cursor + selLength && i < Length(); ++i)
            if (positions_[i].kind != Kind::Literal) edit[i] = blank_;
        return;
    }
    int p = NextEditable(cursor);
    if (p < Length()) edit[p] = blank_;
}

std::string FormatMaskText(const std::string& editMask, const std::string& value) {
    TEditMask m(editMask);
    std::string edit = m.EditTextOf(value);
    std::u32string u = Utf8ToU32(edit);
    for (int i = 0; i < m.Length(); ++i)
        if (!m.IsLiteral(i) && u[i] == m.Blank()) u[i] = ' ';
    return U32ToUtf8(u);
}

// ---- Mask edit ----------------------------------------------------------------

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomMaskEdit::SetEditMask(const std::string& v) {
    if (v == editMask_) return;
    std::string text = GetText();
    editMask_ = v;
    mask_ = TEditMask(v);
    text_ = text;
    TextChanged();
}

std::string TCustomMaskEdit::EditText() const {
    return TCustomEdit::GetText();
}

void TCustomMaskEdit::SetEditText(const std::string& v) {
    SetBoxText(v);
    box_->setModified(false);
}

std::string TCustomMaskEdit::GetText() const {
    if (!IsMasked()) return TCustomEdit::GetText();
    return mask_.TextOf(EditText());
}

void TCustomMaskEdit::TextChanged() {
    if (!IsMasked()) {
        TCustomEdit::TextChanged();
        return;
    }
    SetEditText(mask_.EditTextOf(text_));
}

void TCustomMaskEdit::setEdit(const std::u32string& edit, int cursor) {
    SetBoxText(U32ToUtf8(edit));
    box_->setModified(true);
    box_->setSelection(cursor, 0);
}

void TCustomMaskEdit::KeyDown(uint16_t& key, TShiftState shift) {
    TCustomEdit::KeyDown(key, shift);
    MaskKeyDown(key, shift);
}

void TCustomMaskEdit::MaskKeyDown(uint16_t& key, TShiftState shift) {
    if (!IsMasked() || key != VK_DELETE || shift.Contains(ssAlt) || ReadOnly()) return;
    std::u32string e = Utf8ToU32(EditText());
    int cursor = SelStart();
    mask_.Delete(e, cursor, SelLength());
    setEdit(e, cursor);
    key = 0;
}

void TCustomMaskEdit::KeyPress(char32_t& key) {
    TCustomEdit::KeyPress(key);
    MaskKeyPress(key);
}

void TCustomMaskEdit::MaskKeyPress(char32_t& key) {
    if (!IsMasked() || key == 0 || key == 3 || key == 13) return;
    if (key == 27) {
        if (Modified()) {
            Reset();
            key = 0;
        }
        return;
    }
    if (ReadOnly()) return;
    std::u32string e = Utf8ToU32(EditText());
    int cursor = SelStart(), sel = SelLength();
    switch (key) {
        case 8:
            mask_.Backspace(e, cursor, sel);
            break;
        case 22: {
            std::u32string paste = Utf8ToU32(S(QApplication::clipboard()->text()));
            for (char32_t c : paste) {
                if (!mask_.InputChar(e, cursor, sel, c)) break;
                sel = 0;
            }
            break;
        }
        case 24:
            CopyToClipboard();
            mask_.Delete(e, cursor, sel);
            break;
        default:
            if (key < 32 || !mask_.InputChar(e, cursor, sel, key)) {
                key = 0;
                return;
            }
    }
    key = 0;
    setEdit(e, cursor);
}

void TCustomMaskEdit::DoEnter() {
    if (IsMasked() && !reEnter_) oldValue_ = EditText();
    reEnter_ = false;
    TCustomEdit::DoEnter();
}

void TCustomMaskEdit::ValidateEdit() {
    int pos = 0;
    if (!IsMasked() || !Modified() || mask_.Validate(EditText(), pos)) return;
    reEnter_ = true;
    if (CanFocus()) SetFocus();
    box_->setSelection(pos, 0);
    throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

void TCustomMaskEdit::DoExit() {
    ValidateEdit();
    TCustomEdit::DoExit();
}

void TCustomMaskEdit::Reset() {
    if (!Modified()) return;
    SetEditText(oldValue_);
}

// ---- Published properties --------------------------------------------------

PLAT_PUBLISH(TCustomMaskEdit) {
    p.Prop("EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask, "TEditMask");
    p.Prop("EditText", &TCustomMaskEdit::EditText, &TCustomMaskEdit::SetEditText);
}

PLAT_PUBLISH(TMaskEdit) {
    p.Prop("Text", &TMaskEdit::Text, &TMaskEdit::SetText, "TCaption");
}

}  // namespace plat
