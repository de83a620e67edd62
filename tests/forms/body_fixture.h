// A document form with a receipt-like document open: a header, its lines
// and each line's serial rows, nested, and the serial-number window over the
// serial rows of the first line. The host is the stand-in on the demo
// database; message dialogs are scripted.
#pragma once
#include "forms/BaseCF.h"
#include "forms/PSMSimpleBodyCF.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/data/provider.h"
#include "platform/ui/dialogs.h"
#include "serial_fixture.h"

namespace ktrb::test {

class TTestDocForm : public TfrmBase {
    PLAT_CLASS(TTestDocForm, TfrmBase)
  public:
    using TfrmBase::TfrmBase;
    bool SaveDocument() override { return true; }
};

class BodyFormTest : public SerialHostTest {
  protected:
    BodyFormTest() {
        doc->ModuleFileName = "libktrb52c.so";
        doc->AfterConstruction();
        TBrokers* db = doc->Brokers();
        db->UserID = "DS";
        db->CompanyID = "DEMO";
        db->SignOnKey = "DEMO";
        db->ProgramCode = "KTRB52";
        db->UserGroup = "ADMIN";
        db->SetMainObject(workCenter);
        db->AttachSubObjects();
        db->GetSysInfo();
        db->HostParams().Add("D11_KEY=TI001,TI002,TI003");
        db->HostParams().Add("F11_KEY=MB001,MB002,MB003");
        LoadDocument();
    }
    ~BodyFormTest() override {
        if (form_) form_->Free();
        if (doc) doc->Free();
    }

    static plat::TPacketRow Row(std::vector<plat::Variant> values,
                                std::vector<plat::TPacketRow> details = {}, bool nested = false) {
        plat::TPacketRow r;
        if (nested) values.push_back(plat::Variant());
        r.values = plat::TValueRow(values);
        if (nested) r.details.push_back(std::move(details));
        return r;
    }
    static plat::TPacketRow Serial(const std::string& line, const std::string& serial,
                                   double flag = 1) {
        return Row({"5901", "20240118001", line, serial, "A", "N", "DEMO", "DS", "ADMIN",
                    "20240118", "", "", flag});
    }

    void LoadDocument(int serialsOfFirstLine = 2) {
        using plat::PacketField;
        using plat::TFieldType;
        std::vector<plat::TPacketField> serials = {
            PacketField("MB001", TFieldType::ftString, 4),
            PacketField("MB002", TFieldType::ftString, 11),
            PacketField("MB003", TFieldType::ftString, 4),
            PacketField("MB004", TFieldType::ftString, 255),
            PacketField("MB006", TFieldType::ftString, 1),
            PacketField("CHECKED", TFieldType::ftString, 1),
            PacketField("COMPANY", TFieldType::ftString, 10),
            PacketField("CREATOR", TFieldType::ftString, 10),
            PacketField("USR_GROUP", TFieldType::ftString, 10),
            PacketField("CREATE_DATE", TFieldType::ftString, 17),
            PacketField("MODIFIER", TFieldType::ftString, 10),
            PacketField("MODI_DATE", TFieldType::ftString, 17),
            PacketField("FLAG", TFieldType::ftFloat),
        };
        std::vector<plat::TPacketField> lines = {
            PacketField("TI001", TFieldType::ftString, 4),
            PacketField("TI002", TFieldType::ftString, 11),
            PacketField("TI003", TFieldType::ftString, 4),
            PacketField("TI004", TFieldType::ftString, 20),
            PacketField("qryFoot", TFieldType::ftDataSet, 0, serials),
        };
        plat::TDataPacket packet;
        packet.fields = {PacketField("TH001", TFieldType::ftString, 4),
                         PacketField("TH002", TFieldType::ftString, 11),
                         PacketField("qryBody", TFieldType::ftDataSet, 0, lines)};
        std::vector<plat::TPacketRow> first;
        for (int i = 1; i <= serialsOfFirstLine; ++i)
            first.push_back(Serial("0001", "SN-" + std::to_string(i)));
        packet.rows = {
            Row({"5901", "20240118001"},
                {Row({"5901", "20240118001", "0001", "B2001"}, first, true),
                 Row({"5901", "20240118001", "0002", "B2001"}, {Serial("0002", "OTHER-1")}, true)},
                true)};
        cdsMain->SetName("cdsMain");
        cdsBody1->SetName("cdsBody1");
        cdsFoot->SetName("cdsFoot");
        cdsMain->LoadFromPacket(packet);
        cdsBody1->SetDataSetField(
            dynamic_cast<plat::TDataSetField*>(cdsMain->FieldByName("qryBody")));
        if (!cdsBody1->Active()) cdsBody1->Open();
        cdsFoot->SetDataSetField(
            dynamic_cast<plat::TDataSetField*>(cdsBody1->FieldByName("qryFoot")));
        if (!cdsFoot->Active()) cdsFoot->Open();
        dsFoot->SetDataSet(cdsFoot);
    }

    // The serial window over the first line's serial rows.
    template <class F = TfrmPSMSimpleBody>
    F* MakeForm(bool withSource = true) {
        auto* f = new F(doc);
        if (withSource) f->DBGrid->SetDataSource(dsFoot);
        f->AfterConstruction();
        form_ = f;
        return f;
    }
    std::vector<std::string> Serials() {
        std::vector<std::string> out;
        plat::TBookmark at = cdsFoot->GetBookmark();
        for (cdsFoot->First(); !cdsFoot->Eof(); cdsFoot->Next())
            out.push_back(cdsFoot->FieldByName("MB004")->AsString());
        if (cdsFoot->BookmarkValid(at)) cdsFoot->GotoBookmark(at);
        return out;
    }

    TTestDocForm* doc = new TTestDocForm(nullptr);
    plat::TClientDataSet* cdsMain = new plat::TClientDataSet(doc);
    plat::TClientDataSet* cdsBody1 = new plat::TClientDataSet(doc);
    plat::TClientDataSet* cdsFoot = new plat::TClientDataSet(doc);
    plat::TDataSource* dsFoot = new plat::TDataSource(doc);
    std::shared_ptr<plat::ScriptedMessageDialogs> dialogs =
        std::make_shared<plat::ScriptedMessageDialogs>();
    plat::MessageDialogsScope dialogScope{dialogs};
    TfrmSimpleBody* form_ = nullptr;
};

}  // namespace ktrb::test
