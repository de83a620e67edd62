#include "form_components.h"

namespace ktrb::test {

TTestSelectPanel::TTestSelectPanel(plat::TComponent* owner)
    : TTestWinControl(owner), ListView(new TTestListView(this)) {
    ListView->SetName("ListView");
}

TTestAlignGrid::~TTestAlignGrid() {
    for (auto& [key, font] : fonts) delete font;
}

const std::string* TTestAlignGrid::FindHintCell(int col, int row) const {
    auto it = hints.find({col, row});
    return it == hints.end() ? nullptr : &it->second;
}

std::string TTestAlignGrid::GetHintCell(int col, int row) const {
    const std::string* h = FindHintCell(col, row);
    return h ? *h : Hint;
}

namespace {
std::string levelKey(const char* level, int col, int row) {
    return std::string(level) + " " + std::to_string(col) + " " + std::to_string(row);
}
}  // namespace

TTestFont* TTestAlignGrid::font(const char* level, int col, int row) {
    auto it = fonts.find(levelKey(level, col, row));
    return it == fonts.end() ? nullptr : it->second;
}

TTestFont* TTestAlignGrid::MakeFont(const char* level, int col, int row) {
    TTestFont*& f = fonts[levelKey(level, col, row)];
    if (!f) {
        f = new TTestFont;
        f->Assign(&Font);
    }
    return f;
}

plat::TStringList* TTestAlignGrid::items(const char* level, int col, int row) {
    auto it = editorItems.find(std::string(level) + " " + std::to_string(col) + " " +
                               std::to_string(row));
    return it == editorItems.end() ? nullptr : &it->second;
}

PLAT_PUBLISH(TTestPanel) {
    p.Prop("Caption", &TTestPanel::Caption, nullptr, "TCaption");
}

PLAT_PUBLISH(TTestPageControl) {
    p.Indexed(
        "Pages", [](TTestPageControl& pc) { return (int)pc.Pages.size(); },
        [](TTestPageControl& pc, int i) { return pc.Pages.at(i); });
}

PLAT_PUBLISH(TTestWWComboBase) {
    p.Prop("DataField", &TTestWWComboBase::DataField);
    p.Prop(
        "DataSource", [](TTestWWComboBase& c) { return c.DataSource; },
        [](TTestWWComboBase& c, plat::TComponent* ds) { c.DataSource = ds; }, "TDataSource");
}

PLAT_PUBLISH(TTestTabSet) {
    p.Strings(
        "Tabs", [](TTestTabSet& t) { return t.Tabs; },
        [](TTestTabSet& t, const std::vector<std::string>& l) {
            t.Tabs = l;
            t.TabIndex = -1;  // new tabs lose the selection, as the control does
        });
    p.Prop("TabIndex", &TTestTabSet::TabIndex);
}

PLAT_PUBLISH(TTestNavigator) {
    p.Strings(
        "Hints", [](TTestNavigator& n) { return n.Hints; },
        [](TTestNavigator& n, const std::vector<std::string>& l) { n.Hints = l; });
}

PLAT_PUBLISH(TTestPopupMenu) {
    p.Prop("OwnerDraw", &TTestPopupMenu::OwnerDraw);
}

PLAT_PUBLISH(TTestSelectPanel) {
    p.Strings(
        "ChildHints", [](TTestSelectPanel& s) { return s.ChildHints; },
        [](TTestSelectPanel& s, const std::vector<std::string>& l) { s.ChildHints = l; });
    p.Strings(
        "BeginWords", [](TTestSelectPanel& s) { return s.BeginWords; },
        [](TTestSelectPanel& s, const std::vector<std::string>& l) { s.BeginWords = l; });
    p.Strings(
        "FinalWords", [](TTestSelectPanel& s) { return s.FinalWords; },
        [](TTestSelectPanel& s, const std::vector<std::string>& l) { s.FinalWords = l; });
    p.Prop("HintWord", &TTestSelectPanel::HintWord);
}

}  // namespace ktrb::test
