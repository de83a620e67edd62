// Routines of the header/body documents on a second cursor over the lines:
// the next line number, the duplicate-key check, the structure copy of a data
// set and a clone that never raises; and numeric fields read and written
// rounded to a decimal count.
#pragma once
#include <string>

#include "platform/core/exceptions.h"
#include "platform/data/clientdataset.h"

namespace ktrb {

// ---- line numbers -----------------------------------------------------------

// The next line number would not fit the line-number field: a wider text
// would be cut into the number of an existing line.
class ELineNumberOverflow : public plat::EDatabaseError {
  public:
    using plat::EDatabaseError::EDatabaseError;
    const char* ClassName() const override { return "ELineNumberOverflow"; }
};

// One more than the largest line number of the set (a text that is not an
// integer counts as 0), zero-padded to the width of the string field: "0001"
// for no lines of a four-character field. Gaps are not filled. Empty when the
// set has no such field; raises ELineNumberOverflow when the number needs
// more characters than the field holds. The cursor ends past the last record.
// A set ordered by the field alone (IndexFieldNames) answers by a search from
// its ends instead of a walk over every line.
std::string NextLineNumber(plat::TDataSet* dataSet, const std::string& fieldName);
void NextLineNumber(plat::TDataSet* dataSet, const std::string& fieldName, std::string& text);

// ---- duplicate keys ---------------------------------------------------------

// The key text of the current record: each listed field's text followed by a
// TAB. The list is '+'-separated.
std::string RecordKeyText(const plat::TDataSet* dataSet, const std::string& keyList);

// True when another record of `search` has the key text of the record that
// `field` belongs to (the list, '+'-separated, defaults to the field alone).
// `search` is a second cursor over the same records as the field's data set
// (a clone). The checked record is told apart by its identity, not by its
// position, so the answer holds whatever either cursor's order, and for a
// record being inserted every equal key counts. A search cursor ordered by
// the listed fields (IndexFieldNames "A;B") finds the equal keys by a search
// on their leading non-blank string parts.
bool HasDuplicateKey(plat::TDataSet* search, plat::TField* field, const std::string& keyList);

// ---- structure and clones ---------------------------------------------------

// Gives the destination (a new client data set owned by `owner` when null)
// the source's data fields (name, type, and size for strings; nested data set
// fields left out) and creates it empty. True.
bool CopyDataSetStructure(plat::TComponent* owner, plat::TDataSet* source,
                          plat::TClientDataSet*& destination);

// The destination takes a cloned cursor of the source; false when it raised.
bool CloneCursorSafe(plat::TClientDataSet* source, plat::TClientDataSet* destination);

// ---- values by decimals -----------------------------------------------------

// Decimal counts: -2 truncated to an integer, -1 as stored, 0 or more rounded
// to that many decimals half away from zero; below -2 nothing (reads 0,
// writes nothing). A null field reads 0.
double ValueByDecimals(const plat::TField* field, int decimals);
// Writes the value through the field's edit text with ReadOnly lifted: the
// general number text for -2 and -1, "%10.*f" for 0 or more.
void SetValueByDecimals(plat::TField* field, int decimals, double value);

}  // namespace ktrb
