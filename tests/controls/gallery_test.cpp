#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "controls/BtChkBox.h"
#include "controls/DBLabel.h"
#include "controls/ExtPage.h"
#include "controls/FDbChkBox.h"
#include "controls/QrvEdit.h"
#include "controls/QvRadioButton.h"
#include "controls/controls_fixture.h"
#include "platform/ui/screenshot.h"

using namespace plat;
using namespace ktrb;

namespace {
struct Texts {
    const char* lang;
    const char* code;
    const char* date;
    const char* flag;
    const char* down;
    const char* caseText;
    const char* head;
    const char* other;
};
const Texts kTexts[] = {
    {"CHS", "委外单号", "单据日期", "保存后继续录入下一笔(&N)", "向下(&D)", "区分大小写", "表头",
     "其它"},
    {"ENG", "Receipt no.", "Date", "Keep adding after save (&N)", "Down (&D)", "Match case",
     "Header", "Other"},
};

template <class C>
C* Put(ctltest::Fixture& fx, TWinControl* parent, TRect bounds, const char* caption, bool enabled) {
    auto* c = new C(fx.form);
    c->SetParent(parent);
    c->SetBoundsRect(bounds);
    if (caption) c->SetCaption(caption);
    c->SetEnabled(enabled);
    return c;
}

// One row of controls in the given state: a labelled button edit, a caption
// label with its edit and F2 button, a glyph check box, a radio button and a
// check box.
void Row(ctltest::Fixture& fx, TWinControl* parent, const Texts& t, int top, int state) {
    bool enabled = state != 1, checked = state == 2;
    auto* ed = Put<TQvBtnDBEdit>(fx, parent, Bounds(90, top, 100, 21), t.code, enabled);
    ed->SetDataSource(fx.src);
    ed->SetDataField("TH004");
    auto* plain = Put<TEdit>(fx, parent, Bounds(300, top, 80, 21), nullptr, enabled);
    auto* lbl = Put<TDBLabel>(fx, parent, Bounds(0, 0, 10, 10), t.date, enabled);
    lbl->SetAutoSize(true);
    lbl->SetFocusControl(plain);
    auto* f2 = Put<TF2Button>(fx, parent, Bounds(0, 0, 10, 10), nullptr, enabled);
    f2->SetF2Control(plain);
    f2->SetGlyphIndex(9);
    auto* box = Put<TBitCheckBox>(fx, parent, Bounds(420, top + 2, 210, 17), t.flag, enabled);
    if (checked) box->SetState(TCheckBoxState::cbChecked);
    if (state == 3) box->SetState(TCheckBoxState::cbGrayed);
    auto* radio = Put<TQvRadioButton>(fx, parent, Bounds(640, top + 2, 100, 17), t.down, enabled);
    radio->SetChecked(checked);
    auto* check = Put<TQVCheckBox>(fx, parent, Bounds(750, top + 2, 110, 17), t.caseText, enabled);
    check->SetChecked(checked);
    if (state == 4) {
        // The focused row, with the captions left of their marks.
        box->SetFocus();
        check->SetAlignment(TLeftRight::taLeftJustify);
        radio->SetAlignment(TLeftRight::taLeftJustify);
    }
}
}  // namespace

// Every control in every state, in Chinese and in English, painted to a
// picture kept for a look (controls-<lang>.png in the temporary folder).
TEST(ControlsGallery, EveryControlPaintsInEveryState) {
    for (const Texts& t : kTexts) {
        ctltest::Fixture fx;
        fx.form->SetCaption(std::string("控件 ") + t.lang);
        fx.form->Font()->SetName("宋体");
        fx.form->Font()->SetSize(9);
        fx.form->SetClientWidth(900);
        fx.form->SetClientHeight(330);
        fx.outer->SetBounds(0, 0, 900, 330);
        fx.inner->SetBounds(0, 0, 900, 330);
        auto* pc = new TExtPageControl(fx.form);
        pc->SetParent(fx.inner);
        pc->SetBounds(8, 8, 884, 314);
        TTabSheet* sheets[3];
        const char* captions[] = {t.head, t.other, "隐藏"};
        for (int i = 0; i < 3; ++i) {
            sheets[i] = new TTabSheet(fx.form);
            sheets[i]->SetCaption(captions[i]);
            sheets[i]->SetPageControl(pc);
        }
        sheets[2]->SetTabVisible(false);
        pc->SetActivePage(sheets[0]);
        // Rows: enabled, disabled, checked, grayed, focused.
        for (int state = 0; state < 5; ++state) Row(fx, sheets[0], t, 16 + state * 40, state);
        Application->ProcessMessages();
        auto dir = std::filesystem::temp_directory_path();
        std::string path = (dir / (std::string("controls-") + t.lang + ".png")).string();
        SaveScreenshot(fx.form, path);
        EXPECT_TRUE(std::filesystem::exists(path));
    }
}
