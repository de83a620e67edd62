#include <gtest/gtest.h>

#include "data_fixtures.h"
#include "platform/core/exceptions.h"

using namespace plat;
using namespace datatest;

namespace {

struct Fields : ::testing::Test {
    TComponent owner;
    TClientDataSet* ds = simpleDataSet(&owner, 2);
    TField* id = ds->FieldByName("ID");
    TField* name = ds->FieldByName("NAME");
    TField* amt = ds->FieldByName("AMT");
};

}  // namespace

TEST_F(Fields, StateOrdinalsAreThePlatforms) {
    EXPECT_EQ((int)dsInactive, 0);
    EXPECT_EQ((int)dsBrowse, 1);
    EXPECT_EQ((int)dsEdit, 2);
    EXPECT_EQ((int)dsInsert, 3);
}

TEST_F(Fields, StringsAreCutToTheirWidthWithoutSplittingACharacter) {
    ds->Edit();
    // Size 10: five CJK characters are 10 wide; a sixth does not fit.
    name->SetAsString("委外进货单号");
    EXPECT_EQ(name->AsString(), "委外进货单");
    // ASCII then CJK: "ABCDEFGHI" is 9 wide, the next character needs 2.
    name->SetAsString("ABCDEFGHI中");
    EXPECT_EQ(name->AsString(), "ABCDEFGHI");
    name->SetAsString("AB中C");
    EXPECT_EQ(name->AsString(), "AB中C");
    ds->Cancel();
}

TEST_F(Fields, AWideStringsSizeCountsCharacters) {
    TComponent o;
    auto* d = new TClientDataSet(&o);
    d->FieldDefs().Add("W", TFieldType::ftWideString, 4);
    d->CreateDataSet();
    d->Append();
    d->FieldByName("W")->SetAsString("一二三四五");
    EXPECT_EQ(d->FieldByName("W")->AsString(), "一二三四");
    d->FieldByName("W")->SetAsString("ab一二三");
    EXPECT_EQ(d->FieldByName("W")->AsString(), "ab一二");
}

TEST_F(Fields, DefaultStringSizeIsTwenty) {
    TStringField f(nullptr);
    EXPECT_EQ(f.Size(), 20);
}

TEST_F(Fields, NullEmptyTextAndZeroStayApart) {
    ds->Append();
    EXPECT_TRUE(name->IsNull());
    EXPECT_EQ(name->AsString(), "");
    name->SetAsString("");
    EXPECT_FALSE(name->IsNull());
    EXPECT_TRUE(amt->IsNull());
    EXPECT_EQ(amt->AsFloat(), 0.0);
    amt->SetAsString("");  // empty text clears a number field
    EXPECT_TRUE(amt->IsNull());
    ds->Cancel();
}

TEST_F(Fields, ConversionsAndTheirErrors) {
    ds->Edit();
    id->SetAsString(" 42 ");
    EXPECT_EQ(id->AsInteger(), 42);
    EXPECT_EQ(id->Value().Type(), VarType::Integer);
    EXPECT_THROW(id->SetAsString("4x"), EConvertError);
    EXPECT_EQ(id->AsInteger(), 42);  // unchanged after the failed write
    EXPECT_THROW(amt->SetAsString("abc"), EConvertError);
    amt->SetValue(Variant(7));
    EXPECT_EQ(amt->Value().Type(), VarType::Double);
    name->SetAsString("12.5");
    EXPECT_DOUBLE_EQ(name->AsFloat(), 12.5);
    name->SetAsString("zz");
    EXPECT_THROW(name->AsInteger(), EConvertError);
    ds->Cancel();
}

TEST_F(Fields, IntegerKindsCheckTheirRange) {
    TComponent o;
    auto* d = new TClientDataSet(&o);
    d->FieldDefs().Add("S", TFieldType::ftSmallint);
    d->FieldDefs().Add("W", TFieldType::ftWord);
    d->CreateDataSet();
    d->Append();
    d->FieldByName("S")->SetAsInteger(32767);
    EXPECT_THROW(d->FieldByName("S")->SetAsInteger(32768), EDatabaseError);
    EXPECT_THROW(d->FieldByName("W")->SetAsInteger(-1), EDatabaseError);
    EXPECT_EQ(d->FieldByName("S")->AsInteger(), 32767);
}

TEST_F(Fields, TextGoesThroughGetTextAndSetTextButAsStringNever) {
    std::vector<bool> displayFlags;
    name->OnGetText = [&](TField* f, std::string& text, bool display) {
        displayFlags.push_back(display);
        text = "<" + f->AsString() + ">";
    };
    name->OnSetText = [](TField* f, const std::string& text) { f->SetAsString(text + "!"); };
    EXPECT_EQ(name->DisplayText(), "<N1>");
    EXPECT_EQ(name->Text(), "<N1>");
    EXPECT_EQ(displayFlags, (std::vector<bool>{true, false}));
    EXPECT_EQ(name->AsString(), "N1");
    ds->Edit();
    name->SetText("ab");
    EXPECT_EQ(name->AsString(), "ab!");
    ds->Cancel();
}

TEST_F(Fields, NumbersUseTheirDisplayAndEditFormats) {
    auto* f = static_cast<TFloatField*>(amt);
    f->SetDisplayFormat("#,##0.00");
    ds->Edit();
    amt->SetAsFloat(1234.5);
    EXPECT_EQ(amt->DisplayText(), "1,234.50");
    EXPECT_EQ(amt->Text(), "1234.5");
    f->SetEditFormat("0.0");
    EXPECT_EQ(amt->Text(), "1234.5");
    amt->SetText("");
    EXPECT_TRUE(amt->IsNull());
    EXPECT_EQ(amt->DisplayText(), "");
    ds->Cancel();
}

TEST_F(Fields, WritingInBrowseStateOrAReadOnlyFieldRaises) {
    EXPECT_THROW(name->SetAsString("x"), EDatabaseError);
    name->SetReadOnly(true);
    ds->Edit();
    EXPECT_THROW(name->SetAsString("x"), EDatabaseError);
    EXPECT_FALSE(ds->Modified());
    ds->Cancel();
}

TEST_F(Fields, ValidateSeesTheProposedValueEverywhere) {
    std::vector<std::string> seen;
    name->OnValidate = [&](TField* f) {
        seen.push_back(f->AsString());
        seen.push_back(ds->FieldByName("NAME")->AsString());
        seen.push_back(VarToStr(ds->FieldValues("NAME")));
    };
    ds->Edit();
    name->SetAsString("new");
    EXPECT_EQ(seen, (std::vector<std::string>{"new", "new", "new"}));
    ds->Cancel();
}

TEST_F(Fields, AnAbortInValidateLeavesFieldStateAndModifiedFlagAsTheyWere) {
    int changes = 0;
    name->OnChange = [&](TField*) { ++changes; };
    name->OnValidate = [](TField* f) {
        if (f->AsString() == "bad") Abort();
    };
    ds->Edit();
    EXPECT_FALSE(ds->Modified());
    EXPECT_THROW(name->SetAsString("bad"), EAbort);
    EXPECT_EQ(name->AsString(), "N1");
    EXPECT_FALSE(ds->Modified());
    EXPECT_EQ(ds->State(), dsEdit);
    EXPECT_EQ(changes, 0);
    name->SetAsString("good");
    EXPECT_TRUE(ds->Modified());
    EXPECT_EQ(changes, 1);
    ds->Post();
    EXPECT_EQ(name->AsString(), "good");
}

TEST_F(Fields, WritesInsideValidateRunTheirOwnValidationsInOrder) {
    std::vector<std::string> order;
    name->OnValidate = [&](TField*) {
        order.push_back("NAME");
        amt->SetAsFloat(9);
        id->SetAsInteger(5);
        order.push_back("NAME end");
    };
    amt->OnValidate = [&](TField* f) { order.push_back("AMT=" + f->AsString()); };
    id->OnValidate = [&](TField* f) { order.push_back("ID=" + f->AsString()); };
    amt->OnChange = [&](TField*) { order.push_back("AMT changed"); };
    name->OnChange = [&](TField*) { order.push_back("NAME changed"); };
    ds->Edit();
    name->SetAsString("x");
    EXPECT_EQ(order, (std::vector<std::string>{"NAME", "AMT=9", "AMT changed", "ID=5", "NAME end",
                                               "NAME changed"}));
    ds->Cancel();
}

TEST_F(Fields, AWrongFieldNameNamesTheFieldAndTheDataSet) {
    try {
        ds->FieldByName("NOPE");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(std::string(e.what()), "cdsSimple: Field 'NOPE' not found");
    }
    EXPECT_EQ(ds->FindField("nope"), nullptr);
    EXPECT_EQ(ds->FindField("name"), name);
}

TEST_F(Fields, IndexReordersTheFieldList) {
    amt->SetIndex(0);
    EXPECT_EQ(ds->Fields()[0], amt);
    EXPECT_EQ(ds->Fields()[1], id);
    EXPECT_EQ(amt->Index(), 0);
    EXPECT_EQ(name->Index(), 2);
    EXPECT_EQ(amt->AsFloat(), 1.5);  // values follow the field, not the position
}

TEST_F(Fields, DisplayPropertiesHaveDefaults) {
    EXPECT_EQ(name->DisplayLabel(), "NAME");
    name->SetDisplayLabel("名称");
    EXPECT_EQ(name->DisplayLabel(), "名称");
    EXPECT_EQ(name->DisplayWidth(), 10);
    name->SetDisplayWidth(4);
    EXPECT_EQ(name->DisplayWidth(), 4);
    EXPECT_TRUE(name->Visible());
    EXPECT_EQ(name->FieldNo(), 2);
}

TEST(FieldTypes, EachKindStoresAndShowsItsValue) {
    TComponent o;
    auto* d = new TClientDataSet(&o);
    struct Case {
        const char* name;
        TFieldType type;
        Variant in;
        std::string text;
    };
    std::vector<Case> cases = {
        {"FC", TFieldType::ftFixedChar, "ab", "ab"},
        {"WS", TFieldType::ftWideString, "宽字", "宽字"},
        {"MEMO", TFieldType::ftMemo, std::string(300, 'm'), std::string(300, 'm')},
        {"LI", TFieldType::ftLargeint, Variant((long long)1 << 40), "1099511627776"},
        {"CUR", TFieldType::ftCurrency, 2.5, "2.5"},
        {"BCD", TFieldType::ftBCD, "12.3456", "12.3456"},
        {"B", TFieldType::ftBoolean, "t", "True"},
        {"D", TFieldType::ftDate, "2024/03/15", "2024/03/15"},
        {"T", TFieldType::ftTime, Variant::Date(0.5), "12:00:00"},
        {"DT", TFieldType::ftDateTime, "2024-03-15 08:30", "2024/03/15 08:30:00"},
        {"BL", TFieldType::ftBlob, VarArrayOf({65, 66}), "AB"},
        {"BY", TFieldType::ftBytes, "xyz", "xyz"},
        {"V", TFieldType::ftVariant, 5, "5"},
    };
    for (const Case& c : cases) d->FieldDefs().Add(c.name, c.type);
    d->FieldDefs()[0].Size = 4;
    d->CreateDataSet();
    d->Append();
    for (const Case& c : cases) {
        d->FieldByName(c.name)->SetValue(c.in);
        EXPECT_EQ(d->FieldByName(c.name)->DisplayText(), c.text) << c.name;
    }
    d->Post();
    for (const Case& c : cases) EXPECT_EQ(d->FieldByName(c.name)->DisplayText(), c.text) << c.name;
    EXPECT_TRUE(d->FieldByName("B")->AsBoolean());
    EXPECT_EQ(d->FieldByName("D")->ClassName(), "TDateField");
}
