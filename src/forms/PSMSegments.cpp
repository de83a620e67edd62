#include "forms/PSMSegments.h"

#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/types.h"
#include "runtime/Brokers.h"
#include "runtime/CodeConverter.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"
#include "runtime/Reply.h"

namespace ktrb {

using plat::Variant;

namespace {

struct SegmentField {
    const char* name;
    plat::TFieldType type;
    int size;
    const char* label;
    bool readOnly, visible;
};
const SegmentField kSegmentFields[] = {
    {"MC001", plat::TFieldType::ftString, 20, "名称", true, true},
    {"MC002", plat::TFieldType::ftString, 255, "内容", false, true},
    {"MC002C", plat::TFieldType::ftString, 20, "内容名称", true, true},
    {"MC001C", plat::TFieldType::ftString, 20, "", false, false},
    {"MC003", plat::TFieldType::ftMemo, 0, "", false, false},
    {"MC004", plat::TFieldType::ftString, 20, "", false, false},
    {"MC005", plat::TFieldType::ftInteger, 0, "", false, false},
    {"MC006", plat::TFieldType::ftInteger, 0, "", false, false},
    {"MC007", plat::TFieldType::ftString, 20, "", false, false},
    {"MC008", plat::TFieldType::ftString, 20, "", false, false},
    {"MC009", plat::TFieldType::ftString, 20, "", false, false},
    {"MC010", plat::TFieldType::ftString, 20, "", false, false},
};

[[noreturn]] void Refuse(TBrokers* brokers, const std::string& kind, const std::string& code,
                         const std::vector<Variant>& args = {}) {
    if (brokers) brokers->ShowMessageCode(kind, code, args);
    plat::Abort();
}

}  // namespace

void CreateSegmentDataSet(plat::TClientDataSet* cds) {
    cds->Close();
    cds->FieldDefs().Clear();
    for (const SegmentField& f : kSegmentFields) cds->FieldDefs().Add(f.name, f.type, f.size);
    cds->CreateDataSet();
    for (const SegmentField& f : kSegmentFields) {
        plat::TField* field = cds->FieldByName(f.name);
        if (*f.label) field->SetDisplayLabel(f.label);
        field->SetReadOnly(f.readOnly);
        field->SetVisible(f.visible);
    }
}

void CopySegmentRows(plat::TDataSet* source, plat::TClientDataSet* target) {
    if (!target->Active()) CreateSegmentDataSet(target);
    target->EmptyDataSet();
    if (!source || !source->Active()) return;
    if (source->State() == plat::dsEdit || source->State() == plat::dsInsert) source->Post();
    plat::TBookmark at = source->GetBookmark();
    source->DisableControls();
    struct Restore {
        plat::TDataSet* ds;
        plat::TBookmark at;
        ~Restore() {
            if (ds->BookmarkValid(at)) ds->GotoBookmark(at);
            ds->EnableControls();
        }
    } restore{source, at};
    // Copies are written as they stand: no validation, read-only lifted.
    std::vector<std::pair<plat::TField*, plat::TField*>> pairs;
    for (const SegmentField& f : kSegmentFields)
        if (plat::TField* from = source->FindField(f.name))
            pairs.emplace_back(from, target->FieldByName(f.name));
    for (source->First(); !source->Eof(); source->Next()) {
        target->Append();
        for (auto& [from, to] : pairs) {
            plat::TFieldNotifyEvent validate = to->OnValidate;
            bool readOnly = to->ReadOnly();
            to->OnValidate = {};
            to->SetReadOnly(false);
            struct Put {
                plat::TField* f;
                plat::TFieldNotifyEvent v;
                bool r;
                ~Put() {
                    f->OnValidate = v;
                    f->SetReadOnly(r);
                }
            } put{to, validate, readOnly};
            to->SetValue(from->Value());
        }
        target->Post();
    }
    target->First();
}

void CheckSegmentContent(TBrokers* brokers, TCodeConverter* converter, plat::TDataSet* segments,
                         bool checkRunningNumber) {
    plat::TField* content = segments->FieldByName("MC002");
    plat::TField* name = segments->FieldByName("MC002C");
    const std::string kind = segments->FieldByName("MC001")->AsString();
    const std::string text = content->AsString();
    SetFieldText(name, "");
    auto check = [&](const std::string& table, const std::string& query, Variant& reply) {
        bool found =
            brokers && brokers->CheckValue(table, query, plat::VarArrayOf({Variant(text)}), reply);
        if (found && converter) reply = converter->ConvertToUI(reply);
        return found;
    };
    Variant reply;
    if (kind == "1") {
        if (!check("INVMB", "01", reply))
            Refuse(brokers, "E", "000001", {Variant(content->DisplayLabel())});
        SetFieldText(name, ReplyText(reply, 0));
    } else if (kind == "3") {
        if (!(text.empty() || (text.size() == 8 && IsSqlDateRange(text))))
            Refuse(brokers, "E", "000005");
    } else if (kind == "4") {
        if (check("H", "62", reply)) {
            const std::string status = ReplyText(reply, 39);
            if (status == "2") Refuse(brokers, "E", "200136");
            if (status == "3") Refuse(brokers, "E", "200080");
            SetFieldText(name, ReplyText(reply, 0));
        } else if (check("COPMA", "13", reply)) {
            Refuse(brokers, "E", "200568");
        } else if (brokers && brokers->ShowMessageCode("W", "200287") == plat::mrCancel) {
            plat::Abort();
        }
    } else if (kind == "5") {
        if (check("PURMA", "01", reply)) {
            const std::string status = ReplyText(reply, 12);
            if (status == "2") Refuse(brokers, "E", "200135");
            if (status == "3") Refuse(brokers, "E", "100174");
            SetFieldText(name, ReplyText(reply, 0));
        } else if (!brokers ||
                   brokers->ShowMessageCode("W", "000004", {Variant(content->DisplayLabel())}) !=
                       plat::mrOk) {
            plat::Abort();
        }
    } else if (kind == "6" && checkRunningNumber) {
        if (text.empty()) Refuse(brokers, "E", "000003", {Variant(content->Text())});
    }
}

}  // namespace ktrb
