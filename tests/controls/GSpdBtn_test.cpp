#include "controls/GSpdBtn.h"

#include <gtest/gtest.h>

#include "controls/F2Button.h"
#include "controls/GlyphLibrary.h"
#include "controls/controls_fixture.h"
#include "platform/core/exceptions.h"

using namespace plat;
using namespace ktrb;

namespace {
// A library of two glyphs (1: four 16 x 16 images, 2: one) that counts its
// loads and fails on glyph 3.
struct FakeLibrary : IGlyphLibrary {
    int loads = 0;
    int GetMaxBmpID() override { return 5; }
    bool LoadBmp(TBitmap& b, int index) override {
        ++loads;
        if (index == 3) throw EInOutError("broken");
        if (index == 1) b.SetSize(64, 16);
        if (index == 2) b.SetSize(16, 16);
        return index == 1 || index == 2;
    }
};

struct Library {
    std::shared_ptr<FakeLibrary> fake = std::make_shared<FakeLibrary>();
    std::shared_ptr<IGlyphLibrary> old = SetGlyphLibrary(fake);
    ~Library() { SetGlyphLibrary(old); }
};
}  // namespace

TEST(GlyphButton, ShowsTheGlyphOrItsNumber) {
    Library lib;
    uitest::Capture cap;
    TGSpeedButton b(nullptr);
    struct Case {
        int index;
        const char* caption;
        int numGlyphs;
        bool hasGlyph;
    } cases[] = {{1, "", 4, true},  {2, "", 1, true},   {4, "4", 1, true},
                 {3, "3", 1, true}, {0, "0", 1, false}, {6, "6", 1, false}};
    for (const Case& c : cases) {
        b.SetGlyphIndex(c.index);
        SCOPED_TRACE(c.index);
        EXPECT_EQ(b.GlyphIndex(), c.index);
        EXPECT_EQ(b.Caption(), c.caption);
        if (c.caption[0] == 0) {
            EXPECT_EQ(b.NumGlyphs(), c.numGlyphs);
        }
        EXPECT_EQ(!b.Glyph()->Empty(), c.hasGlyph);
    }
    // Only the broken glyph reports an error.
    ASSERT_EQ(cap.dialogs->Requests().size(), 1u);
    EXPECT_EQ(cap.dialogs->Requests()[0].Text, "读取 BMP 发生错误");
    int loads = lib.fake->loads;
    b.SetGlyphIndex(2);
    b.SetGlyphIndex(2);
    EXPECT_EQ(lib.fake->loads, loads + 1);
}

TEST(GlyphButton, BuiltInLibraryHoldsTheGlyphsTheFormsUse) {
    TQVSpdBtn b(nullptr);
    for (int index : {4, 8, 9, 11, 39, 47, 62}) {
        b.SetGlyphIndex(index);
        EXPECT_EQ(b.Caption(), "") << index;
        EXPECT_EQ(b.Glyph()->Width(), b.Glyph()->Height() * b.NumGlyphs()) << index;
    }
    b.SetGlyphIndex(GlyphLibrary().GetMaxBmpID() + 1);
    EXPECT_TRUE(b.Glyph()->Empty());
    EXPECT_EQ(b.Caption(), std::to_string(GlyphLibrary().GetMaxBmpID() + 1));
}

TEST(F2Button, SitsSquareBesideItsEditAndAsksTheOwningFormForTheLookup) {
    ctltest::Fixture fx;
    auto* ed = new TEdit(fx.form);
    ed->SetParent(fx.inner);
    ed->SetBounds(20, 30, 100, 21);
    ed->SetReadOnly(true);
    auto* btn = new TF2Button(fx.form);
    btn->SetParent(fx.inner);
    btn->SetF2Control(ed);
    EXPECT_EQ(btn->BoundsRect(), Bounds(122, 30, 21, 21));
    EXPECT_EQ(btn->GlyphIndex(), 8);
    EXPECT_TRUE(btn->Flat());
    btn->SetGap(5);
    EXPECT_EQ(btn->Left(), 125);
    // Later moves of the edit are not followed.
    ed->SetLeft(0);
    EXPECT_EQ(btn->Left(), 125);

    int clicks = 0;
    btn->OnClick = TNotifyEvent([&](TObject*) { ++clicks; }, nullptr);
    btn->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(fx.form->ActiveControl(), ed);
    ASSERT_EQ(fx.form->F2.size(), 1u);
    EXPECT_EQ(fx.form->F2[0], ed);

    ed->SetEnabled(false);
    btn->Click();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(fx.form->F2.size(), 1u);

    delete ed;
    btn->Click();
    EXPECT_EQ(btn->F2Control(), nullptr);
    EXPECT_EQ(fx.form->F2.size(), 1u);
}

TEST(F2Button, ASecondButtonForTheSameEditIsRefusedOnTheForm) {
    ctltest::Fixture fx;
    uitest::Capture cap;
    auto* ed = new TEdit(fx.form);
    ed->SetParent(fx.form);
    auto* first = new TF2Button(fx.form);
    first->SetParent(fx.form);
    first->SetF2Control(ed);
    auto* second = new TF2Button(fx.form);
    second->SetParent(fx.form);
    second->SetF2Control(ed);
    EXPECT_EQ(second->F2Control(), nullptr);
    ASSERT_EQ(cap.dialogs->Requests().size(), 1u);
    EXPECT_EQ(cap.dialogs->Requests()[0].Text, "不能同时有两个 F2Button 指到同一个 Edit.");
    // Setting the same control again changes nothing and says nothing.
    first->SetF2Control(ed);
    EXPECT_EQ(cap.dialogs->Requests().size(), 1u);

    // A panel owns no components, so two buttons there may serve one edit.
    auto* third = new TF2Button(fx.form);
    third->SetParent(fx.inner);
    third->SetF2Control(ed);
    EXPECT_EQ(third->F2Control(), ed);
}
