// A form that records the F2 messages its controls send, and a data form
// for the data-aware controls.
#pragma once
#include <vector>

#include "controls/F2Button.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/ui_test_util.h"

namespace ctltest {

class F2Form : public plat::TForm {
  public:
    using plat::TForm::TForm;
    std::vector<plat::TControl*> F2;
    void WndProc(plat::TMessage& m) override {
        if (m.Msg == ktrb::WM_F2KEY) F2.push_back(plat::ControlOfLParam(m.LParam));
        plat::TForm::WndProc(m);
    }
};

// A shown form with a panel inside a panel, and a header dataset with a
// code, a flag and a read-only flag.
struct Fixture {
    F2Form* form = plat::CreateForm<F2Form>(nullptr);
    plat::TPanel* outer = new plat::TPanel(form);
    plat::TPanel* inner = new plat::TPanel(form);
    plat::TClientDataSet* ds = new plat::TClientDataSet(form);
    plat::TDataSource* src = new plat::TDataSource(form);

    Fixture() {
        form->SetClientWidth(400);
        form->SetClientHeight(300);
        outer->SetParent(form);
        outer->SetBounds(10, 10, 380, 280);
        inner->SetParent(outer);
        inner->SetBounds(10, 10, 360, 260);
        ds->FieldDefs().Add("TH004", plat::TFieldType::ftString, 10);
        ds->FieldDefs().Add("TH026", plat::TFieldType::ftString, 1);
        ds->FieldDefs().Add("TH035", plat::TFieldType::ftString, 1);
        ds->CreateDataSet();
        ds->FieldByName("TH004")->SetDisplayLabel("委外单号");
        ds->FieldByName("TH026")->SetDisplayLabel("自动扣料");
        ds->Append();
        ds->FieldByName("TH004")->SetAsString("A001");
        ds->FieldByName("TH026")->SetAsString("Y");
        ds->FieldByName("TH035")->SetAsString("N");
        ds->Post();
        src->SetDataSet(ds);
        uitest::ShowActive(form);
    }
    ~Fixture() { form->Free(); }
};

}  // namespace ctltest
