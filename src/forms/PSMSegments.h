// The segments of a product serial-number encoding format, one row per
// segment: the dataset layout the serial-number form and the encoding-format
// dialog share, and the check of a segment's content.
#pragma once
#include <string>

namespace plat {
class TClientDataSet;
class TDataSet;
}  // namespace plat

namespace ktrb {

class TBrokers;
class TCodeConverter;

// Gives the dataset the segment fields (MC001 .. MC010) with their labels,
// read-only and hidden flags, and opens it empty.
void CreateSegmentDataSet(plat::TClientDataSet* cds);

// Replaces the rows of target with copies of every row of source.
void CopySegmentRows(plat::TDataSet* source, plat::TClientDataSet* target);

// The check of the current row's new content (MC002), run from the field's
// validation: clears MC002C, then checks the content by the row's kind and
// fills MC002C with the name found. A refusal shows its message by code
// and ends with the silent abort. The running number's blank check only
// when asked (the encoding-format dialog does it, the serial form does not).
void CheckSegmentContent(TBrokers* brokers, TCodeConverter* converter, plat::TDataSet* segments,
                         bool checkRunningNumber);

}  // namespace ktrb
