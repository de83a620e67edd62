#include "support/component/test_components.h"

#include <cmath>

#include "platform/component/classes.h"

namespace plat::testing {

TTestFont::TTestFont() = default;

int TTestFont::Size() const {
    return (int)std::lround(-Height * 72.0 / 96.0);
}
void TTestFont::SetSize(int points) {
    Height = -(int)std::lround(points * 96.0 / 72.0);
}

void TTestFont::Assign(TPersistent* source) {
    auto* f = dynamic_cast<TTestFont*>(source);
    if (!f) return TPersistent::Assign(source);
    Name = f->Name;
    Height = f->Height;
    Charset = f->Charset;
    Color = f->Color;
    Style = f->Style;
    ++changes;
}

TTestStatusPanel::TTestStatusPanel(TCollection* c) : TCollectionItem(c) {}

void TTestStatusPanel::Assign(TPersistent* source) {
    auto* p = dynamic_cast<TTestStatusPanel*>(source);
    if (!p) return TPersistent::Assign(source);
    Text = p->Text;
    Width = p->Width;
}

TTestStatusPanels::TTestStatusPanels(TPersistent* owner)
    : TCollection(FactoryOf<TTestStatusPanel>(), owner) {}

TTestColumnTitle::TTestColumnTitle() = default;
TTestColumn::TTestColumn(TCollection* c) : TCollectionItem(c) {}
TTestColumns::TTestColumns(TPersistent* owner) : TCollection(FactoryOf<TTestColumn>(), owner) {}
TTestListColumn::TTestListColumn(TCollection* c) : TCollectionItem(c) {}
TTestListColumns::TTestListColumns(TPersistent* owner)
    : TCollection(FactoryOf<TTestListColumn>(), owner) {}
TTestListItem::TTestListItem() = default;
TTestTreeNode::TTestTreeNode() = default;

TTestControl::TTestControl(TComponent* owner) : TComponent(owner) {}
TTestWinControl::TTestWinControl(TComponent* owner) : TTestControl(owner) {}
TTestLabel::TTestLabel(TComponent* owner) : TTestControl(owner) {}
TTestButton::TTestButton(TComponent* owner) : TTestWinControl(owner) {}
TTestEdit::TTestEdit(TComponent* owner) : TTestWinControl(owner) {}

void TTestEdit::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    OnChange(this);
}

TTestDBEdit::TTestDBEdit(TComponent* owner) : TTestEdit(owner) {}
TTestMemo::TTestMemo(TComponent* owner) : TTestWinControl(owner) {}
TTestCustomComboBox::TTestCustomComboBox(TComponent* owner) : TTestWinControl(owner) {}

void TTestCustomComboBox::SetItems(const std::vector<std::string>& items) {
    items_ = items;
    itemIndex_ = -1;
}

void TTestCustomComboBox::SetItemIndex(int index) {
    if (index < -1 || index >= (int)items_.size())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    itemIndex_ = index;
    Text = index < 0 ? std::string() : items_[index];
}

TTestComboBox::TTestComboBox(TComponent* owner) : TTestCustomComboBox(owner) {}
TTestListBox::TTestListBox(TComponent* owner) : TTestWinControl(owner) {}
TTestStatusBar::TTestStatusBar(TComponent* owner) : TTestWinControl(owner), Panels(this) {}
TTestGrid::TTestGrid(TComponent* owner) : TTestWinControl(owner), Columns(this) {}
TTestListView::TTestListView(TComponent* owner) : TTestWinControl(owner), Columns(this) {}

TTestListView::~TTestListView() {
    for (auto* i : items_) delete i;
}

TTestListItem* TTestListView::AddItem(const std::string& caption,
                                      std::vector<std::string> subItems) {
    auto* item = new TTestListItem;
    item->Caption = caption;
    item->SubItems = std::move(subItems);
    items_.push_back(item);
    return item;
}

TTestTreeView::TTestTreeView(TComponent* owner) : TTestWinControl(owner) {}

TTestTreeView::~TTestTreeView() {
    for (auto* n : nodes_) delete n;
}

TTestTreeNode* TTestTreeView::AddNode(const std::string& text, int level) {
    auto* node = new TTestTreeNode;
    node->Text = text;
    node->Level = level;
    nodes_.push_back(node);
    return node;
}

TTestStringGrid::TTestStringGrid(TComponent* owner) : TTestWinControl(owner) {}

void TTestStringGrid::SetSize(int cols, int rows) {
    std::vector<std::string> cells((size_t)cols * rows);
    for (int r = 0; r < std::min(rows, rows_); ++r)
        for (int c = 0; c < std::min(cols, cols_); ++c) cells[(size_t)r * cols + c] = Cell(c, r);
    cols_ = cols;
    rows_ = rows;
    cells_ = std::move(cells);
}

const std::string& TTestStringGrid::Cell(int col, int row) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_)
        throw EListError("Grid index out of range");
    return cells_[(size_t)row * cols_ + col];
}

void TTestStringGrid::SetCell(int col, int row, const std::string& text) {
    Cell(col, row);
    cells_[(size_t)row * cols_ + col] = text;
}

TTestTabSheet::TTestTabSheet(TComponent* owner) : TTestWinControl(owner) {}
TTestForm::TTestForm(TComponent* owner) : TTestWinControl(owner) {}

void TTestForm::btnOKClick(TObject* sender) {
    auto* c = dynamic_cast<TComponent*>(sender);
    calls.push_back("btnOKClick:" + (c ? c->Name() : std::string()));
}

void TTestForm::edCodeChange(TObject* sender) {
    auto* c = dynamic_cast<TComponent*>(sender);
    calls.push_back("edCodeChange:" + (c ? c->Name() : std::string()));
}

TTestPlain::TTestPlain(TComponent* owner) : TComponent(owner) {}

// ---- Published properties -------------------------------------------------

PLAT_PUBLISH(TTestFont) {
    p.Prop("Charset", &TTestFont::Charset, nullptr, "TFontCharset");
    p.Color("Color", &TTestFont::Color);
    p.Prop("Height", &TTestFont::Height);
    p.Prop("Name", &TTestFont::Name, nullptr, "TFontName");
    p.Prop("Size", &TTestFont::Size, &TTestFont::SetSize);
    p.Prop("Style", &TTestFont::Style);
}

PLAT_PUBLISH(TTestStatusPanel) {
    p.Prop("Text", &TTestStatusPanel::Text);
    p.Prop("Width", &TTestStatusPanel::Width);
}

PLAT_PUBLISH(TTestColumnTitle) {
    p.Prop("Caption", &TTestColumnTitle::Caption);
    p.Prop("Font", &TTestColumnTitle::Font, nullptr, "TFont");
}

PLAT_PUBLISH(TTestColumn) {
    p.Prop("FieldName", &TTestColumn::FieldName);
    p.Prop("Title", &TTestColumn::Title);
    p.Prop("Width", &TTestColumn::Width);
}

PLAT_PUBLISH(TTestListColumn) {
    p.Prop("Caption", &TTestListColumn::Caption);
    p.Prop("Width", &TTestListColumn::Width);
}

PLAT_PUBLISH(TTestListItem) {
    p.Prop("Caption", &TTestListItem::Caption);
    p.Strings(
        "SubItems", [](TTestListItem& i) { return i.SubItems; },
        [](TTestListItem& i, const std::vector<std::string>& l) { i.SubItems = l; });
}

PLAT_PUBLISH(TTestTreeNode) {
    p.Prop("Text", &TTestTreeNode::Text);
}

PLAT_PUBLISH(TTestControl) {
    p.Prop("Left", &TTestControl::Left);
    p.Prop("Top", &TTestControl::Top);
    p.Prop("Width", &TTestControl::Width);
    p.Prop("Height", &TTestControl::Height);
    p.Prop("Hint", &TTestControl::Hint);
    p.Prop("Visible", &TTestControl::Visible);
    p.Prop("Enabled", &TTestControl::Enabled);
    p.Color("Color", &TTestControl::Color);
    p.Prop("Font", &TTestControl::Font, nullptr, "TFont");
    p.Prop("ParentFont", &TTestControl::ParentFont);
    p.Prop(
        "Parent", [](TTestControl& c) { return c.Parent; },
        [](TTestControl& c, TTestControl* parent) { c.Parent = parent; }, "TWinControl");
    p.Prop("OnClick", &TTestControl::OnClick);
}

PLAT_PUBLISH(TTestWinControl) {
    p.Prop("TabOrder", &TTestWinControl::TabOrder, nullptr, "TTabOrder");
    p.Prop("TabStop", &TTestWinControl::TabStop);
    p.Prop("OnEnter", &TTestWinControl::OnEnter);
    p.Prop("OnExit", &TTestWinControl::OnExit);
}

PLAT_PUBLISH(TTestLabel) {
    p.Prop("Caption", &TTestLabel::Caption, nullptr, "TCaption");
    p.Prop(
        "FocusControl", [](TTestLabel& l) { return l.FocusControl; },
        [](TTestLabel& l, TTestWinControl* c) { l.FocusControl = c; });
}

PLAT_PUBLISH(TTestButton) {
    p.Prop("Caption", &TTestButton::Caption, nullptr, "TCaption");
    p.Prop("ModalResult", &TTestButton::ModalResult, nullptr, "TModalResult");
}

PLAT_PUBLISH(TTestEdit) {
    p.Prop("Text", &TTestEdit::Text, &TTestEdit::SetText, "TCaption");
    p.Prop("ReadOnly", &TTestEdit::ReadOnly);
    p.Prop("MaxLength", &TTestEdit::MaxLength);
    p.Prop("ImeName", &TTestEdit::ImeName, nullptr, "TImeName");
    p.Prop("CharCase", &TTestEdit::CharCase);
    p.Prop("OnChange", &TTestEdit::OnChange);
}

PLAT_PUBLISH(TTestDBEdit) {
    p.Prop("DataField", &TTestDBEdit::DataField);
    p.Prop(
        "DataSource", [](TTestDBEdit& e) { return e.DataSource; },
        [](TTestDBEdit& e, TComponent* ds) { e.DataSource = ds; }, "TDataSource");
}

PLAT_PUBLISH(TTestMemo) {
    p.Strings("Lines", &TTestMemo::Lines);
    p.Prop("ReadOnly", &TTestMemo::ReadOnly);
}

PLAT_PUBLISH(TTestCustomComboBox) {
    p.Strings("Items", &TTestCustomComboBox::Items, &TTestCustomComboBox::SetItems);
    p.Prop("ItemIndex", &TTestCustomComboBox::ItemIndex, &TTestCustomComboBox::SetItemIndex);
    p.Prop("Text", &TTestCustomComboBox::Text, nullptr, "TCaption");
    p.Prop("Style", &TTestCustomComboBox::Style);
    p.Prop("OnChange", &TTestCustomComboBox::OnChange);
}

PLAT_PUBLISH(TTestListBox) {
    p.Strings(
        "Items", [](TTestListBox& l) { return l.Items; },
        [](TTestListBox& l, const std::vector<std::string>& items) { l.Items = items; });
    p.Prop("Style", &TTestListBox::Style);
}

PLAT_PUBLISH(TTestStatusBar) {
    p.Prop("Panels", &TTestStatusBar::Panels);
    p.Prop("SimpleText", &TTestStatusBar::SimpleText);
}

PLAT_PUBLISH(TTestGrid) {
    p.Prop("Columns", &TTestGrid::Columns);
    p.Prop("TitleFont", &TTestGrid::TitleFont, nullptr, "TFont");
    p.Prop(
        "DataSource", [](TTestGrid& g) { return g.DataSource; },
        [](TTestGrid& g, TComponent* ds) { g.DataSource = ds; }, "TDataSource");
    p.Prop("ReadOnly", &TTestGrid::ReadOnly);
}

PLAT_PUBLISH(TTestListView) {
    p.Prop("Columns", &TTestListView::Columns);
    p.Prop("ViewStyle", &TTestListView::ViewStyle);
    p.Indexed(
        "Columns", [](TTestListView& v) { return v.Columns.Count(); },
        [](TTestListView& v, int i) { return v.Columns.Column(i); });
    p.Indexed("Items", &TTestListView::ItemCount, &TTestListView::Item);
}

PLAT_PUBLISH(TTestTreeView) {
    p.Indexed("Items", &TTestTreeView::NodeCount, &TTestTreeView::Node);
}

PLAT_PUBLISH(TTestTabSheet) {
    p.Prop("Caption", &TTestTabSheet::Caption, nullptr, "TCaption");
    p.Prop("TabVisible", &TTestTabSheet::TabVisible);
    p.Prop("PageIndex", &TTestTabSheet::PageIndex);
}

PLAT_PUBLISH(TTestForm) {
    p.Prop("Caption", &TTestForm::Caption, nullptr, "TCaption");
    p.Prop("KeyPreview", &TTestForm::KeyPreview);
    p.Prop("OnCreate", &TTestForm::OnCreate);
    p.Prop("OnShow", &TTestForm::OnShow);
    p.Prop("OnHide", &TTestForm::OnHide);
    p.Prop("OnDestroy", &TTestForm::OnDestroy);
    p.Method("btnOKClick", &TTestForm::btnOKClick);
    p.Method("edCodeChange", &TTestForm::edCodeChange);
}

void RegisterTestComponentClasses() {
    RegisterClass<TTestControl>();
    RegisterClass<TTestWinControl>();
    RegisterClass<TTestLabel>();
    RegisterClass<TTestButton>();
    RegisterClass<TTestEdit>();
    RegisterClass<TTestDBEdit>();
    RegisterClass<TTestMemo>();
    RegisterClass<TTestCustomComboBox>();
    RegisterClass<TTestComboBox>();
    RegisterClass<TTestListBox>();
    RegisterClass<TTestStatusBar>();
    RegisterClass<TTestGrid>();
    RegisterClass<TTestListView>();
    RegisterClass<TTestTreeView>();
    RegisterClass<TTestStringGrid>();
    RegisterClass<TTestTabSheet>();
    RegisterClass<TTestForm>();
    RegisterClass<TTestPlain>();
}

}  // namespace plat::testing
