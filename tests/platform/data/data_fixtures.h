// Shared fixtures of the dataset tests: a three-level document (header →
// lines → serial numbers) served by an in-memory provider, and a recorder of
// dataset events.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/data/provider.h"

namespace datatest {

using namespace plat;

inline TPacketField keyField(const std::string& name, int size) {
    TPacketField f = PacketField(name, TFieldType::ftString, size);
    f.inKey = true;
    return f;
}

// Header (H, NAME, TOTAL, qryBody) → lines (H, LN, ITEM, QTY, qryFoot) →
// serials (H, LN, SN).
inline std::vector<TPacketField> documentFields() {
    TPacketField serials = PacketField("qryFoot", TFieldType::ftDataSet, 0,
                                       {keyField("H", 4), keyField("LN", 4), keyField("SN", 20)});
    TPacketField lines = PacketField(
        "qryBody", TFieldType::ftDataSet, 0,
        {keyField("H", 4), keyField("LN", 4), PacketField("ITEM", TFieldType::ftString, 10),
         PacketField("QTY", TFieldType::ftFloat), serials});
    return {keyField("H", 4), PacketField("NAME", TFieldType::ftString, 20),
            PacketField("TOTAL", TFieldType::ftFloat), lines};
}

inline TPacketRow serialRow(const std::string& h, const std::string& ln, const std::string& sn) {
    return TPacketRow{TValueRow{h, ln, sn}, {}};
}

inline TPacketRow lineRow(const std::string& h, const std::string& ln, const std::string& item,
                          double qty, std::vector<TPacketRow> serials = {}) {
    return TPacketRow{TValueRow{h, ln, item, qty, Variant()}, {serials}};
}

inline TPacketRow headerRow(const std::string& h, const std::string& name,
                            std::vector<TPacketRow> lines) {
    return TPacketRow{TValueRow{h, name, 0.0, Variant()}, {lines}};
}

// Two headers: A with lines 0001 (two serials) and 0002; B with line 0001.
inline std::vector<TPacketRow> documentRows() {
    return {headerRow("A", "alpha",
                      {lineRow("A", "0001", "X", 1,
                               {serialRow("A", "0001", "S1"), serialRow("A", "0001", "S2")}),
                       lineRow("A", "0002", "Y", 2)}),
            headerRow("B", "beta", {lineRow("B", "0001", "Z", 3)})};
}

// The three datasets of a document, opened on a provider.
struct Document {
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>();
    std::shared_ptr<TMemoryProvider> provider =
        std::make_shared<TMemoryProvider>("pvdMain", documentFields(), documentRows());
    TClientDataSet* main = new TClientDataSet(owner.get());
    TClientDataSet* body = new TClientDataSet(owner.get());
    TClientDataSet* foot = new TClientDataSet(owner.get());

    Document() {
        main->SetName("cdsMain");
        body->SetName("cdsBody1");
        foot->SetName("cdsFoot");
        main->SetProvider(provider.get());
    }
    // Opens all three levels with default fields.
    void Open() {
        main->Open();
        body->SetDataSetField(static_cast<TDataSetField*>(main->FieldByName("qryBody")));
        body->Open();
        foot->SetDataSetField(static_cast<TDataSetField*>(body->FieldByName("qryFoot")));
        foot->Open();
    }
};

// Records dataset events as "Name.Event" lines.
struct EventLog {
    std::vector<std::string> lines;

    void Attach(TDataSet* ds) {
        std::string n = ds->Name();
        auto rec = [this, n](const char* e) {
            return TDataSetNotifyEvent([this, n, e](TDataSet*) { lines.push_back(n + "." + e); });
        };
        ds->BeforeOpen = rec("BeforeOpen");
        ds->AfterOpen = rec("AfterOpen");
        ds->BeforeEdit = rec("BeforeEdit");
        ds->AfterEdit = rec("AfterEdit");
        ds->BeforeInsert = rec("BeforeInsert");
        ds->AfterInsert = rec("AfterInsert");
        ds->BeforePost = rec("BeforePost");
        ds->AfterPost = rec("AfterPost");
        ds->BeforeCancel = rec("BeforeCancel");
        ds->AfterCancel = rec("AfterCancel");
        ds->BeforeDelete = rec("BeforeDelete");
        ds->AfterDelete = rec("AfterDelete");
        ds->BeforeScroll = rec("BeforeScroll");
        ds->AfterScroll = rec("AfterScroll");
        ds->OnNewRecord = rec("OnNewRecord");
    }
    std::string Joined() const {
        std::string s;
        for (const auto& l : lines) s += (s.empty() ? "" : " ") + l;
        return s;
    }
    void Clear() { lines.clear(); }
};

// An in-memory dataset of (ID integer, NAME string 10, AMT float).
inline TClientDataSet* simpleDataSet(TComponent* owner, int rows = 0) {
    auto* ds = new TClientDataSet(owner);
    if (!owner || !owner->FindComponent("cdsSimple")) ds->SetName("cdsSimple");
    ds->FieldDefs().Add("ID", TFieldType::ftInteger);
    ds->FieldDefs().Add("NAME", TFieldType::ftString, 10);
    ds->FieldDefs().Add("AMT", TFieldType::ftFloat);
    ds->CreateDataSet();
    for (int i = 1; i <= rows; ++i) {
        ds->Append();
        ds->FieldByName("ID")->SetAsInteger(i);
        ds->FieldByName("NAME")->SetAsString("N" + std::to_string(i));
        ds->FieldByName("AMT")->SetAsFloat(i * 1.5);
        ds->Post();
    }
    if (rows) ds->MergeChangeLog();
    ds->First();
    return ds;
}

}  // namespace datatest
