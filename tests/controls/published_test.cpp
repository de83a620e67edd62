// What the language packages, the user settings and the code-page converter
// reach by property name.
#include <gtest/gtest.h>

#include "controls/BtChkBox.h"
#include "controls/DBLabel.h"
#include "controls/ExtPage.h"
#include "controls/FDbChkBox.h"
#include "controls/QrvEdit.h"
#include "controls/QvLookUpCombo.h"
#include "controls/QvRadioButton.h"
#include "controls/controls_fixture.h"
#include "platform/component/properties.h"
#include "runtime/LanguageController.h"
#include "runtime/PropAccess.h"

using namespace plat;
using namespace ktrb;

TEST(PublishedControls, EveryControlIsReachedByPropertyName) {
    ctltest::Fixture fx;
    auto* ed = new TQvBtnDBEdit(fx.form);
    ed->SetName("edTH004");
    auto* cb = new TQvComboBox(fx.form);
    auto* f2 = new TF2Button(fx.form);
    auto* lbl = new TDBLabel(fx.form);
    auto* box = new TFDbCheckBox(fx.form);
    auto* page = new TExtPageControl(fx.form);
    auto* radio = new TQvRadioButton(fx.form);
    auto* check = new TQVCheckBox(fx.form);
    for (TControl* c : std::initializer_list<TControl*>{ed, cb, f2, lbl, box, page, radio, check})
        c->SetParent(fx.inner);

    SetStrPropByName(ed, "Caption", "委外单号");
    EXPECT_EQ(ed->EditLabel()->Caption(), "委外单号");
    SetStrPropByName(ed, "ButtonHint", "[F2]查询");
    EXPECT_EQ(ed->F2Button()->Hint(), "[F2]查询");
    SetPropValue(ed, "LabelPosition", Variant("lpAbove"));
    EXPECT_EQ(ed->LabelPosition(), TLabelPosition::lpAbove);
    SetOrdPropByName(ed, "GlyphIndex", 9);
    EXPECT_EQ(ed->F2Button()->GlyphIndex(), 9);
    EXPECT_EQ(GetStrPropByName(ed, "DataField"), "");
    SetStrPropByName(cb, "Caption", "类别");
    EXPECT_EQ(cb->Caption(), "类别");
    SetOrdPropByName(f2, "GlyphIndex", 39);
    EXPECT_EQ(f2->GlyphIndex(), 39);
    SetObjectProp(f2, "F2Control", cb);
    EXPECT_EQ(f2->F2Control(), cb);
    SetPropValue(lbl, "Pos", Variant("psTop"));
    EXPECT_EQ(lbl->Pos(), TPos::psTop);
    SetStrPropByName(box, "ValueChecked", "1;Y");
    EXPECT_EQ(box->ValueChecked(), "1;Y");
    SetStrPropByName(box, "Caption", "自动扣料");
    EXPECT_EQ(box->Caption(), "自动扣料");
    SetPropValue(box, "State", Variant("cbGrayed"));
    EXPECT_EQ(box->State(), TCheckBoxState::cbGrayed);
    EXPECT_TRUE(IsPublishedProp(page, "OnDrawTab"));
    SetStrPropByName(radio, "Caption", "向上(&U)");
    SetOrdPropByName(radio, "Checked", 1);
    EXPECT_TRUE(radio->Checked());
    SetStrPropByName(check, "Caption", "区分大小写");
    EXPECT_EQ(check->Caption(), "区分大小写");

    // A language package names the components of the form.
    TQvLangController lang(fx.form);
    lang.SetPackageText("<F><edTH004 Caption=\"Receipt No.\" ButtonHint=\"[F2]Find\"/></F>");
    lang.SetActive(true);
    lang.GetLangReader().LoadComponent(fx.form);
    EXPECT_EQ(ed->Caption(), "Receipt No.");
    EXPECT_EQ(ed->ButtonHint(), "[F2]Find");
}

namespace {
// A connection component that serves no providers.
class FakeConnection : public TComponent, public IProviderSource {
  public:
    using TComponent::TComponent;
    IProvider* FindProvider(const std::string&) override { return nullptr; }
};
}  // namespace

TEST(PublishedControls, LookupCombosAsTheDesignsStoreThem) {
    ctltest::Fixture fx;
    auto* combo = new TQvBtnDBCombo(fx.form);
    auto* dlg = new TQvDBComboDlg(fx.form);
    FakeConnection connection(fx.form);
    SetObjectProp(combo, "Midas", &connection);
    EXPECT_EQ(combo->Midas(), &connection);
    EXPECT_EQ(GetObjectProp(combo, "Midas"), &connection);
    for (const char* name : {"OnGetBaseClassParam", "OnSetReturn", "OnDialog"})
        EXPECT_TRUE(IsPublishedProp(combo, name)) << name;
    for (const char* name : {"OnCustomDlg", "OnCheckValue", "OnSetReturn", "ShowButton"})
        EXPECT_TRUE(IsPublishedProp(dlg, name)) << name;
    SetPropValue(dlg, "UnboundDataType", Variant("wwEdtNumeric"));
    EXPECT_EQ(dlg->UnboundDataType, TwwEditDataType::wwEdtNumeric);
    SetPropValue(dlg, "ButtonStyle", Variant("cbsDownArrow"));
    EXPECT_EQ(dlg->ButtonStyle, TwwComboButtonStyle::cbsDownArrow);
    EXPECT_TRUE(TrySetPropByPath(dlg, "ButtonEffects.Flat", 1));
    EXPECT_TRUE(dlg->ButtonEffects()->Flat);
    EXPECT_TRUE(TrySetPropByPath(dlg, "Frame.Enabled", 1));
    EXPECT_TRUE(dlg->Frame()->Enabled);
}
