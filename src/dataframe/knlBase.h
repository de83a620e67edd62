// Client data set routines of the document forms and data modules: deleting
// rows with their nested rows, fetching further packets, reopening with a
// query condition, the first blank field of a list, and each user's grid
// layout files (".ugs": one INI section per data set, one key per field,
// "index;width" and for numeric fields ";format").
#pragma once
#include <functional>
#include <string>

#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"

namespace ktrb {

// The hourglass while a data set reopens. The data layer does not reach the
// screen: the windows layer installs the handler (busy true, then false).
using TBusyCursorHandler = std::function<void(bool busy)>;
TBusyCursorHandler SetBusyCursorHandler(TBusyCursorHandler handler);

class TBusyCursor {
  public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// Deletes every record of a nested data set (nested true), each record's
// nested rows first; for a top-level data set only the current record's
// nested rows. With suspend the delete and scroll events are held back.
void DeleteAllRecords(plat::TDataSet* dataSet, bool nested, bool suspend);

// Goes to the last record of the query: fetches the rows not fetched yet
// (in bounded packets), then moves to the last one.
void FetchMoreOrLast(plat::TClientDataSet* dataSet);
// Locate that fetches further rows of the query until the record is found.
bool LocateFetching(plat::TClientDataSet* dataSet, const std::string& keyFields,
                    const plat::Variant& keyValues);

// Closes the data set, sends [condition, second] to its provider ("All"
// means no condition) and opens it again. A failure is written to the alert
// log and passed on, so that the caller's event boundary shows it.
void OpenDataSetByCondition(plat::TClientDataSet* dataSet, const std::string& condition,
                            const plat::Variant& second);

// Fetches the next packet when the data set, browsing, stands at its end.
void FetchNextPacketAtEnd(plat::TClientDataSet* dataSet, plat::TDataSource* source);

// The list reads "dataset:field,field;dataset:field". The first field listed
// for this data set (by name) that is visible, writable, a data field and
// blank; false when there is none.
bool FindBlankField(plat::TDataSet* dataSet, const std::string& list, plat::TField*& field);

// ---- grid layout files ----

inline constexpr const char* kLayoutExtension = ".ugs";

// The layout folder: "GridViewDataPath" of section "Client Components" of
// the client settings file, else the client folder + "c_Data"; with a
// sub-directory, that folder below it. Ends with a separator.
std::string GridLayoutFolder(const std::string& subDirectory = "");
// The section of a data set: its name, and for a body grid ("CDSBODY" in
// the name) with an index of 0 or more, name + "_" + index.
std::string GridLayoutSection(const plat::TDataSet* dataSet, int gridIndex);

// One section of a layout file. Loading skips fields the data set lacks and
// malformed entries; a file that cannot be read loads nothing and leaves a
// line in the alert log.
void LoadFieldLayout(const std::string& fileName, plat::TDataSet* dataSet, int gridIndex);
void SaveFieldLayout(const std::string& fileName, plat::TDataSet* dataSet, int gridIndex);
// With a sub-directory the file there is used when it exists, else the one
// in the layout folder itself; nothing is loaded without a file.
void LoadGridLayout(const std::string& subDirectory, const std::string& baseName,
                    plat::TDataSet* dataSet, int gridIndex);
// Creates the folder when missing, then saves.
void SaveGridLayout(const std::string& subDirectory, const std::string& baseName,
                    plat::TDataSet* dataSet, int gridIndex);

}  // namespace ktrb
