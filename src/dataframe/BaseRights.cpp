// The user's data rights on the rows of a body or sub-body: the server names
// the row keys the user may use; rows with other keys are reported.
#include <unordered_set>

#include "dataframe/BaseCD.h"
#include "dataframe/knlRadical.h"
#include "platform/core/text.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using plat::TDataSet;
using plat::TField;
using plat::Variant;

namespace {

constexpr int kDeniedShown = 4;
constexpr const char* kRightsLog = "BaseCD";

std::vector<std::string> keyItems(const std::string& list) {
    std::vector<std::string> items;
    std::string rest = list;
    while (!rest.empty()) {
        std::string item = plat::Trim(CutToken(rest, ","));
        if (!item.empty()) items.push_back(item);
    }
    return items;
}

// "table.field" → field.
std::string fieldPart(const std::string& item) {
    size_t dot = item.find('.');
    return dot == std::string::npos ? item : item.substr(dot + 1);
}

}  // namespace

void TdmBase::BuildParentCondition(TDataSet* parent, const std::string& keyList,
                                   const std::string& table, std::string& condition) const {
    condition.clear();
    if (!parent) return;
    for (const std::string& item : keyItems(keyList)) {
        size_t dot = item.find('.');
        std::string owner = dot == std::string::npos ? table : item.substr(0, dot);
        TField* f = parent->FieldByName(fieldPart(item));
        std::string value =
            plat::IsTextType(f->DataType()) ? plat::QuotedStr(f->AsString()) : f->AsString();
        condition +=
            " and " + (owner.empty() ? std::string() : owner + ".") + f->FieldName() + "=" + value;
    }
}

bool TdmBase::CheckBodyDataRights(TDataSet* dataSet, const std::string& levelPrefix,
                                  std::string& denied) {
    bool result = true;
    denied.clear();
    if (!dataSet || !dataSet->Active() || dataSet->IsEmpty()) return result;
    std::string prefix = levelPrefix;
    if (prefix.empty() || prefix.back() != '_') prefix += "_";
    std::string keyList = hostParam(prefix + "KEY");

    bool subBody = plat::SameText(prefix, "F11_");
    TDataSet* parent = subBody ? dynamic_cast<TDataSet*>(FindComponent("cdsBody1")) : cdsMain;
    std::string parentKeys = subBody ? hostParam("D11_KEY") : KeyFields;
    std::string parentTable = subBody ? hostParam("D11_TABLE") : MainTable;

    Variant answer;
    try {
        std::string condition;
        BuildParentCondition(parent, parentKeys, parentTable, condition);
        if (!AppServer.IsDispatch()) return result;
        answer = AppServer.AsDispatch()->Call("GetBaseLimitedRecs", Variant(prefix),
                                              Variant(condition), Variant(dataSet->RecordCount()));
    } catch (const std::exception& e) {
        WriteAlertLog(kRightsLog,
                      std::string("BaseCD-876(对单身或子单身加基础数据权限时出错):") + e.what(),
                      "D");
        return result;
    }

    try {
        if (!answer.IsArray() || answer.ArrayCount() < 1) return result;
        int low = answer.LowBound(1);
        int allowedCount = (int)plat::VarToIntDef(answer[low], -1);
        if (allowedCount == 0) {
            denied = "ALL";
            return false;
        }
        if (allowedCount < 0 || allowedCount == dataSet->RecordCount()) return result;

        std::unordered_set<std::string> allowed;
        if (answer.ArrayCount() > 1 && answer[low + 1].IsArray()) {
            const Variant& keys = answer[low + 1];
            for (int i = keys.LowBound(1); i <= keys.HighBound(1); ++i)
                allowed.insert(plat::UpperCase(plat::VarToStr(keys[i])));
        }
        std::vector<TField*> keyFields;
        for (const std::string& item : keyItems(keyList))
            keyFields.push_back(dataSet->FieldByName(fieldPart(item)));

        TControlsDisabled controls(dataSet);
        int found = 0;
        plat::TBookmark first;
        dataSet->First();
        while (!dataSet->Eof() && found < kDeniedShown) {
            std::string key;
            for (size_t i = 0; i < keyFields.size(); ++i)
                key += (i ? "-" : "") +
                       plat::PadRightToWidth(keyFields[i]->AsString(), keyFields[i]->Size());
            if (!allowed.count(plat::UpperCase(key))) {
                if (found++ == 0) first = dataSet->GetBookmark();
                denied += (denied.empty() ? "" : ";") + key;
                result = false;
            }
            dataSet->Next();
        }
        if (found == kDeniedShown) denied += ";...";
        if (first.Assigned()) dataSet->GotoBookmark(first);
    } catch (const std::exception& e) {
        WriteAlertLog(
            kRightsLog,
            std::string("BaseCD-876(解读对单身或子单身加基础数据权限的结果时出错):") + e.what(),
            "D");
    }
    return result;
}

}  // namespace ktrb
