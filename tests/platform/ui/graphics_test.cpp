#include "platform/ui/graphics.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/ui/resources.h"

using namespace plat;

TEST(Colors, SystemColorsComeFromTheFixedTable) {
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
    EXPECT_EQ(ColorToRGB(clHighlight), RGB(10, 36, 106));
    EXPECT_EQ(ColorToRGB(clBtnHighlight), RGB(255, 255, 255));
    EXPECT_EQ(ColorToRGB((TColor)0x80000010), ColorToRGB(clBtnShadow));
    // $00BBGGRR: low byte red.
    EXPECT_EQ(GetRValue(15532027), 251);
    EXPECT_EQ(GetGValue(15532027), 255);
    EXPECT_EQ(GetBValue(15532027), 236);
}

TEST(Colors, TextForms) {
    EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
    EXPECT_EQ(ColorToString(0xF2DCB7), "$00F2DCB7");
    EXPECT_EQ(StringToColor("clRed"), clRed);
    EXPECT_EQ(StringToColor("$00FF8000"), 0xFF8000);
    EXPECT_EQ(StringToColor("15532027"), 15532027);
    EXPECT_THROW(StringToColor("reddish"), EConvertError);
}

TEST(Fonts, SizeAndHeightRoundAsThePlatform) {
    struct Case {
        int height;
        int size;
    } cases[] = {{-13, 10}, {-12, 9}, {-11, 8}, {-16, 12}, {-9, 7}};
    for (auto c : cases) {
        TFont f;
        f.SetHeight(c.height);
        EXPECT_EQ(f.Size(), c.size) << c.height;
    }
    TFont f;
    f.SetSize(9);
    EXPECT_EQ(f.Height(), -12);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);
}

TEST(Fonts, ChangesAreAnnounced) {
    TFont f;
    int n = 0;
    f.OnChange = [&] { ++n; };
    f.SetCharset(GB2312_CHARSET);
    f.SetCharset(GB2312_CHARSET);  // unchanged: no notice
    f.SetStyle({fsBold});
    EXPECT_EQ(n, 2);
    TFont g;
    g.Assign(f);
    EXPECT_EQ(g.Charset(), 134);
    EXPECT_TRUE(g.Style().Contains(fsBold));
}

TEST(Text, PrefixMarksTheUnderlinedCharacter) {
    int u = -1;
    EXPECT_EQ(StripPrefix("保存后继续录入下一笔(&N)", &u), "保存后继续录入下一笔(N)");
    EXPECT_EQ(u, 11);
    EXPECT_EQ(StripPrefix("A&&B", &u), "A&B");
    EXPECT_EQ(u, -1);
    EXPECT_EQ(AccelCharOf("新增(&a)"), U'A');
    EXPECT_EQ(AccelCharOf("no mark"), 0u);
}

TEST(Text, DrawTextLaysOutByFlags) {
    TRecordingCanvas c;
    c.Font.SetHeight(-13);
    int w = c.TextWidth("aaaa");
    // Word break at blanks: three words in a box two words wide.
    TRect r = Bounds(0, 0, w * 2 + c.TextWidth(" ") + 1, 100);
    int h = c.DrawText("aaaa aaaa aaaa", r, DT_WORDBREAK);
    EXPECT_EQ(c.Texts(), (std::vector<std::string>{"aaaa aaaa", "aaaa"}));
    EXPECT_EQ(h, 2 * c.TextHeight("a"));
    // End ellipsis keeps a single line inside the width.
    c.Clear();
    TRect e = Bounds(0, 0, w, 20);
    c.DrawText("aaaaaaaaaaaa", e, DT_SINGLELINE | DT_END_ELLIPSIS);
    ASSERT_EQ(c.Ops().size(), 1u);
    EXPECT_LE(c.TextWidth(c.Ops()[0].Text), w);
    EXPECT_EQ(c.Ops()[0].Text.substr(c.Ops()[0].Text.size() - 3), "...");
    // Prefix: "&" marks, no prefix keeps it.
    c.Clear();
    TRect p = Bounds(0, 0, 200, 20);
    c.DrawText("&Open", p, DT_SINGLELINE);
    c.DrawText("&Open", p, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(c.Ops()[0].Text, "Open");
    EXPECT_EQ(c.Ops()[0].UnderlineIndex, 0);
    EXPECT_EQ(c.Ops()[1].Text, "&Open");
    // Right and vertically centred in a single line.
    c.Clear();
    TRect q = Bounds(10, 10, 100, 40);
    c.DrawText("x", q, DT_SINGLELINE | DT_RIGHT | DT_VCENTER);
    EXPECT_EQ(c.Ops()[0].Points[0].X, 110 - c.TextWidth("x"));
    EXPECT_EQ(c.Ops()[0].Points[0].Y, 10 + (40 - c.TextHeight("x")) / 2);
    // CALCRECT measures without drawing.
    c.Clear();
    TRect m = Bounds(5, 5, 0, 0);
    c.DrawText("ab", m, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_TRUE(c.Ops().empty());
    EXPECT_EQ(m.Width(), c.TextWidth("ab"));
    EXPECT_EQ(m.Height(), c.TextHeight("ab"));
}

// A line drawn as it is (no prefix) lands where the general layout puts a
// line without "&": same text, origin, clip and returned height, in every
// placement, for Chinese, empty and malformed UTF-8 text and the symbol font.
TEST(Text, APlainLineLandsWhereTheLayoutPutsIt) {
    const std::vector<std::string> texts{"C1001", "委外进货单 规格 45x28 mm", "", "12.50",
                                         "bad\xE4\x41 \x80 \xC0\xAF"};
    const std::vector<unsigned> placements{
        0, DT_RIGHT, DT_CENTER, DT_VCENTER, DT_BOTTOM, DT_NOCLIP, DT_RIGHT | DT_VCENTER};
    for (const char* face : {"MS Sans Serif", "Wingdings"})
        for (const std::string& text : texts)
            for (unsigned placement : placements) {
                SCOPED_TRACE(std::string(face) + " [" + text + "] " + std::to_string(placement));
                TRecordingCanvas c;
                c.Font.SetName(face);
                c.Font.SetHeight(-13);
                c.Brush.Style = TBrushStyle::bsClear;
                TRect a = Bounds(7, 5, 90, 24), b = a;
                const int ha = c.DrawText(text, a, DT_SINGLELINE | DT_NOPREFIX | placement);
                const int hb = c.DrawText(text, b, DT_SINGLELINE | placement);
                ASSERT_EQ(c.Ops().size(), 2u);
                const CanvasOp &plain = c.Ops()[0], &laid = c.Ops()[1];
                EXPECT_EQ(plain.Text, laid.Text);
                EXPECT_EQ(plain.Points, laid.Points);
                EXPECT_EQ(plain.Rect, laid.Rect);
                EXPECT_EQ(plain.Clipped, laid.Clipped);
                EXPECT_EQ(plain.Opaque, laid.Opaque);
                EXPECT_EQ(plain.UnderlineIndex, -1);
                EXPECT_EQ(ha, hb);
            }
}

TEST(Text, ChineseBreaksBetweenCharacters) {
    TRecordingCanvas c;
    int w = c.TextWidth("委外进");
    TRect r = Bounds(0, 0, w, 100);
    c.DrawText("委外进货单", r, DT_WORDBREAK);
    EXPECT_EQ(c.Texts(), (std::vector<std::string>{"委外进", "货单"}));
}

TEST(Bitmaps, TransparentCopyLeavesTheLowerLeftColourOut) {
    TBitmap dest(4, 4);
    dest.Canvas()->Brush.Color = clBlue;
    dest.Canvas()->FillRect(Bounds(0, 0, 4, 4));
    TBitmap src(2, 2);
    src.SetPixel(0, 0, clRed);
    src.SetPixel(1, 0, clOlive);
    src.SetPixel(0, 1, clOlive);  // lower left: the transparent colour
    src.SetPixel(1, 1, clLime);
    src.Transparent = true;
    EXPECT_EQ(src.TransparentColor(), clOlive);
    dest.Canvas()->Draw(1, 1, src);
    EXPECT_EQ(dest.GetPixel(1, 1), clRed);
    EXPECT_EQ(dest.GetPixel(2, 1), clBlue);
    EXPECT_EQ(dest.GetPixel(1, 2), clBlue);
    EXPECT_EQ(dest.GetPixel(2, 2), clLime);
    // Replaced by the brush instead (the platform's BrushCopy).
    dest.Canvas()->Brush.Color = clYellow;
    dest.Canvas()->BrushCopy(Bounds(1, 1, 2, 2), src, Bounds(0, 0, 2, 2), clOlive);
    EXPECT_EQ(dest.GetPixel(2, 1), clYellow);
}

TEST(Bitmaps, FocusRectangleInvertsEveryOtherPixelAndUndoesItself) {
    TBitmap b(6, 5);
    b.Canvas()->Brush.Color = clWhite;
    b.Canvas()->FillRect(Bounds(0, 0, 6, 5));
    b.Canvas()->DrawFocusRect(Bounds(0, 0, 6, 5));
    EXPECT_EQ(b.GetPixel(0, 0), clBlack);
    EXPECT_EQ(b.GetPixel(1, 0), clWhite);
    EXPECT_EQ(b.GetPixel(2, 0), clBlack);
    EXPECT_EQ(b.GetPixel(5, 1), clBlack);  // (5 + 1) is even
    EXPECT_EQ(b.GetPixel(2, 2), clWhite);  // inside untouched
    b.Canvas()->DrawFocusRect(Bounds(0, 0, 6, 5));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(b.GetPixel(x, y), clWhite);
}

TEST(Bitmaps, RasterOperations) {
    TBitmap src(1, 1);
    src.SetPixel(0, 0, RGB(10, 20, 30));
    TBitmap dst(1, 1);
    dst.Canvas()->CopyMode = cmNotSrcCopy;
    dst.Canvas()->CopyRect(Bounds(0, 0, 1, 1), src, Bounds(0, 0, 1, 1));
    EXPECT_EQ(dst.GetPixel(0, 0), RGB(245, 235, 225));
    // Through a mask (DSPDxax): white mask pixels take the brush colour.
    TBitmap mask(2, 1);
    mask.SetPixel(0, 0, clWhite);
    mask.SetPixel(1, 0, clBlack);
    TBitmap d2(2, 1);
    d2.SetPixel(0, 0, clGreen);
    d2.SetPixel(1, 0, clGreen);
    d2.Canvas()->Brush.Color = clBtnShadow;
    d2.Canvas()->CopyMode = 0x00E20746;
    d2.Canvas()->CopyRect(Bounds(0, 0, 2, 1), mask, Bounds(0, 0, 2, 1));
    EXPECT_EQ(d2.GetPixel(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(d2.GetPixel(1, 0), clGreen);
}

TEST(Bitmaps, Frame3DDrawsAndShrinks) {
    TBitmap b(5, 5);
    TRect r = Bounds(0, 0, 5, 5);
    Frame3D(*b.Canvas(), r, clWhite, clGray, 1);
    EXPECT_EQ(r, Bounds(1, 1, 3, 3));
    EXPECT_EQ(b.GetPixel(0, 0), clWhite);
    EXPECT_EQ(b.GetPixel(0, 3), clWhite);
    EXPECT_EQ(b.GetPixel(4, 4), clGray);
    EXPECT_EQ(b.GetPixel(4, 0), clGray);
}

TEST(Bitmaps, ResizeKeepsPixelsAndMonochromeMasks) {
    TBitmap b(2, 2);
    b.SetPixel(0, 0, clBlack);
    b.SetWidth(4);
    EXPECT_EQ(b.GetPixel(0, 0), clBlack);
    EXPECT_EQ(b.GetPixel(3, 1), clWhite);
    b.ToMonochrome(clBlack);
    EXPECT_TRUE(b.Monochrome());
    EXPECT_EQ(b.GetPixel(0, 0), clWhite);
    EXPECT_EQ(b.GetPixel(1, 0), clBlack);
}

TEST(Bitmaps, CompiledInResources) {
    static const char* const dot[] = {"2 1 2 1", "a c #FF0000", "b c #00FF00", "ab"};
    RegisterBitmapResource("TEST_DOT", dot);
    TBitmap b;
    b.LoadFromResourceName("test_dot");
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.GetPixel(0, 0), clRed);
    EXPECT_EQ(b.GetPixel(1, 0), clLime);
    EXPECT_THROW(b.LoadFromResourceName("NO_SUCH"), EResNotFound);
}
