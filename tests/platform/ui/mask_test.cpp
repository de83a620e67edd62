#include "platform/ui/mask.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "ui_test_util.h"

using namespace plat;

TEST(EditMask, EmptyTextsOfDateAndTimeMasks) {
    TEditMask date("!9999/99/99;1;_");
    EXPECT_EQ(date.EmptyEditText(), "____/__/__");
    // The Text of an empty date: four blanks, "/", two blanks, "/", two blanks.
    EXPECT_EQ(date.TextOf(date.EmptyEditText()), "    /  /  ");
    TEditMask time("99:99;1;_");
    EXPECT_EQ(time.TextOf(time.EmptyEditText()), "  :  ");
    TEditMask plain("000-0000;0;*");
    EXPECT_EQ(plain.EmptyEditText(), "***-****");
    EXPECT_EQ(plain.TextOf(plain.EmptyEditText()), "");
}

TEST(EditMask, TextAndEditTextRoundTrip) {
    struct Case {
        const char* mask;
        const char* text;
        const char* edit;
        const char* back;
    } cases[] = {
        {"99:99;1;_", "12:30", "12:30", "12:30"},
        {"99:99;1;_", "1230", "12:30", "12:30"},  // literals put in
        {"9999/99/99;1;_", "2024/1/5", "2024/1_/5_", "2024/1 /5 "},
        {"000-0000;0;_", "1234567", "123-4567", "1234567"},
        {"000-0000;0;_", "12", "12_-____", "12"},  // literals not saved
        {"!999;0;_", "7", "__7", "7"},             // optional positions lead
        {">LLL;0;_", "abc", "ABC", "ABC"},
        {"\\A99;1;_", "A12", "A12", "A12"},  // an escaped literal
    };
    for (auto& c : cases) {
        TEditMask m(c.mask);
        EXPECT_EQ(m.EditTextOf(c.text), c.edit) << c.mask << " " << c.text;
        EXPECT_EQ(m.TextOf(c.edit), c.back) << c.mask << " " << c.edit;
    }
    EXPECT_EQ(FormatMaskText("9999/99/99;1;_", "20240105"), "2024/01/05");
    EXPECT_EQ(FormatMaskText("000-0000;0;_", "12"), "12 -    ");
}

TEST(EditMask, RequiredPositionsMustBeFilled) {
    TEditMask m("0000/00/00;1;_");
    int pos = -1;
    EXPECT_TRUE(m.Validate("2024/01/05", pos));
    EXPECT_FALSE(m.Validate("2024/1_/05", pos));
    EXPECT_EQ(pos, 6);
    EXPECT_FALSE(m.Validate("2024/ 1/05", pos));  // a blank is no digit
    EXPECT_EQ(pos, 5);
    TEditMask opt("9999;1;_");
    EXPECT_TRUE(opt.Validate("____", pos));
}

TEST(EditMask, TypingSkipsLiteralsAndRefusesWhatDoesNotFit) {
    TEditMask m("00:00;1;_");
    std::u32string e = Utf8ToU32(m.EmptyEditText());
    int cursor = 0;
    for (char32_t c : std::u32string_view(U"12")) ASSERT_TRUE(m.InputChar(e, cursor, 0, c));
    EXPECT_EQ(cursor, 3);  // past the ":"
    EXPECT_FALSE(m.InputChar(e, cursor, 0, 'x'));
    EXPECT_TRUE(m.InputChar(e, cursor, 0, '3'));
    EXPECT_EQ(U32ToUtf8(e), "12:3_");
    m.Backspace(e, cursor, 0);
    m.Backspace(e, cursor, 0);  // over the literal to the "2"
    EXPECT_EQ(U32ToUtf8(e), "1_:__");
    EXPECT_EQ(cursor, 1);
    // Typing over a selection blanks it first; the literal stays.
    cursor = 0;
    EXPECT_TRUE(m.InputChar(e, cursor, 5, '9'));
    EXPECT_EQ(U32ToUtf8(e), "9_:__");
}

namespace {
struct MaskForm {
    TForm* form = CreateForm<TForm>(nullptr);
    TMaskEdit* date = new TMaskEdit(form);
    TEdit* other = new TEdit(form);
    MaskForm() {
        date->SetParent(form);
        date->SetEditMask("0000/00/00;1;_");
        other->SetParent(form);
        other->SetTop(40);
        uitest::ShowActive(form);
        date->SetFocus();
    }
    void type(const char* s) {
        for (char32_t c : Utf8ToU32(s)) date->SimulateKey(0, {}, c);
    }
    ~MaskForm() { form->Free(); }
};
}  // namespace

TEST(MaskEdit, TypedCharactersFillTheMask) {
    MaskForm f;
    EXPECT_EQ(f.date->EditText(), "____/__/__");
    f.type("2024a0105");
    EXPECT_EQ(f.date->EditText(), "2024/01/05");
    EXPECT_EQ(f.date->Text(), "2024/01/05");
    EXPECT_TRUE(f.date->Modified());
    f.date->SetText("19991231");
    EXPECT_EQ(f.date->EditText(), "1999/12/31");
    EXPECT_FALSE(f.date->Modified());
}

TEST(MaskEdit, LeavingAnIncompleteValueIsRefused) {
    uitest::Capture cap;
    MaskForm f;
    f.type("2024");
    f.other->SetFocus();
    EXPECT_TRUE(f.date->Focused());
    EXPECT_EQ(
        cap.dialogs->Texts(),
        (std::vector<std::string>{"Invalid input value.  Use escape key to abandon changes."}));
    // Esc puts back the text it had when entered, and leaving is allowed again.
    f.date->SimulateKey(VK_ESCAPE);
    EXPECT_EQ(f.date->EditText(), "____/__/__");
    f.other->SetFocus();
    EXPECT_TRUE(f.other->Focused());
}
