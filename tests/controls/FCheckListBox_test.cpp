#include "controls/FCheckListBox.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>

#include "platform/ui/keys.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/ui_test_util.h"

namespace ktrb::test {
namespace {

using plat::TColor;

// Within the anti-aliasing of a glyph's strokes.
bool near(TColor a, TColor b) {
    for (int shift : {0, 8, 16})
        if (std::abs(((a >> shift) & 0xFF) - ((b >> shift) & 0xFF)) > 60) return false;
    return true;
}

struct ListFixture {
    plat::TForm* form = plat::CreateForm<plat::TForm>(nullptr);
    TFCheckListBox* list = new TFCheckListBox(form);
    std::vector<int> checks;
    ListFixture() {
        form->SetClientWidth(240);
        form->SetClientHeight(140);
        list->SetParent(form);
        list->SetBounds(10, 10, 220, 120);
        for (const char* s : {"单号", "日期", "供应商"}) list->Items()->Add(s);
        list->OnCheck = TCheckEvent([this](plat::TObject*, int i) { checks.push_back(i); });
        uitest::ShowActive(form);
    }
    ~ListFixture() { form->Free(); }
    // A left click where the user clicks: on the list's viewport.
    void Click(int x, int y) {
        QWidget* vp = static_cast<QAbstractScrollArea*>(list->Widget())->viewport();
        QPoint at = vp->mapFrom(list->Widget(), QPoint(x, y));
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, QPointF(at), vp->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
            QCoreApplication::sendEvent(vp, &e);
        }
    }
    // Pixels of a colour inside the row's check box, drawn on a bitmap.
    int Count(int index, TColor color, bool selected) {
        plat::TBitmap b(220, 24);
        plat::TRect r(0, 0, 220, 24);
        plat::TOwnerDrawState state;
        if (selected) state.Include(plat::TOwnerDrawStateItem::odSelected);
        list->DrawItemTo(*b.Canvas(), index, r, state);
        plat::TRect box = list->CheckBoxRect(r);
        int n = 0;
        for (int y = box.Top; y < box.Bottom; ++y)
            for (int x = box.Left; x < box.Right; ++x) n += near(b.GetPixel(x, y), color);
        return n;
    }
};

TEST(FCheckListBox, DefaultsAndBoxSize) {
    ListFixture f;
    EXPECT_EQ(f.list->ItemHeight(), 24);
    EXPECT_EQ(f.list->BoxSize(), 18);
    EXPECT_EQ(f.list->CheckStyle(), 1);
    f.list->SetBoxSize(30);
    EXPECT_EQ(f.list->BoxSize(), 24);
}

TEST(FCheckListBox, GlyphColoursFollowStyleAndState) {
    ListFixture f;
    const TColor red = 0x0000FF, hl = plat::ColorToRGB(plat::clHighlightText);
    f.list->SetChecked(0, true);
    EXPECT_GT(f.Count(0, red, false), 0);  // style 1 checked: red
    EXPECT_EQ(f.Count(1, red, false), 0);  // unchecked: black
    EXPECT_GT(f.Count(1, 0, false), 0);
    f.list->SetCheckStyle(4);
    EXPECT_EQ(f.Count(0, red, false), 0);  // checked: black arrow
    // Selected: the black arrow in the highlight-text colour on the bar.
    f.list->SetBarColor(0x00FF00);
    EXPECT_GT(f.Count(0, hl, true), 0);
    EXPECT_GT(f.Count(0, 0x00FF00, true), 0);
    EXPECT_EQ(f.Count(0, 0, true), 0);
}

TEST(FCheckListBox, ClickOnTheGlyphTogglesAndSpaceToo) {
    ListFixture f;
    plat::TRect row = f.list->ItemRect(1);
    plat::TRect box = f.list->CheckBoxRect(row);
    f.Click(box.Left + 4, box.Top + 4);
    EXPECT_TRUE(f.list->GetChecked(1));
    EXPECT_EQ(f.checks, std::vector<int>{1});
    f.Click(120, row.Top + 4);  // the text: selects only
    EXPECT_TRUE(f.list->GetChecked(1));
    EXPECT_EQ(f.list->ItemIndex(), 1);
    f.list->SimulateKey(plat::VK_SPACE);
    EXPECT_FALSE(f.list->GetChecked(1));
    // The same value again still reports.
    f.list->SetChecked(1, false);
    EXPECT_EQ(f.checks, (std::vector<int>{1, 1, 1}));
}

TEST(FCheckListBox, ANewRowAtADeletedCheckedRowsPlaceIsUnchecked) {
    ListFixture f;
    f.list->SetChecked(2, true);
    f.list->Items()->Delete(2);
    f.list->Items()->Add("税额");
    EXPECT_FALSE(f.list->GetChecked(2));
    for (int i = 0; i < 100; ++i) {
        f.list->Items()->Add("x");
        f.list->SetChecked(3, true);
        f.list->Items()->Delete(3);
    }
    EXPECT_FALSE(f.list->GetChecked(0));
}

TEST(FCheckListBox, Picture) {
    ListFixture f;
    f.list->SetCheckStyle(3);
    f.list->SetChecked(0, true);
    f.list->SetItemIndex(1);
    plat::SaveScreenshot(f.form, ::testing::TempDir() + "FCheckListBox.png");
    if (const char* dir = std::getenv("KTRB_SHOTS"))
        plat::SaveScreenshot(f.form, std::string(dir) + "/FCheckListBox.png");
}

}  // namespace
}  // namespace ktrb::test
