// Sorting a client data set by a clicked column title.
#include "dataframe/BaseCD.h"
#include "dataframe/knlRadical.h"
#include "platform/core/text.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using plat::TField;

namespace {

// Columns without an order of their own.
bool unsortable(const TField* f) {
    return dynamic_cast<const plat::TObjectField*>(f) ||
           dynamic_cast<const plat::TAggregateField*>(f);
}

}  // namespace

void TdmBase::SortDataSetByField(plat::TClientDataSet* dataSet, const std::string& fieldName,
                                 plat::TDataSet* linked) {
    try {
        if (!dataSet || !dataSet->Active()) return;
        TField* field = dataSet->FindField(fieldName);
        if (!field || unsortable(field)) return;
        const std::string& name = field->FieldName();
        if (GetSortField(dataSet) == field) {
            if (IsSortAscending(dataSet)) {
                std::string indexName = "Index" + name;
                plat::TIndexDefs& defs = dataSet->IndexDefs();
                if (!defs.FindIndexForName(indexName)) {
                    plat::TIndexDef& def = defs.Add(indexName, name, plat::ixDescending);
                    def.DescFields = name;
                }
                dataSet->SetIndexFieldNames("");
                dataSet->SetIndexName(indexName);
            } else {
                dataSet->SetIndexName("");
                dataSet->SetIndexFieldNames(name);
            }
        } else {
            dataSet->SetIndexName("");
            dataSet->SetIndexFieldNames(name);
        }
        if (linked && linked->Active() && !(linked->GetBookmark() == dataSet->GetBookmark())) {
            // Moving the linked set once forward and back puts it in step again.
            TDataEventsDetached linkedEvents(linked);
            TDataEventsDetached ownEvents(dataSet);
            TControlsDisabled linkedControls(linked);
            TControlsDisabled ownControls(dataSet);
            linked->Next();
            linked->Prior();
        }
    } catch (const std::exception& e) {
        WriteAlertLog("BaseCD", std::string("BaseCD-794:") + e.what(), "D");
    }
}

TField* TdmBase::GetSortField(plat::TClientDataSet* dataSet) const {
    if (!dataSet) return nullptr;
    if (!dataSet->IndexFieldNames().empty()) return dataSet->FindField(dataSet->IndexFieldNames());
    if (!dataSet->IndexName().empty())
        if (const plat::TIndexDef* def =
                dataSet->IndexDefs().FindIndexForName(dataSet->IndexName()))
            return dataSet->FindField(def->Fields);
    return nullptr;
}

bool TdmBase::IsSortAscending(plat::TClientDataSet* dataSet) const {
    if (!dataSet) return false;
    if (!dataSet->IndexFieldNames().empty()) return true;
    if (!dataSet->IndexName().empty())
        if (const plat::TIndexDef* def =
                dataSet->IndexDefs().FindIndexForName(dataSet->IndexName()))
            return !(def->Options & plat::ixDescending);
    return false;
}

}  // namespace ktrb
