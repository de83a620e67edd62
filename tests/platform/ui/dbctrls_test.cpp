#include "platform/ui/dbctrls.h"

#include <gtest/gtest.h>

#include <QComboBox>

#include "platform/core/exceptions.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "ui_test_util.h"

using namespace plat;

namespace {
// A receipt header with a code, a flag, a status code and a memo, two records,
// shown on a form.
struct DataForm {
    TForm* form = CreateForm<TForm>(nullptr);
    TClientDataSet* ds = new TClientDataSet(form);
    TDataSource* src = new TDataSource(form);
    TDBEdit* code = new TDBEdit(form);
    TEdit* other = new TEdit(form);

    DataForm() {
        ds->FieldDefs().Add("TH004", TFieldType::ftString, 10);
        ds->FieldDefs().Add("TH026", TFieldType::ftString, 1);
        ds->FieldDefs().Add("TH030", TFieldType::ftString, 1);
        ds->FieldDefs().Add("TH099", TFieldType::ftMemo);
        ds->FieldDefs().Add("QTY", TFieldType::ftFloat);
        ds->CreateDataSet();
        add("A001", "Y", "N", "first");
        add("A002", "t", "Y", "second");
        ds->First();
        src->SetDataSet(ds);
        code->SetParent(form);
        code->SetDataSource(src);
        code->SetDataField("TH004");
        other->SetParent(form);
        other->SetTop(40);
    }
    void add(const char* c, const char* flag, const char* status, const char* memo) {
        ds->Append();
        ds->FieldByName("TH004")->SetAsString(c);
        ds->FieldByName("TH026")->SetAsString(flag);
        ds->FieldByName("TH030")->SetAsString(status);
        ds->FieldByName("TH099")->SetAsString(memo);
        ds->Post();
    }
    template <class C>
    C* bound(const char* field, int top) {
        auto* c = new C(form);
        c->SetParent(form);
        c->SetTop(top);
        c->SetDataSource(src);
        c->SetDataField(field);
        return c;
    }
    ~DataForm() { form->Free(); }
};
}  // namespace

TEST(DBEdit, ShowsTheCurrentRecordAndWritesOnExit) {
    DataForm f;
    EXPECT_EQ(f.code->Text(), "A001");
    EXPECT_EQ(f.code->MaxLength(), 10);
    f.ds->Next();
    EXPECT_EQ(f.code->Text(), "A002");
    uitest::ShowActive(f.form);
    f.code->SetFocus();
    EXPECT_EQ(f.ds->State(), dsBrowse);
    f.code->SelectAll();
    uitest::TypeText(f.code, "B9");
    EXPECT_EQ(f.ds->State(), dsEdit);
    EXPECT_EQ(f.ds->FieldByName("TH004")->AsString(), "A002");
    f.other->SetFocus();
    EXPECT_EQ(f.ds->FieldByName("TH004")->AsString(), "B9");
    f.ds->Post();
    f.ds->First();
    EXPECT_EQ(f.code->Text(), "A001");
}

// A masked text is longer than what is stored (a date's separators; the
// field's text handlers convert): the whole masked text is typed, with or
// without the separators, also when the edit was bound before the mask came.
TEST(DBEdit, AMaskedTextIsNotCutAtTheStoredSize) {
    DataForm f;
    f.ds->FieldByName("TH004")->SetEditMask("9999--99--99;1;_");  // 12 > 10 stored
    uitest::ShowActive(f.form);
    for (const char* typed : {"2024--06--20", "20240620"}) {
        f.code->SetFocus();
        f.code->SelectAll();
        f.code->SetSelStart(0);
        uitest::TypeText(f.code, typed);
        EXPECT_EQ(f.code->Text(), "2024--06--20") << typed;
        f.ds->Cancel();
    }
}

TEST(DBEdit, EscapePutsTheFieldBackAndPostTakesTheText) {
    DataForm f;
    uitest::ShowActive(f.form);
    f.code->SetFocus();
    f.code->SelectAll();
    uitest::TypeText(f.code, "ZZ");
    f.code->SimulateKey(VK_ESCAPE);
    EXPECT_EQ(f.code->Text(), "A001");
    f.code->SelectAll();
    uitest::TypeText(f.code, "ZZ");
    f.ds->Post();  // the edit's pending text goes in with the record
    EXPECT_EQ(f.ds->FieldByName("TH004")->AsString(), "ZZ");
}

TEST(DBEdit, ABrowsingReadOnlySourceKeepsTheTextAndNumbersRefuseLetters) {
    DataForm f;
    f.src->AutoEdit = false;
    uitest::ShowActive(f.form);
    f.code->SetFocus();
    uitest::TypeText(f.code, "X");
    EXPECT_EQ(f.code->Text(), "A001");
    EXPECT_EQ(f.ds->State(), dsBrowse);
    auto* qty = f.bound<TDBEdit>("QTY", 80);
    f.src->AutoEdit = true;
    qty->SetFocus();
    uitest::TypeText(qty, "1a2");
    EXPECT_EQ(qty->Text(), "12");
}

TEST(DBEdit, AReadOnlyFieldTakesNoTypingAndStartsNoEdit) {
    uitest::Capture cap;
    DataForm f;
    f.ds->FieldByName("TH004")->SetReadOnly(true);
    auto* flag = f.bound<TDBCheckBox>("TH026", 80);
    flag->SetValueChecked("Y");
    flag->SetValueUnchecked("N");
    f.ds->FieldByName("TH026")->SetReadOnly(true);
    uitest::ShowActive(f.form);
    f.code->SetFocus();
    uitest::TypeText(f.code, "X");
    f.code->SimulateKey(VK_DELETE);
    EXPECT_EQ(f.code->Text(), "A001");
    EXPECT_EQ(f.ds->State(), dsBrowse);
    flag->Toggle();
    EXPECT_EQ(f.ds->State(), dsBrowse);
    EXPECT_TRUE(flag->Checked());
    // The record in edit for another field: still nothing goes in.
    f.ds->Edit();
    f.code->SetFocus();
    f.code->SetSelStart(4);
    uitest::TypeText(f.code, "X");
    f.other->SetFocus();
    flag->Toggle();
    EXPECT_TRUE(flag->Checked());
    f.ds->Post();
    EXPECT_EQ(f.ds->FieldByName("TH004")->AsString(), "A001");
    EXPECT_EQ(f.ds->FieldByName("TH026")->AsString(), "Y");
    EXPECT_TRUE(cap.dialogs->Texts().empty());
}

TEST(DBEdit, AFailedValidationKeepsTheFocus) {
    uitest::Capture cap;
    DataForm f;
    f.ds->FieldByName("TH004")->OnValidate = TFieldNotifyEvent([](TField* fld) {
        if (fld->AsString() == "BAD") throw EDatabaseError("品号不存在");
    });
    uitest::ShowActive(f.form);
    f.code->SetFocus();
    f.code->SelectAll();
    uitest::TypeText(f.code, "BAD");
    f.other->SetFocus();
    EXPECT_TRUE(f.code->Focused());
    EXPECT_EQ(cap.dialogs->Texts(), (std::vector<std::string>{"品号不存在."}));
    EXPECT_EQ(f.ds->FieldByName("TH004")->AsString(), "A001");
    // The refused text stays, selected, for the user to correct.
    EXPECT_EQ(f.code->Text(), "BAD");
    EXPECT_EQ(f.code->SelLength(), 3);
    f.code->SimulateKey(VK_TAB);
    EXPECT_TRUE(f.code->Focused());
    EXPECT_EQ(f.code->Text(), "BAD");
    uitest::TypeText(f.code, "A009");
    f.other->SetFocus();
    EXPECT_TRUE(f.other->Focused());
    EXPECT_EQ(f.ds->FieldByName("TH004")->AsString(), "A009");
}

TEST(DBEdit, TheFieldCanAskForTheFocus) {
    DataForm f;
    uitest::ShowActive(f.form);
    f.other->SetFocus();
    f.ds->FieldByName("TH004")->FocusControl();
    EXPECT_TRUE(f.code->Focused());
    EXPECT_EQ(reinterpret_cast<TFieldDataLink*>(f.code->Perform(CM_GETDATALINK)),
              f.code->DataLink());
}

TEST(DBCheckBox, FlagTextsAndGrayed) {
    DataForm f;
    auto* box = f.bound<TDBCheckBox>("TH026", 80);
    box->SetValueChecked("Y;T");
    box->SetValueUnchecked("N");
    EXPECT_EQ(box->State(), TCheckBoxState::cbChecked);
    f.ds->Next();
    EXPECT_EQ(box->State(), TCheckBoxState::cbChecked);  // "t" matches "T"
    f.ds->Edit();
    f.ds->FieldByName("TH026")->SetAsString("?");
    EXPECT_EQ(box->State(), TCheckBoxState::cbGrayed);
    // Clicking edits and posting writes the first text of the list.
    box->Toggle();
    EXPECT_TRUE(box->Checked());
    f.ds->Post();
    EXPECT_EQ(f.ds->FieldByName("TH026")->AsString(), "Y");
    box->Toggle();
    f.ds->Post();
    EXPECT_EQ(f.ds->FieldByName("TH026")->AsString(), "N");
    // A read-only box does not change.
    box->SetReadOnly(true);
    box->Toggle();
    EXPECT_FALSE(box->Checked());
}

TEST(DBComboBox, CodesBehindTheShownTexts) {
    DataForm f;
    auto* status = f.bound<TDBComboBox>("TH030", 80);
    status->SetStyle(TComboBoxStyle::csDropDownList);
    status->SetMapList(true);
    status->Items()->Add("已确认\tY");
    status->Items()->Add("未确认\tN");
    f.ds->Next();  // shown again with the items in place
    f.ds->First();
    EXPECT_EQ(status->Text(), "未确认");
    auto* qc = static_cast<QComboBox*>(status->Widget());
    qc->setCurrentIndex(0);
    qc->activated(0);
    EXPECT_EQ(f.ds->State(), dsEdit);
    f.ds->Post();
    EXPECT_EQ(f.ds->FieldByName("TH030")->AsString(), "Y");
}

TEST(DBComboBox, APickThatMayNotEditLeavesTheField) {
    uitest::Capture cap;
    DataForm f;
    auto* status = f.bound<TDBComboBox>("TH030", 80);
    status->SetStyle(TComboBoxStyle::csDropDownList);
    status->SetMapList(true);
    status->Items()->Add("已确认\tY");
    status->Items()->Add("未确认\tN");
    f.ds->Next();  // shown again with the items in place
    f.ds->First();
    uitest::ShowActive(f.form);
    auto pick = [&](int i) {
        status->SetFocus();
        auto* qc = static_cast<QComboBox*>(status->Widget());
        qc->setCurrentIndex(i);
        qc->activated(i);
        f.other->SetFocus();
    };
    // A read-only combo on a record being edited.
    status->SetReadOnly(true);
    f.ds->Edit();
    pick(0);
    EXPECT_EQ(status->Text(), "未确认");
    f.ds->Post();
    EXPECT_EQ(f.ds->FieldByName("TH030")->AsString(), "N");
    // A source that does not start editing.
    status->SetReadOnly(false);
    f.src->AutoEdit = false;
    pick(0);
    EXPECT_EQ(status->Text(), "未确认");
    EXPECT_EQ(f.ds->State(), dsBrowse);
    EXPECT_TRUE(cap.dialogs->Texts().empty());
    EXPECT_FALSE(status->Focused());
}

TEST(DBMemoAndText, ShowAndWrite) {
    DataForm f;
    auto* memo = f.bound<TDBMemo>("TH099", 80);
    auto* label = new TDBText(f.form);
    label->SetParent(f.form);
    label->SetDataSource(f.src);
    label->SetDataField("TH004");
    EXPECT_EQ(memo->Text(), "first");
    EXPECT_EQ(label->Caption(), "A001");
    f.ds->Next();
    EXPECT_EQ(memo->Text(), "second");
    EXPECT_EQ(label->Caption(), "A002");
    uitest::ShowActive(f.form);
    memo->SetFocus();
    memo->SimulateKey(VK_END, {ssCtrl});
    uitest::TypeText(memo, "!");
    f.ds->Post();
    EXPECT_EQ(f.ds->FieldByName("TH099")->AsString(), "second!");
    // The data source goes: the controls let go of it.
    delete f.src;
    f.src = nullptr;
    EXPECT_EQ(memo->DataSource(), nullptr);
    EXPECT_EQ(label->DataSource(), nullptr);
}
