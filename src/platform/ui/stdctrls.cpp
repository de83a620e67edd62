#include "platform/ui/stdctrls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QValidator>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/ui/editbox.h"
#include "platform/ui/forms.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

namespace {
bool AccelMatches(char32_t ch, const std::string& caption) {
    char32_t a = AccelCharOf(caption);
    if (ch >= 'a' && ch <= 'z') ch -= 32;
    return a && a == ch;
}

// Widths in the database code page, cut without splitting a character.
int WidthOf(const QString& s) {
    return TextWidth(S(s));
}
QString CutToCodePageWidth(const QString& s, int max) {
    return Q(CutToWidth(S(s), max));
}

QString ApplyCase(const QString& s, TEditCharCase c) {
    return c == TEditCharCase::ecUpperCase   ? s.toUpper()
           : c == TEditCharCase::ecLowerCase ? s.toLower()
                                             : s;
}
}  // namespace

// ---- Label -------------------------------------------------------------------

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    ControlStyle.Include(TControlStyleItem::csOpaque);
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
    AdjustBounds();
}

unsigned TCustomLabel::DrawFlags() const {
    static const unsigned kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    unsigned f = DT_EXPANDTABS | kAlign[(int)alignment_];
    if (wordWrap_) f |= DT_WORDBREAK;
    if (!showAccelChar_) f |= DT_NOPREFIX;
    return f;
}

void TCustomLabel::AdjustBounds() {
    if (!autoSize_) return;
    std::string text = Caption();
    if (text.empty() || (showAccelChar_ && text == "&")) text += " ";
    TRect r = ClientRect();
    if (!wordWrap_) r.Right = r.Left + 100000;
    r.Bottom = r.Top;
    TCanvas c;
    c.Font.Assign(*Font());
    c.DrawText(text, r, DrawFlags() | DT_CALCRECT);
    int x = Left();
    if (alignment_ == TAlignment::taRightJustify) x += Width() - r.Right;
    SetBounds(x, Top(), r.Right, r.Bottom);
}

void TCustomLabel::Paint() {
    TCanvas* c = Canvas();
    if (!transparent_) {
        c->Brush.Color = Color();
        c->FillRect(ClientRect());
    }
    c->Brush.Style = TBrushStyle::bsClear;
    TRect r = ClientRect();
    unsigned flags = DrawFlags();
    if (layout_ != TTextLayout::tlTop) {
        TRect calc = r;
        c->DrawText(Caption(), calc, flags | DT_CALCRECT);
        int dy = layout_ == TTextLayout::tlBottom ? r.Height() - calc.Height()
                                                  : (r.Height() - calc.Height()) / 2;
        OffsetRect(r, 0, dy);
    }
    if (!Enabled()) {
        TRect hr = r;
        OffsetRect(hr, 1, 1);
        c->Font.SetColor(clBtnHighlight);
        c->DrawText(Caption(), hr, flags);
        c->Font.SetColor(clBtnShadow);
    }
    c->DrawText(Caption(), r, flags);
}

void TCustomLabel::TextChanged() {
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::FontChanged() {
    TGraphicControl::FontChanged();
    AdjustBounds();
}

#define LABEL_SETTER(Fn, Type, field) \
    void TCustomLabel::Fn(Type v) {   \
        if (field == v) return;       \
        field = v;                    \
        AdjustBounds();               \
        Invalidate();                 \
    }
LABEL_SETTER(SetAutoSize, bool, autoSize_)
LABEL_SETTER(SetAlignment, TAlignment, alignment_)
LABEL_SETTER(SetLayout, TTextLayout, layout_)
LABEL_SETTER(SetWordWrap, bool, wordWrap_)
LABEL_SETTER(SetShowAccelChar, bool, showAccelChar_)
#undef LABEL_SETTER

void TCustomLabel::SetTransparent(bool v) {
    transparent_ = v;
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* c) {
    if (focusControl_) focusControl_->RemoveFreeNotification(this);
    focusControl_ = c;
    if (c) c->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* c, TOperation op) {
    TGraphicControl::Notification(c, op);
    if (op == TOperation::opRemove && c == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::WndProc(TMessage& m) {
    if (m.Msg == CM_DIALOGCHAR) {
        if (focusControl_ && Enabled() && showAccelChar_ &&
            AccelMatches((char32_t)m.WParam, Caption()) && focusControl_->CanFocus()) {
            focusControl_->SetFocus();
            m.Result = 1;
        }
        return;
    }
    TGraphicControl::WndProc(m);
}

// ---- Edit boxes ----------------------------------------------------------------

// Case and code-page width limit of typed and pasted text.
class EditValidator : public QValidator {
  public:
    explicit EditValidator(TCustomEdit* e) : edit_(e) {}
    State validate(QString& input, int& pos) const override {
        // Text the program sets is taken as it is.
        if (edit_->settingText_) return Acceptable;
        input = ApplyCase(input, edit_->CharCase());
        int max = edit_->MaxLength();
        if (max > 0 && WidthOf(input) > max) {
            QString cut = CutToCodePageWidth(input, max);
            pos = std::min(pos, (int)cut.size());
            input = cut;
        }
        return Acceptable;
    }

  private:
    TCustomEdit* edit_;
};

namespace {
class LineBox : public EditBox {
  public:
    explicit LineBox(TCustomEdit* owner) : w_(new HostWidget<QLineEdit>(owner)) {
        auto* v = new EditValidator(owner);
        v->setParent(w_);
        w_->setValidator(v);
        w_->setFrame(true);
    }
    QWidget* widget() override { return w_; }
    QString text() const override { return w_->text(); }
    void setText(const QString& s) override { w_->setText(s); }
    int selStart() const override {
        return w_->hasSelectedText() ? w_->selectionStart() : w_->cursorPosition();
    }
    int selLength() const override { return w_->hasSelectedText() ? w_->selectionLength() : 0; }
    void setSelection(int start, int length) override {
        if (length > 0)
            w_->setSelection(start, length);
        else {
            w_->deselect();
            w_->setCursorPosition(start);
        }
    }
    QString selText() const override { return w_->selectedText(); }
    void insert(const QString& s) override { w_->insert(s); }
    bool modified() const override { return w_->isModified(); }
    void setModified(bool v) override { w_->setModified(v); }
    void setReadOnly(bool v) override { w_->setReadOnly(v); }
    void copy() override { w_->copy(); }
    void cut() override { w_->cut(); }
    void paste() override { w_->paste(); }
    void undo() override { w_->undo(); }
    QLineEdit* line() { return w_; }

  private:
    HostWidget<QLineEdit>* w_;
};

class MemoBox : public EditBox {
  public:
    explicit MemoBox(TCustomEdit* owner) : w_(new HostWidget<QPlainTextEdit>(owner)) {}
    QWidget* widget() override { return w_; }
    QString text() const override { return w_->toPlainText(); }
    void setText(const QString& s) override { w_->setPlainText(s); }
    int selStart() const override { return w_->textCursor().selectionStart(); }
    int selLength() const override {
        auto c = w_->textCursor();
        return c.selectionEnd() - c.selectionStart();
    }
    void setSelection(int start, int length) override {
        QTextCursor c = w_->textCursor();
        int n = (int)w_->toPlainText().size();
        c.setPosition(std::clamp(start, 0, n));
        c.setPosition(std::clamp(start + length, 0, n), QTextCursor::KeepAnchor);
        w_->setTextCursor(c);
    }
    QString selText() const override {
        return w_->textCursor().selectedText().replace(QChar(0x2029), '\n');
    }
    void insert(const QString& s) override { w_->insertPlainText(s); }
    bool modified() const override { return w_->document()->isModified(); }
    void setModified(bool v) override { w_->document()->setModified(v); }
    void setReadOnly(bool v) override {
        w_->setReadOnly(v);
        // A read-only edit of the platform still moves its caret by keys.
        if (v)
            w_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    void copy() override { w_->copy(); }
    void cut() override { w_->cut(); }
    void paste() override { w_->paste(); }
    void undo() override { w_->undo(); }
    QPlainTextEdit* memo() { return w_; }

  private:
    HostWidget<QPlainTextEdit>* w_;
};
}  // namespace

TCustomEdit::TCustomEdit(TComponent* owner) : TCustomEdit(owner, false) {}

TCustomEdit::TCustomEdit(TComponent* owner, bool multiLine) : TWinControl(owner) {
    if (multiLine) {
        auto* mb = new MemoBox(this);
        box_.reset(mb);
        QObject::connect(mb->memo(), &QPlainTextEdit::textChanged,
                         [this] { SafeCall([this] { Change(); }); });
    } else {
        auto* lb = new LineBox(this);
        box_.reset(lb);
        QObject::connect(lb->line(), &QLineEdit::textChanged,
                         [this] { SafeCall([this] { Change(); }); });
    }
    box_->widget()->setFocusPolicy(Qt::StrongFocus);
    SetWidget(box_->widget());
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
}

TCustomEdit::~TCustomEdit() {
    BeginDestroy();
}

std::string TCustomEdit::GetText() const {
    return S(box_->text());
}

void TCustomEdit::SetBoxText(const std::string& text) {
    settingText_ = true;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{settingText_};
    box_->setText(Q(text));
}

void TCustomEdit::TextChanged() {
    SetBoxText(text_);
    box_->setModified(false);
}

void TCustomEdit::Change() {
    OnChange(this);
}

void TCustomEdit::DoEnter() {
    // Multi-line edits keep their caret.
    bool multiLine = dynamic_cast<QPlainTextEdit*>(box_->widget()) != nullptr;
    if (AutoSelect && !multiLine && !(QApplication::mouseButtons() & Qt::LeftButton)) SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::SetCharCase(TEditCharCase v) {
    charCase_ = v;
    if (v != TEditCharCase::ecNormal) SetText(S(ApplyCase(box_->text(), v)));
}

void TCustomEdit::SetReadOnly(bool v) {
    readOnly_ = v;
    box_->setReadOnly(v);
}

void TCustomEdit::SetPasswordChar(char32_t c) {
    passwordChar_ = c;
    if (auto* le = dynamic_cast<QLineEdit*>(box_->widget()))
        le->setEchoMode(c ? QLineEdit::Password : QLineEdit::Normal);
}

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
    borderStyle_ = v;
    if (auto* le = dynamic_cast<QLineEdit*>(box_->widget()))
        le->setFrame(v == TBorderStyle::bsSingle);
    else if (auto* pe = dynamic_cast<QPlainTextEdit*>(box_->widget()))
        pe->setFrameShape(v == TBorderStyle::bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
}

bool TCustomEdit::Modified() const {
    return box_->modified();
}
void TCustomEdit::SetModified(bool v) {
    box_->setModified(v);
}
int TCustomEdit::SelStart() const {
    return box_->selStart();
}
void TCustomEdit::SetSelStart(int v) {
    box_->setSelection(v, 0);
}
int TCustomEdit::SelLength() const {
    return box_->selLength();
}
void TCustomEdit::SetSelLength(int v) {
    box_->setSelection(SelStart(), v);
}
std::string TCustomEdit::SelText() const {
    return S(box_->selText());
}
void TCustomEdit::SetSelText(const std::string& v) {
    box_->insert(Q(v));
}
void TCustomEdit::SelectAll() {
    box_->setSelection(0, (int)box_->text().size());
}
void TCustomEdit::ClearSelection() {
    box_->insert(QString());
}
void TCustomEdit::CopyToClipboard() {
    box_->copy();
}
void TCustomEdit::CutToClipboard() {
    box_->cut();
}
void TCustomEdit::PasteFromClipboard() {
    box_->paste();
}
void TCustomEdit::Undo() {
    box_->undo();
}

bool TCustomEdit::WantsKey(uint16_t key, TShiftState shift) const {
    return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

void TCustomEdit::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_CUT:
            CutToClipboard();
            return;
        case WM_COPY:
            CopyToClipboard();
            return;
        case WM_PASTE:
            PasteFromClipboard();
            return;
        case WM_CLEAR:
            ClearSelection();
            return;
        case WM_UNDO:
            Undo();
            return;
        case EM_SETSEL: {
            int start = (int)m.WParam, end = (int)m.LParam;
            if (start < 0) {
                box_->setSelection(SelStart(), 0);
                return;
            }
            if (end < 0) end = (int)box_->text().size();
            box_->setSelection(start, end - start);
            return;
        }
        case EM_GETSEL:
            m.Result = (LRESULT)(SelStart() | ((SelStart() + SelLength()) << 16));
            return;
        case EM_SETREADONLY:
            SetReadOnly(m.WParam != 0);
            return;
        default:
            TWinControl::WndProc(m);
    }
}

// ---- Memo ------------------------------------------------------------------------

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner, true) {
    auto* pe = static_cast<QPlainTextEdit*>(box_->widget());
    pe->setTabChangesFocus(true);
    pe->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    SetBounds(0, 0, 185, 89);
}

TCustomMemo::~TCustomMemo() {
    BeginDestroy();
}

std::string TCustomMemo::GetText() const {
    std::string s = S(box_->text());
    std::string out;
    for (char c : s) {
        if (c == '\n')
            out += "\r\n";
        else
            out += c;
    }
    return out;
}

void TCustomMemo::TextChanged() {
    std::string t;
    for (size_t i = 0; i < text_.size(); ++i) {
        if (text_[i] == '\r') {
            t += '\n';
            if (i + 1 < text_.size() && text_[i + 1] == '\n') ++i;
        } else {
            t += text_[i];
        }
    }
    box_->setText(Q(t));
    box_->setModified(false);
}

void TCustomMemo::Change() {
    if (MaxLength() > 0) {
        QString t = box_->text();
        if (WidthOf(t) > MaxLength()) {
            box_->setText(CutToCodePageWidth(t, MaxLength()));
            box_->setSelection((int)box_->text().size(), 0);
            return;
        }
    }
    if (!syncing_) {
        std::vector<std::string> lines;
        QStringList parts = box_->text().split('\n');
        for (auto& p : parts) lines.push_back(S(p));
        if (!lines.empty() && lines.back().empty()) lines.pop_back();
        lines_.SetLinesQuietly(lines);
    }
    TCustomEdit::Change();
}

void TCustomMemo::StringsReset() {
    QStringList parts;
    for (int i = 0; i < lines_.Count(); ++i) parts << Q(lines_[i]);
    syncing_ = true;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{syncing_};
    box_->setText(parts.join('\n'));
}

void TCustomMemo::StringsInserted(int index) {
    // Lines added at the end go in on their own, so a long log is not laid
    // out again for every line; anything else rebuilds the text.
    int before = lines_.Count() - 1;
    QTextDocument* doc = static_cast<QPlainTextEdit*>(box_->widget())->document();
    int blocks = doc->blockCount();
    QString line = Q(lines_[index]);
    if (index != before) {
        StringsReset();
        return;
    }
    if (before == 0) {
        if (!doc->isEmpty()) {
            StringsReset();
            return;
        }
    } else if (blocks == before) {
        // The text is the lines joined: the new line starts a new block.
        line.prepend('\n');
    } else if (blocks != before + 1 || !doc->lastBlock().text().isEmpty()) {
        StringsReset();
        return;
    }
    syncing_ = true;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{syncing_};
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    end.insertText(line);
}

void TCustomMemo::SetWantTabs(bool v) {
    wantTabs_ = v;
    static_cast<QPlainTextEdit*>(box_->widget())->setTabChangesFocus(!v);
}

void TCustomMemo::SetWordWrap(bool v) {
    wordWrap_ = v;
    static_cast<QPlainTextEdit*>(box_->widget())
        ->setLineWrapMode(v ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TCustomMemo::SetScrollBars(TScrollStyle v) {
    scrollBars_ = v;
    auto* pe = static_cast<QPlainTextEdit*>(box_->widget());
    bool h = v == TScrollStyle::ssHorizontal || v == TScrollStyle::ssBoth;
    bool vert = v == TScrollStyle::ssVertical || v == TScrollStyle::ssBoth;
    pe->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    pe->setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

bool TCustomMemo::WantsKey(uint16_t key, TShiftState shift) const {
    if (key == VK_RETURN || key == VK_ESCAPE) return WantReturns;
    if (key == VK_TAB) return wantTabs_;
    return TCustomEdit::WantsKey(key, shift);
}

// ---- Owner drawing of list items ----------------------------------------------------

namespace {
TOwnerDrawState StateOf(const QStyleOptionViewItem& o, bool focusedWidget) {
    TOwnerDrawState s;
    if (o.state & QStyle::State_Selected) s.Include(TOwnerDrawStateItem::odSelected);
    if ((o.state & QStyle::State_HasFocus) && focusedWidget)
        s.Include(TOwnerDrawStateItem::odFocused);
    if (!(o.state & QStyle::State_Enabled)) s.Include(TOwnerDrawStateItem::odDisabled);
    return s;
}

// The height OnMeasureItem gives an item. It runs inside Qt's layout, so
// nothing it raises may pass: a failing handler leaves the default height.
int MeasuredHeight(const TMeasureItemEvent& measure, TObject* sender, int index, int height) {
    int h = height;
    return SafeCall([&] { measure(sender, index, h); }) ? h : height;
}

class OwnerDrawDelegate : public QStyledItemDelegate {
  public:
    using DrawFn = std::function<void(TCanvas&, int, const TRect&, TOwnerDrawState)>;
    using MeasureFn = std::function<int(int)>;
    OwnerDrawDelegate(QObject* parent, DrawFn draw, MeasureFn measure)
        : QStyledItemDelegate(parent), draw_(std::move(draw)), measure_(std::move(measure)) {}
    void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& idx) const override {
        TCanvas c(MakePainterDevice(p));
        TOwnerDrawState st = StateOf(o, o.widget && o.widget->hasFocus());
        SafeCall([&] { draw_(c, idx.row(), FromQRect(o.rect), st); });
    }
    QSize sizeHint(const QStyleOptionViewItem& o, const QModelIndex& idx) const override {
        QSize s = QStyledItemDelegate::sizeHint(o, idx);
        return QSize(s.width(), measure_(idx.row()));
    }

  private:
    DrawFn draw_;
    MeasureFn measure_;
};
}  // namespace

// ---- Combo box ------------------------------------------------------------------------

namespace {
class ComboWidget : public HostWidget<QComboBox> {
  public:
    explicit ComboWidget(TCustomComboBox* c) : HostWidget<QComboBox>(c), combo_(c) {}
    void showPopup() override {
        SafeCall([this] { combo_->DroppingDown(); });
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        SafeCall([this] { combo_->ClosedUp(); });
    }

  private:
    TCustomComboBox* combo_;
};

QComboBox* ComboOf(const TControl* c) {
    return static_cast<QComboBox*>(c->Widget());
}
}  // namespace

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner) {
    auto* w = new ComboWidget(this);
    w->setFocusPolicy(Qt::StrongFocus);
    w->setInsertPolicy(QComboBox::NoInsert);
    w->setMaxVisibleItems(dropDownCount_);
    QObject::connect(w, qOverload<int>(&QComboBox::activated),
                     [this](int i) { SafeCall([&] { UserSelected(i); }); });
    SetWidget(w);
    SetTabStop(true);
    SetColor(clWindow);
    applyStyle();
    SetBounds(0, 0, 145, 21);
}

TCustomComboBox::~TCustomComboBox() {
    BeginDestroy();
}

void TCustomComboBox::applyStyle() {
    QComboBox* w = ComboOf(this);
    bool editable = style_ == TComboBoxStyle::csDropDown || style_ == TComboBoxStyle::csSimple;
    std::string text = editable ? S(w->currentText()) : "";
    QLineEdit* before = w->lineEdit();
    w->setEditable(editable);
    if (editable) {
        w->setCompleter(nullptr);
        w->lineEdit()->setValidator(nullptr);
        // Another editable style keeps the line edit and its connection.
        if (w->lineEdit() != before)
            QObject::connect(w->lineEdit(), &QLineEdit::textEdited,
                             [this] { SafeCall([this] { UserEdited(); }); });
        quiet_ = true;
        w->setEditText(Q(text));
        quiet_ = false;
    }
    bool ownerDraw =
        style_ == TComboBoxStyle::csOwnerDrawFixed || style_ == TComboBoxStyle::csOwnerDrawVariable;
    if (ownerDraw)
        w->setItemDelegate(new OwnerDrawDelegate(
            w,
            [this](TCanvas& c, int i, const TRect& r, TOwnerDrawState s) {
                DrawItemTo(c, i, r, s);
            },
            [this](int i) {
                return style_ == TComboBoxStyle::csOwnerDrawVariable
                           ? MeasuredHeight(OnMeasureItem, this, i, ItemHeight)
                           : ItemHeight;
            }));
    else
        w->setItemDelegate(new QStyledItemDelegate(w));
}

void TCustomComboBox::SetStyle(TComboBoxStyle v) {
    if (v == style_) return;
    style_ = v;
    applyStyle();
}

std::string TCustomComboBox::DisplayOf(int index) const {
    const std::string& s = items_[index];
    if (!mapList_) return s;
    size_t t = s.find('\t');
    return t == std::string::npos ? s : s.substr(0, t);
}

void TCustomComboBox::SetMapList(bool v) {
    mapList_ = v;
    StringsReset();
}

std::string TCustomComboBox::Value() const {
    int i = ItemIndex();
    if (i < 0) return "";
    const std::string& s = items_[i];
    size_t t = s.find('\t');
    return t == std::string::npos ? s : s.substr(t + 1);
}

void TCustomComboBox::SetValue(const std::string& code) {
    for (int i = 0; i < items_.Count(); ++i) {
        const std::string& s = items_[i];
        size_t t = s.find('\t');
        if ((t == std::string::npos ? s : s.substr(t + 1)) == code) {
            SetItemIndex(i);
            return;
        }
    }
    SetItemIndex(-1);
}

int TCustomComboBox::ItemIndex() const {
    return ComboOf(this)->currentIndex();
}

void TCustomComboBox::SetItemIndex(int v) {
    QComboBox* w = ComboOf(this);
    if (v < -1 || v >= items_.Count()) v = -1;
    quiet_ = true;
    w->setCurrentIndex(v);
    if (v < 0 && w->isEditable()) w->setEditText("");
    quiet_ = false;
}

std::string TCustomComboBox::GetText() const {
    QComboBox* w = ComboOf(this);
    return S(w->isEditable() ? w->currentText()
                             : (w->currentIndex() >= 0 ? w->currentText() : QString()));
}

void TCustomComboBox::TextChanged() {
    QComboBox* w = ComboOf(this);
    quiet_ = true;
    if (w->isEditable()) {
        int i = w->findText(Q(text_), Qt::MatchExactly);
        if (i >= 0) w->setCurrentIndex(i);
        w->setEditText(Q(text_));
    } else {
        w->setCurrentIndex(w->findText(Q(text_), Qt::MatchExactly));
    }
    quiet_ = false;
}

void TCustomComboBox::SetDropDownCount(int v) {
    dropDownCount_ = v;
    ComboOf(this)->setMaxVisibleItems(std::max(1, v));
}

void TCustomComboBox::SetDropDownWidth(int v) {
    dropDownWidth_ = v;
    ComboOf(this)->view()->setMinimumWidth(v);
}

bool TCustomComboBox::DroppedDown() const {
    return droppedDown_;
}

void TCustomComboBox::SetDroppedDown(bool v) {
    if (v)
        ComboOf(this)->showPopup();
    else
        ComboOf(this)->hidePopup();
}

int TCustomComboBox::SelStart() const {
    auto* le = ComboOf(this)->lineEdit();
    return le ? (le->hasSelectedText() ? le->selectionStart() : le->cursorPosition()) : 0;
}
void TCustomComboBox::SetSelStart(int v) {
    if (auto* le = ComboOf(this)->lineEdit()) le->setCursorPosition(v);
}
int TCustomComboBox::SelLength() const {
    auto* le = ComboOf(this)->lineEdit();
    return le && le->hasSelectedText() ? le->selectionLength() : 0;
}
void TCustomComboBox::SetSelLength(int v) {
    if (auto* le = ComboOf(this)->lineEdit()) le->setSelection(SelStart(), v);
}
void TCustomComboBox::SelectAll() {
    if (auto* le = ComboOf(this)->lineEdit()) le->selectAll();
}

void TCustomComboBox::Clear() {
    items_.Clear();
    SetText("");
}

void TCustomComboBox::StringsInserted(int index) {
    QComboBox* w = ComboOf(this);
    quiet_ = true;
    int current = w->currentIndex();
    QString text = w->currentText();
    w->insertItem(index, Q(DisplayOf(index)));
    // Adding items selects nothing on the platform.
    if (current < 0) {
        w->setCurrentIndex(-1);
        if (w->isEditable()) w->setEditText(text);
    }
    quiet_ = false;
}

void TCustomComboBox::StringsDeleted(int index) {
    quiet_ = true;
    ComboOf(this)->removeItem(index);
    quiet_ = false;
}

void TCustomComboBox::StringsPut(int index) {
    ComboOf(this)->setItemText(index, Q(DisplayOf(index)));
}

void TCustomComboBox::StringsReset() {
    QComboBox* w = ComboOf(this);
    quiet_ = true;
    QString text = w->currentText();
    w->clear();
    QStringList l;
    for (int i = 0; i < items_.Count(); ++i) l << Q(DisplayOf(i));
    w->addItems(l);
    w->setCurrentIndex(-1);
    if (w->isEditable()) w->setEditText(text);
    quiet_ = false;
}

void TCustomComboBox::UserSelected(int index) {
    if (quiet_) return;
    if (auto* le = ComboOf(this)->lineEdit()) le->setText(Q(DisplayOf(index)));
    Click();
    Select();
    Change();
}

void TCustomComboBox::UserEdited() {
    if (quiet_) return;
    QComboBox* w = ComboOf(this);
    QString t = w->lineEdit()->text();
    QString fixed = ApplyCase(t, charCase_);
    if (maxLength_ > 0 && WidthOf(fixed) > maxLength_)
        fixed = CutToCodePageWidth(fixed, maxLength_);
    if (fixed != t) {
        int pos = w->lineEdit()->cursorPosition();
        w->lineEdit()->setText(fixed);
        w->lineEdit()->setCursorPosition(std::min(pos, (int)fixed.size()));
    }
    quiet_ = true;
    int i = w->findText(fixed, Qt::MatchExactly);
    w->setCurrentIndex(i);
    w->setEditText(fixed);
    quiet_ = false;
    Change();
}

void TCustomComboBox::DroppingDown() {
    droppedDown_ = true;
    DropDown();
}

void TCustomComboBox::ClosedUp() {
    if (!droppedDown_) return;
    droppedDown_ = false;
    CloseUp();
}

void TCustomComboBox::Change() {
    OnChange(this);
}
void TCustomComboBox::Select() {
    OnSelect(this);
}
void TCustomComboBox::DropDown() {
    OnDropDown(this);
}
void TCustomComboBox::CloseUp() {
    OnCloseUp(this);
}

bool TCustomComboBox::WantsKey(uint16_t key, TShiftState shift) const {
    if (key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT) return true;
    return (key == VK_RETURN || key == VK_ESCAPE) && droppedDown_;
}

void TCustomComboBox::DrawItemTo(TCanvas& canvas, int index, const TRect& r,
                                 TOwnerDrawState state) {
    bool sel = state.Contains(TOwnerDrawStateItem::odSelected);
    canvas.Font.Assign(*Font());
    canvas.Brush.Color = sel ? clHighlight : Color();
    if (sel) canvas.Font.SetColor(clHighlightText);
    if (OnDrawItem) {
        // The handler draws on the control's canvas, bound to the item's.
        TCanvas* own = Canvas();
        auto device = own->Device();
        own->SetDevice(canvas.Device());
        own->Font.Assign(canvas.Font);
        own->Brush = canvas.Brush;
        struct Rebind {
            TCanvas* c;
            std::shared_ptr<CanvasDevice> d;
            ~Rebind() { c->SetDevice(d); }
        } rebind{own, device};
        OnDrawItem(this, index, r, state);
    } else {
        canvas.FillRect(r);
        if (index >= 0 && index < items_.Count())
            canvas.TextOut(r.Left + 2, r.Top, DisplayOf(index));
    }
    if (state.Contains(TOwnerDrawStateItem::odFocused)) canvas.DrawFocusRect(r);
}

// ---- List box -------------------------------------------------------------------------

namespace {
QListWidget* ListOf(const TControl* c) {
    return static_cast<QListWidget*>(c->Widget());
}
}  // namespace

namespace {
// Presses land on the list's viewport: after the list's own handling (the
// selection), they reach the control's MouseDown in the list's coordinates.
class ListHost : public HostWidget<QListWidget> {
  public:
    using HostWidget::HostWidget;
    std::function<void(QMouseEvent*, QPoint)> onPress;

  protected:
    bool viewportEvent(QEvent* e) override {
        bool r = HostWidget::viewportEvent(e);
        if (e->type() == QEvent::MouseButtonPress && onPress) {
            auto* me = static_cast<QMouseEvent*>(e);
            onPress(me, viewport()->mapTo(this, me->position().toPoint()));
        }
        return r;
    }
};
}  // namespace

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner) {
    auto* w = new ListHost(this);
    w->onPress = [this](QMouseEvent* me, QPoint p) {
        SafeCall([&] {
            TMouseButton button = me->button() == Qt::RightButton    ? TMouseButton::mbRight
                                  : me->button() == Qt::MiddleButton ? TMouseButton::mbMiddle
                                                                     : TMouseButton::mbLeft;
            MouseDown(button, ShiftFromQt(me->modifiers(), me->buttons()), p.x(), p.y());
        });
    };
    w->setFocusPolicy(Qt::StrongFocus);
    w->setUniformItemSizes(true);
    QObject::connect(w, &QListWidget::itemSelectionChanged, [this] {
        if (!quiet_) SafeCall([this] { UserChanged(); });
    });
    QObject::connect(w, &QListWidget::itemDoubleClicked,
                     [this] { SafeCall([this] { DblClick(); }); });
    SetWidget(w);
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
}

TCustomListBox::~TCustomListBox() {
    BeginDestroy();
}

int TCustomListBox::ItemIndex() const {
    return ListOf(this)->currentRow();
}

void TCustomListBox::SetItemIndex(int v) {
    if (v < -1 || v >= items_.Count()) v = -1;
    quiet_ = true;
    QListWidget* w = ListOf(this);
    if (v < 0) {
        w->setCurrentRow(-1);
        w->clearSelection();
    } else {
        w->setCurrentRow(
            v, multiSelect_ ? QItemSelectionModel::Current : QItemSelectionModel::ClearAndSelect);
    }
    quiet_ = false;
}

void TCustomListBox::SetStyle(TListBoxStyle v) {
    style_ = v;
    QListWidget* w = ListOf(this);
    w->setUniformItemSizes(v != TListBoxStyle::lbOwnerDrawVariable);
    if (v == TListBoxStyle::lbStandard)
        w->setItemDelegate(new QStyledItemDelegate(w));
    else
        w->setItemDelegate(new OwnerDrawDelegate(
            w,
            [this](TCanvas& c, int i, const TRect& r, TOwnerDrawState s) {
                DrawItemTo(c, i, r, s);
            },
            [this](int i) {
                return style_ == TListBoxStyle::lbOwnerDrawVariable
                           ? MeasuredHeight(OnMeasureItem, this, i, itemHeight_)
                           : itemHeight_;
            }));
}

void TCustomListBox::SetItemHeight(int v) {
    itemHeight_ = std::max(1, v);
    ListOf(this)->doItemsLayout();
}

void TCustomListBox::SetMultiSelect(bool v) {
    multiSelect_ = v;
    ListOf(this)->setSelectionMode(v ? (ExtendedSelect ? QAbstractItemView::ExtendedSelection
                                                       : QAbstractItemView::MultiSelection)
                                     : QAbstractItemView::SingleSelection);
}

bool TCustomListBox::Selected(int index) const {
    auto* item = ListOf(this)->item(index);
    if (!item) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return item->isSelected();
}

void TCustomListBox::SetSelected(int index, bool v) {
    auto* item = ListOf(this)->item(index);
    if (!item) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    quiet_ = true;
    item->setSelected(v);
    quiet_ = false;
}

int TCustomListBox::SelCount() const {
    return multiSelect_ ? (int)ListOf(this)->selectedItems().size() : -1;
}

int TCustomListBox::TopIndex() const {
    QListWidget* w = ListOf(this);
    QModelIndex i = w->indexAt(QPoint(1, 1));
    return i.isValid() ? i.row() : 0;
}

void TCustomListBox::SetTopIndex(int v) {
    QListWidget* w = ListOf(this);
    if (auto* item = w->item(v)) w->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

int TCustomListBox::ItemAtPos(TPoint p, bool existing) const {
    QListWidget* w = ListOf(this);
    QPoint vp = w->viewport()->mapFrom(w, QPoint(p.X, p.Y));
    QModelIndex i = w->indexAt(vp);
    if (i.isValid()) return i.row();
    return existing ? -1 : items_.Count();
}

TRect TCustomListBox::ItemRect(int index) const {
    QListWidget* w = ListOf(this);
    auto* item = w->item(index);
    if (!item) return {};
    QRect r = w->visualItemRect(item);
    r.translate(w->viewport()->mapTo(w, QPoint(0, 0)));
    return FromQRect(r);
}

void TCustomListBox::StringsInserted(int index) {
    quiet_ = true;
    auto* item = new QListWidgetItem(Q(items_[index]));
    if (style_ != TListBoxStyle::lbStandard) item->setSizeHint(QSize(-1, itemHeight_));
    ListOf(this)->insertItem(index, item);
    quiet_ = false;
}

void TCustomListBox::StringsDeleted(int index) {
    quiet_ = true;
    delete ListOf(this)->takeItem(index);
    quiet_ = false;
}

void TCustomListBox::StringsPut(int index) {
    ListOf(this)->item(index)->setText(Q(items_[index]));
}

void TCustomListBox::StringsReset() {
    QListWidget* w = ListOf(this);
    quiet_ = true;
    w->clear();
    for (int i = 0; i < items_.Count(); ++i) w->addItem(Q(items_[i]));
    quiet_ = false;
}

void TCustomListBox::UserChanged() {
    Click();
}

bool TCustomListBox::WantsKey(uint16_t key, TShiftState shift) const {
    return key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT;
}

void TCustomListBox::DrawItemTo(TCanvas& canvas, int index, const TRect& r, TOwnerDrawState state) {
    canvas.Font.Assign(*Font());
    canvas.Brush.Color = Color();
    if (state.Contains(TOwnerDrawStateItem::odSelected)) {
        canvas.Brush.Color = clHighlight;
        canvas.Font.SetColor(clHighlightText);
    }
    if (OnDrawItem)
        OnDrawItem(this, index, r, state);
    else {
        canvas.FillRect(r);
        if (index >= 0 && index < items_.Count()) canvas.TextOut(r.Left + 2, r.Top, items_[index]);
    }
    if (state.Contains(TOwnerDrawStateItem::odFocused)) canvas.DrawFocusRect(r);
}

// ---- Buttons ---------------------------------------------------------------------------

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
    clickOnMouseUp_ = false;
}

void TButtonControl::TextChanged() {
    if (auto* b = dynamic_cast<QAbstractButton*>(Widget())) b->setText(Q(text_));
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
    auto* w = new HostWidget<QPushButton>(this);
    w->setAutoDefault(false);
    w->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(w, &QPushButton::clicked, [this] { SafeCall([this] { Click(); }); });
    SetWidget(w);
    SetTabStop(true);
    SetColor(clBtnFace);
    SetBounds(0, 0, 75, 25);
}

void TButton::SetDefault(bool v) {
    default_ = v;
    static_cast<QPushButton*>(Widget())->setDefault(v);
}

void TButton::Click() {
    if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(ModalResult);
    TButtonControl::Click();
}

void TButton::WndProc(TMessage& m) {
    if (m.Msg == CM_DIALOGKEY) {
        auto key = (uint16_t)m.WParam;
        bool noShift = TShiftState::FromBits((uint32_t)m.LParam).Empty();
        TCustomForm* f = GetParentForm(this);
        TWinControl* ac = f ? f->ActiveControl() : nullptr;
        bool active = ac == this || (default_ && !dynamic_cast<TButton*>(ac));
        if (((key == VK_RETURN && active) || (key == VK_ESCAPE && Cancel)) && noShift &&
            CanFocus()) {
            Click();
            m.Result = 1;
        }
        return;
    }
    if (m.Msg == CM_DIALOGCHAR) {
        if (AccelMatches((char32_t)m.WParam, Caption()) && CanFocus()) {
            Click();
            m.Result = 1;
        }
        return;
    }
    TButtonControl::WndProc(m);
}

namespace {
QCheckBox* CheckOf(const TControl* c) {
    return static_cast<QCheckBox*>(c->Widget());
}
const Qt::CheckState kQtState[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
}  // namespace

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
    auto* w = new HostWidget<QCheckBox>(this);
    w->setTristate(true);
    w->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(w, &QCheckBox::clicked, [this] { SafeCall([this] { UserClicked(); }); });
    SetWidget(w);
    SetTabStop(true);
    SetParentColor(true);
    SetBounds(0, 0, 97, 17);
}

void TCustomCheckBox::SetState(TCheckBoxState v) {
    if (v == state_) return;
    state_ = v;
    CheckOf(this)->setCheckState(kQtState[(int)v]);
    if (!ClicksDisabled) Click();
}

TCheckBoxState NextCheckState(TCheckBoxState s, bool allowGrayed) {
    switch (s) {
        case TCheckBoxState::cbUnchecked:
            return allowGrayed ? TCheckBoxState::cbGrayed : TCheckBoxState::cbChecked;
        case TCheckBoxState::cbChecked:
            return TCheckBoxState::cbUnchecked;
        case TCheckBoxState::cbGrayed:
            break;
    }
    return TCheckBoxState::cbChecked;
}

void TCustomCheckBox::Toggle() {
    SetState(NextCheckState(state_, AllowGrayed));
}

void TCustomCheckBox::UserClicked() {
    // Qt has moved its own state already; ours decides.
    CheckOf(this)->setCheckState(kQtState[(int)state_]);
    Toggle();
}

void TCustomCheckBox::SetAlignment(TLeftRight v) {
    alignment_ = v;
    Widget()->setLayoutDirection(v == TLeftRight::taLeftJustify ? Qt::RightToLeft
                                                                : Qt::LeftToRight);
}

void TCustomCheckBox::WndProc(TMessage& m) {
    if (m.Msg == CM_DIALOGCHAR) {
        if (AccelMatches((char32_t)m.WParam, Caption()) && CanFocus()) {
            SetFocus();
            if (Focused() || (GetParentForm(this) && GetParentForm(this)->ActiveControl() == this))
                Toggle();
            m.Result = 1;
        }
        return;
    }
    TButtonControl::WndProc(m);
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    auto* w = new HostWidget<QRadioButton>(this);
    w->setAutoExclusive(false);
    w->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(w, &QRadioButton::clicked, [this] { SafeCall([this] { UserClicked(); }); });
    SetWidget(w);
    SetParentColor(true);
    SetBounds(0, 0, 113, 17);
}

void TRadioButton::SetChecked(bool v) {
    if (v == checked_) return;
    checked_ = v;
    SetTabStop(v);
    static_cast<QRadioButton*>(Widget())->setChecked(v);
    if (!v) return;
    if (TWinControl* p = Parent()) {
        for (int i = 0; i < p->ControlCount(); ++i)
            if (auto* r = dynamic_cast<TRadioButton*>(p->Controls(i)); r && r != this)
                r->SetChecked(false);
    }
    if (!ClicksDisabled) Click();
}

void TRadioButton::UserClicked() {
    static_cast<QRadioButton*>(Widget())->setChecked(checked_);
    SetChecked(true);
}

void TRadioButton::SetAlignment(TLeftRight v) {
    alignment_ = v;
    Widget()->setLayoutDirection(v == TLeftRight::taLeftJustify ? Qt::RightToLeft
                                                                : Qt::LeftToRight);
}

void TRadioButton::WndProc(TMessage& m) {
    if (m.Msg == CM_DIALOGCHAR) {
        if (AccelMatches((char32_t)m.WParam, Caption()) && CanFocus()) {
            SetFocus();
            m.Result = 1;
        }
        return;
    }
    TButtonControl::WndProc(m);
}

// ---- Group box ---------------------------------------------------------------------------

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
    ControlStyle.Include(TControlStyleItem::csAcceptsControls);
    Widget()->setFocusPolicy(Qt::NoFocus);
    SetParentColor(true);
    SetBounds(0, 0, 185, 105);
}

void TCustomGroupBox::AdjustClientRect(TRect& r) const {
    r.Top += MeasureText(Font()->Data(), "0").cy;
    InflateRect(r, -2, -2);
}

void TCustomGroupBox::Paint() {
    TCanvas* c = Canvas();
    c->Brush.Color = Color();
    c->FillRect(ClientRect());
    int h = c->TextHeight("0");
    TRect r = Rect(0, h / 2 - 1, Width(), Height());
    r.Left += 1;
    r.Top += 1;
    c->Brush.Color = clBtnHighlight;
    c->FrameRect(r);
    OffsetRect(r, -1, -1);
    c->Brush.Color = clBtnShadow;
    c->FrameRect(r);
    if (!Caption().empty()) {
        TRect tr = Rect(8, 0, 0, h);
        c->DrawText(Caption(), tr, DT_SINGLELINE | DT_CALCRECT);
        c->Brush.Color = Color();
        c->DrawText(Caption(), tr, DT_SINGLELINE);
    }
}

void TCustomGroupBox::WndProc(TMessage& m) {
    if (m.Msg == CM_DIALOGCHAR && AccelMatches((char32_t)m.WParam, Caption()) && CanFocus()) {
        SelectNext(nullptr, true, true);
        m.Result = 1;
        return;
    }
    TCustomControl::WndProc(m);
}

// ---- Published properties --------------------------------------------------

namespace {
template <class T>
void PublishCaption(Publisher<T>& p) {
    p.Prop("Caption", &T::Caption, &T::SetCaption, "TCaption");
}
}  // namespace

PLAT_PUBLISH(TCustomLabel) {
    PublishCaption(p);
    p.Prop("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize);
    p.Prop("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment);
    p.Prop("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout);
    p.Prop("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap);
    p.Prop("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent);
    p.Prop("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar);
    p.Prop("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl,
           "TWinControl");
}

// Text is published by the edit and the combo box only: a memo keeps its
// text in Lines and a data-aware control in its field, so code that rewrites
// every published Text must not reach them.
PLAT_PUBLISH(TCustomEdit) {
    p.Prop("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly);
    p.Prop("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength);
    p.Prop("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase);
    p.Prop("AutoSelect", &TCustomEdit::AutoSelect);
    p.Prop("HideSelection", &TCustomEdit::HideSelection);
    p.Prop("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle);
    p.Prop("ImeName", &TCustomEdit::ImeName, nullptr, "TImeName");
    p.Prop("OnChange", &TCustomEdit::OnChange);
}

PLAT_PUBLISH(TEdit) {
    p.Prop("Text", &TEdit::Text, &TEdit::SetText, "TCaption");
}

PLAT_PUBLISH(TCustomMemo) {
    p.Strings(
        "Lines", [](TCustomMemo& m) { return m.Lines()->Lines(); },
        [](TCustomMemo& m, const std::vector<std::string>& l) { m.Lines()->SetLines(l); });
    p.Prop("WantReturns", &TCustomMemo::WantReturns);
    p.Prop("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs);
    p.Prop("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap);
    p.Prop("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars);
    p.Prop("Alignment", &TCustomMemo::Alignment);
}

PLAT_PUBLISH(TCustomComboBox) {
    p.Strings(
        "Items", [](TCustomComboBox& c) { return c.Items()->Lines(); },
        [](TCustomComboBox& c, const std::vector<std::string>& l) { c.Items()->SetLines(l); });
    p.Prop("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex);
    p.Prop("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle);
    p.Prop("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount);
    p.Prop("DropDownWidth", &TCustomComboBox::DropDownWidth, &TCustomComboBox::SetDropDownWidth);
    p.Prop("ItemHeight", &TCustomComboBox::ItemHeight);
    p.Prop("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength);
    p.Prop("CharCase", &TCustomComboBox::CharCase, &TCustomComboBox::SetCharCase);
    p.Prop("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted);
    p.Prop("MapList", &TCustomComboBox::MapList, &TCustomComboBox::SetMapList);
    p.Prop("ImeName", &TCustomComboBox::ImeName, nullptr, "TImeName");
    p.Prop("OnChange", &TCustomComboBox::OnChange);
    p.Prop("OnDropDown", &TCustomComboBox::OnDropDown);
    p.Prop("OnCloseUp", &TCustomComboBox::OnCloseUp);
    p.Prop("OnSelect", &TCustomComboBox::OnSelect);
    p.Prop("OnDrawItem", &TCustomComboBox::OnDrawItem, nullptr, "TDrawItemEvent");
    p.Prop("OnMeasureItem", &TCustomComboBox::OnMeasureItem, nullptr, "TMeasureItemEvent");
}

PLAT_PUBLISH(TComboBox) {
    p.Prop("Text", &TComboBox::Text, &TComboBox::SetText, "TCaption");
}

PLAT_PUBLISH(TCustomListBox) {
    p.Strings(
        "Items", [](TCustomListBox& c) { return c.Items()->Lines(); },
        [](TCustomListBox& c, const std::vector<std::string>& l) { c.Items()->SetLines(l); });
    p.Prop("ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex);
    p.Prop("Style", &TCustomListBox::Style, &TCustomListBox::SetStyle);
    p.Prop("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight);
    p.Prop("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect);
    p.Prop("ExtendedSelect", &TCustomListBox::ExtendedSelect);
    p.Prop("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted);
    p.Prop("ImeName", &TCustomListBox::ImeName, nullptr, "TImeName");
    p.Prop("OnDrawItem", &TCustomListBox::OnDrawItem, nullptr, "TDrawItemEvent");
    p.Prop("OnMeasureItem", &TCustomListBox::OnMeasureItem, nullptr, "TMeasureItemEvent");
}

PLAT_PUBLISH(TButton) {
    PublishCaption(p);
    p.Prop("Default", &TButton::Default, &TButton::SetDefault);
    p.Prop("Cancel", &TButton::Cancel);
    p.Prop("ModalResult", &TButton::ModalResult, nullptr, "TModalResult");
}

PLAT_PUBLISH(TCustomCheckBox) {
    PublishCaption(p);
    p.Prop("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked);
    p.Prop("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState);
    p.Prop("AllowGrayed", &TCustomCheckBox::AllowGrayed);
    p.Prop("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment);
}

PLAT_PUBLISH(TRadioButton) {
    PublishCaption(p);
    p.Prop("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked);
    p.Prop("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment);
}

PLAT_PUBLISH(TCustomGroupBox) {
    PublishCaption(p);
}

}  // namespace plat
