#include "dataframe/RadicalCD.h"

#include "dataframe/knlRadical.h"
#include "platform/automation/oleobject.h"
#include "platform/core/dates.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/MireltaINI.h"

namespace ktrb {

using plat::TDataSet;
using plat::TField;
using plat::Variant;

TdmRadical::TdmRadical(plat::TComponent* owner)
    : TComponent(owner), ownerForm_(AsDataModuleOwner(owner)) {
    SOB = new TSimpleObjectBroker(this);
    SOB->SetName("SOB");
    MIDAS = new TSocketConnection(this);
    MIDAS->SetName("MIDAS");
    MIDAS->SupportCallbacks = false;
    cdsSaveCondition = new TwwClientDataSet(this);
    cdsSaveCondition->SetName("cdsSaveCondition");
    cdsSaveCondition->SetProviderName("pvdConSave");
    cdsSaveCondition->SetRemoteServer(MIDAS);
    // Stored definitions: the query dialogs use the set before it is fetched.
    using plat::TFieldType;
    cdsSaveCondition->FieldDefs().Add("NCONDITION", TFieldType::ftString, 20, true);
    cdsSaveCondition->FieldDefs().Add("VCONDITION", TFieldType::ftMemo);
    cdsSaveCondition->FieldDefs().Add("CREATOR", TFieldType::ftString, 10, true);
    cdsSaveCondition->FieldDefs().Add("PROGRAMME", TFieldType::ftString, 10, true);
    cdsSaveCondition->FieldDefs().Add("CREATE_DATE", TFieldType::ftString, 8);
    cdsSaveCondition->FieldDefs().Add("ActivePage", TFieldType::ftInteger);
    cdsSaveCondition->IndexDefs().Add("Index1", "NCONDITION;CREATOR;PROGRAMME");
    cdsSaveCondition->SetIndexName("Index1");
    cdsSaveCondition->ValidateWithMask = true;
    scLookUpData = new TSocketConnection(this);
    scLookUpData->SetName("scLookUpData");
    scLookUpData->ServerName = kLookupServerProgID;
    scLookUpData->SetAddress("127.0.0.1");
    scLookUpData->SupportCallbacks = false;
}

TdmRadical::~TdmRadical() {
    BeginDestroy();
}

// ---- helpers ----

TBrokers& TdmRadical::broker() const {
    if (!Broker) throw plat::EInternalError("RadicalCD-101: the data module has no broker");
    return *Broker;
}

std::string TdmRadical::sysParam(const std::string& name) const {
    return Broker ? Broker->GetSysParam(name) : "";
}

std::string TdmRadical::hostParam(const std::string& name) const {
    return Broker ? Broker->HostParam(name) : "";
}

int TdmRadical::showMessage(const std::string& kind, const std::string& code,
                            const std::vector<Variant>& args) {
    return Broker ? Broker->ShowMessageCode(kind, code, args) : modal::Ok;
}

void TdmRadical::refuse(const std::string& code, const std::vector<Variant>& args) {
    showMessage(kMsgError, code, args);
    plat::Abort();
}

Variant TdmRadical::toDisplay(const Variant& value) const {
    return ownerForm_ ? ownerForm_->ConvertByDisplayMode(value) : value;
}

std::string TdmRadical::fromDisplay(const std::string& text) const {
    return ownerForm_ ? plat::VarToStr(ownerForm_->RevertByDisplayMode(Variant(text))) : text;
}

// ---- connection ----

bool TdmRadical::ConnectAppServer() {
    std::string address;
    int port = kDefaultServerPort;
    {
        TMireltaIniC settings;
        const Variant& servers = settings.Servers;
        if (settings.ErrorCode.empty() && servers.IsArray() && servers.DimCount() == 2 &&
            servers.HighBound(2) >= servers.LowBound(2)) {
            int first = servers.LowBound(2);
            address = plat::VarToStr(servers.At(servers.LowBound(1), first));
            port = (int)plat::VarToIntDef(servers.At(servers.LowBound(1) + 1, first),
                                          kDefaultServerPort);
        }
    }
    MIDAS->SetConnected(false);
    MIDAS->SetAddress(address);
    MIDAS->SetObjectBroker(nullptr);
    MIDAS->SetPort(port);
    if (!MIDAS->Connected()) {
        if (IsLocalAddress(MIDAS->Address())) {
            plat::DispatchPtr server = plat::CreateOleObject(kAppServerProgID);
            MIDAS->SetAppServer(server);
            AppServer = Variant(server);
        } else {
            MIDAS->Open();
            AppServer = MIDAS->AppServer();
        }
    }
    if (!AppServer.IsDispatch()) return false;

    TBrokers& b = broker();
    plat::DispatchPtr server = AppServer.AsDispatch();
    Variant answer = server->Call("Connect", b.SignOnParams(ConnectFlag));
    bool accepted = plat::VarToIntDef(answer, -1) == 0 && !answer.IsEmptyOrNull();
    b.HostParams().SetText(plat::VarToStr(server->Call("SvrData")));
    ConnectLookupServer();
    // A refused sign-on opens nothing and fetches nothing.
    if (accepted) {
        InitDataModule();
        OpenDataSets();
    }
    return accepted;
}

bool TdmRadical::ConnectLookupServer() {
    scLookUpData->SetConnected(false);
    scLookUpData->SetAddress(MIDAS->Address());
    scLookUpData->SetPort(MIDAS->Port());
    scLookUpData->SetObjectBroker(nullptr);
    if (!scLookUpData->Connected()) {
        if (IsLocalAddress(scLookUpData->Address())) {
            scLookUpData->SetAppServer(plat::CreateOleObject(kLookupServerProgID));
        } else {
            scLookUpData->Open();
            // A remote server answers look-ups only to a signed-on session:
            // the connection presents the sign-on the module already holds.
            plat::DispatchPtr lookups = scLookUpData->AppServer().AsDispatch();
            if (lookups) lookups->Call("Connect", broker().SignOnParams(ConnectFlag));
        }
    }
    return true;
}

bool TdmRadical::ApplyData(plat::TClientDataSet* dataSet) {
    return ApplyDataSet(Broker, dataSet);
}

void TdmRadical::OpenDataSets() {
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* ds = dynamic_cast<plat::TClientDataSet*>(Components(i));
        if (ds && ds->DataSetField() && !ds->Active()) ds->Open();
    }
}

void TdmRadical::RefreshToday() {
    if (!AppServer.IsDispatch()) return;
    std::string today;
    try {
        Variant reply = AppServer.AsDispatch()->Call("WhatIs", Variant("TODAY"));
        today = plat::Trim(plat::VarToStr(reply));
    } catch (const std::exception&) {
        today.clear();
    }
    // A server that cannot say leaves the local date: the audit dates are never blank.
    Today = today.empty() ? plat::FormatDateTime("yyyymmdd", plat::Date()) : today;
}

void TdmRadical::FillNulls(TDataSet* dataSet) {
    FillNullFields(dataSet);
}

// ---- language of the fields ----

void TdmRadical::ApplyLanguageToFields() {
    using plat::TFieldType;
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* ds = dynamic_cast<TwwClientDataSet*>(Components(i));
        if (!ds) continue;
        TControlsDisabled controls(ds);
        for (TField* f : ds->Fields()) {
            f->SetDisplayLabel(plat::VarToStr(toDisplay(Variant(f->DisplayLabel()))));
            TFieldType t = f->DataType();
            bool text = t == TFieldType::ftString || t == TFieldType::ftFixedChar ||
                        t == TFieldType::ftWideString || t == TFieldType::ftMemo;
            if (!text) continue;
            if (!f->OnGetText)
                f->OnGetText = plat::TFieldGetTextEvent(this, &TdmRadical::DOGetText);
            if (!f->OnSetText)
                f->OnSetText = plat::TFieldSetTextEvent(this, &TdmRadical::DOSetText);
        }
    }
}

void TdmRadical::DOGetText(TField* Sender, std::string& Text, bool) {
    Text = plat::VarToStr(toDisplay(Variant(Sender->AsString())));
}

void TdmRadical::DOSetText(TField* Sender, const std::string& Text) {
    Sender->SetAsString(fromDisplay(Text));
}

}  // namespace ktrb
