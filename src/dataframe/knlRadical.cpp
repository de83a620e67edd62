#include "dataframe/knlRadical.h"

#include <cmath>
#include <exception>
#include <vector>

#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/system/desktop.h"
#include "platform/system/paths.h"
#include "runtime/LibStrs.h"

namespace ktrb {

TRowWalk::TRowWalk(plat::TDataSet* dataSet, Events events, plat::TDataSource* source)
    : dataSet_(dataSet), events_(events), source_(source), exceptions_(std::uncaught_exceptions()) {
    if (!dataSet_->IsEmpty()) mark_ = dataSet_->GetBookmark();
    if (events_ == Events::DataSetAndSource)
        saved_ = SaveDataEvents(source_);
    else if (events_ == Events::DataSet)
        saved_.DataSet = SaveDataSetEvents(dataSet_);
    dataSet_->DisableControls();
}

TRowWalk::~TRowWalk() noexcept(false) {
    const bool unwinding = std::uncaught_exceptions() > exceptions_;
    struct Enable {
        plat::TDataSet* dataSet;
        ~Enable() { dataSet->EnableControls(); }
    } enable{dataSet_};
    try {
        if (dataSet_->BookmarkValid(mark_)) dataSet_->GotoBookmark(mark_);
        dataSet_->FreeBookmark(mark_);
        if (events_ == Events::DataSetAndSource)
            RestoreDataEvents(source_, saved_);
        else if (events_ == Events::DataSet)
            RestoreDataSetEvents(dataSet_, saved_.DataSet);
        if (beforeEnable) beforeEnable();
    } catch (...) {
        if (!unwinding) throw;
    }
}

using plat::TDataSet;
using plat::TField;

void SaveAndClearDataSetEvents(TDataSet* dataSet, TDataSetEventRecord& saved) {
    saved = SaveDataSetEvents(dataSet);
}

void RestoreClearedDataSetEvents(TDataSet* dataSet, const TDataSetEventRecord& saved) {
    RestoreDataSetEvents(dataSet, saved);
}

int FlagValue(const TField* flag) {
    if (!flag) return 0;
    double d = plat::VarToFloatDef(flag->Value(), 0);
    return std::isfinite(d) && std::fabs(d) < 2e9 ? (int)d : 0;
}

int EditStamp(int flag) {
    return -(flag + 1);
}

int SavedFlag(int stamped) {
    return stamped < 0 ? (-stamped) % kFlagModulus : stamped;
}

namespace {

// The data set that shows a nested field's rows.
TDataSet* detailOf(plat::TDataSetField* field) {
    return field->DetailDataSets().empty() ? field->NestedDataSet()
                                           : field->DetailDataSets().front();
}

void writeSavedFlag(TDataSet* dataSet, TField* flag) {
    int value = FlagValue(flag);
    if (value >= 0) return;
    if (dataSet->State() == plat::dsBrowse) dataSet->Edit();
    SetFieldText(flag, std::to_string(SavedFlag(value)));
    dataSet->Post();
}

// Sweeps the nested rows of the current record; the last sweep's result.
bool resetNested(TDataSet* dataSet) {
    bool result = true;
    for (TField* f : dataSet->Fields())
        if (auto* nested = dynamic_cast<plat::TDataSetField*>(f))
            result = ResetNegativeFlags(detailOf(nested), true);
    return result;
}

}  // namespace

bool ResetNegativeFlags(TDataSet* dataSet, bool deep) {
    if (!dataSet) return true;
    bool result = true;
    TField* flag = dataSet->FindField(kFlagField);
    if (dataSet->DataSetField() && deep) {
        TControlsDisabled controls(dataSet);
        TDataEventsDetached events(dataSet);
        // Each record once, by identity: a record whose FLAG changes moves in
        // an order that uses FLAG, and a walk by position would miss others.
        std::vector<plat::TBookmark> records;
        records.reserve((size_t)dataSet->RecordCount());
        for (dataSet->First(); !dataSet->Eof(); dataSet->Next())
            records.push_back(dataSet->GetBookmark());
        for (auto it = records.rbegin(); it != records.rend(); ++it) {
            dataSet->GotoBookmark(*it);
            result = resetNested(dataSet);
            if (flag) writeSavedFlag(dataSet, flag);
        }
        return result;
    }
    result = resetNested(dataSet);
    if (flag && FlagValue(flag) < 0) {
        TControlsDisabled controls(dataSet);
        TDataEventsDetached events(dataSet);
        writeSavedFlag(dataSet, flag);
    }
    return result;
}

bool ApplyDataSet(TBrokers* broker, plat::TClientDataSet* dataSet) {
    (void)broker;
    try {
        ResetNegativeFlags(dataSet, true);
        if (dataSet->State() == plat::dsEdit || dataSet->State() == plat::dsInsert) dataSet->Post();
        return dataSet->ApplyUpdates(0) == 0;
    } catch (const std::exception& e) {
        WriteAlertLog("Class knlRadical-311", e.what(), "D");
        throw;
    }
}

void FillNullFields(TDataSet* dataSet) {
    if (!dataSet) return;
    using plat::TFieldType;
    for (TField* f : dataSet->Fields()) {
        if (!f->IsDataField() || !f->IsNull()) continue;
        switch (f->DataType()) {
            case TFieldType::ftString:
            case TFieldType::ftFixedChar:
            case TFieldType::ftWideString:
                SetFieldTextQuiet(f, "");
                break;
            case TFieldType::ftSmallint:
            case TFieldType::ftInteger:
            case TFieldType::ftFloat:
                SetFieldTextQuiet(f, "0", true);
                break;
            default:
                break;
        }
    }
}

std::string NormalizeYearMonthText(const std::string& text, int layout,
                                   const std::string& separator) {
    std::string s = plat::Trim(text);
    if (s.empty()) return {};
    std::string part1 = plat::Trim(TokenAt(s, separator, 1));
    std::string part2 = plat::Trim(TokenAt(s, separator, 2));
    if (plat::CompareStr(part1, "0") <= 0 || plat::CompareStr(part2, "0") <= 0) return {};
    std::string year, month;
    switch (layout) {
        case 1:
            year = part1;
            month = part2;
            break;
        case 2:
        case 3:
            month = part1;
            year = part2;
            break;
        case 4:
        case 5:
            year = std::to_string(plat::StrToIntDef(part1, 0) + 1911);
            month = part2;
            break;
        default:
            return {};
    }
    year = PadLeft(std::to_string(plat::StrToIntDef(year, 0)), 4, '0');
    return year + PadLeft(month, 2, '0');
}

void NormalizeYearMonthText(const std::string& text, int layout, const std::string& separator,
                            std::string& result) {
    result = NormalizeYearMonthText(text, layout, separator);
}

void ShowFileProperties(const std::string& path) {
    plat::DesktopLauncher().Open(plat::ExtractFilePath(path));
}

}  // namespace ktrb
