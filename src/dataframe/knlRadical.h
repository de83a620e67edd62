// Data set routines under the root data module: events suspended while code
// walks a data set, the FLAG save counter made whole before a save, saving a
// client data set, null fields given a value, a typed year-month turned into
// its stored form, and the file properties of the desktop.
#pragma once
#include <functional>
#include <string>

#include "platform/data/clientdataset.h"
#include "runtime/PropAccess.h"

namespace ktrb {

class TBrokers;

// Disables a data set's controls for its lifetime (nothing for null).
class TControlsDisabled {
  public:
    explicit TControlsDisabled(plat::TDataSet* dataSet) : dataSet_(dataSet) {
        if (dataSet_) dataSet_->DisableControls();
    }
    ~TControlsDisabled() {
        if (dataSet_) dataSet_->EnableControls();
    }
    TControlsDisabled(const TControlsDisabled&) = delete;
    TControlsDisabled& operator=(const TControlsDisabled&) = delete;

  private:
    plat::TDataSet* dataSet_;
};

// A walk over the rows of a data set that leaves no trace: its controls
// disabled, its events (and those of a data source on it) saved and
// cleared when asked, its position remembered. On the way out, also after
// an abort: back to the remembered row, the events restored, `beforeEnable`
// run, the controls enabled again.
class TRowWalk {
  public:
    enum class Events { Kept, DataSet, DataSetAndSource };
    TRowWalk(plat::TDataSet* dataSet, Events events, plat::TDataSource* source = nullptr);
    ~TRowWalk() noexcept(false);
    TRowWalk(const TRowWalk&) = delete;
    TRowWalk& operator=(const TRowWalk&) = delete;
    // Work to run after the events are back and before the controls are.
    std::function<void()> beforeEnable;

  private:
    plat::TDataSet* dataSet_;
    Events events_;
    plat::TDataSource* source_;
    plat::TBookmark mark_;
    TDataEventRecord saved_;
    int exceptions_;
};

// The ten events of a data set (AfterEdit, AfterInsert, AfterOpen,
// AfterPost, BeforeEdit, BeforeInsert, BeforeOpen, BeforePost, BeforeScroll,
// AfterScroll): stored and cleared, and set back.
void SaveAndClearDataSetEvents(plat::TDataSet* dataSet, TDataSetEventRecord& saved);
void RestoreClearedDataSetEvents(plat::TDataSet* dataSet, const TDataSetEventRecord& saved);

// The audit column FLAG counts the saves of a row: 0, 1 ... 999, then 0
// again. A negative value marks a row stamped for the save in progress; the
// save stores its absolute value modulo 1000, so that a row stamped at 999
// (-1000) keeps its mark until it is saved as 0.
inline constexpr const char* kFlagField = "FLAG";
inline constexpr int kFlagModulus = 1000;
// The FLAG value of the current record as an integer (0 when not a number).
int FlagValue(const plat::TField* flag);
// The stamp of an edited row whose FLAG was `flag` (0 or more).
int EditStamp(int flag);
// The value a stamped FLAG is saved with.
int SavedFlag(int stamped);

// Makes FLAG non-negative (see above): with deep set on a nested data set,
// every record from the last to the first, each after its own nested rows;
// otherwise the current record after its nested rows. Events and controls
// are suspended meanwhile and put back also after an exception.
bool ResetNegativeFlags(plat::TDataSet* dataSet, bool deep);

// Saves the changes of a client data set: FLAG made whole, an open edit
// posted, the changes applied with no error allowed. True when the server
// refused no row. An exception is written to the alert log and passed on.
bool ApplyDataSet(TBrokers* broker, plat::TClientDataSet* dataSet);

// Gives every null data field of the current record a value: '' for string
// fields, 0 for small-integer, integer and float fields (through their edit
// text); other types stay null. OnValidate is detached for each write.
void FillNullFields(plat::TDataSet* dataSet);

// A typed year-month in date layout 1..5 with the separator, as "YYYYMM";
// '' when the text is blank, a part is not after "0" or the layout unknown.
std::string NormalizeYearMonthText(const std::string& text, int layout,
                                   const std::string& separator);
void NormalizeYearMonthText(const std::string& text, int layout, const std::string& separator,
                            std::string& result);

// The desktop has no properties sheet: the folder holding the file is opened
// with the desktop's file manager instead. The answer is ignored.
void ShowFileProperties(const std::string& path);

}  // namespace ktrb
