// Rounding residues of a document's totals spread over its lines, so that the
// lines add up to the total exactly.
#pragma once
#include "platform/core/variant.h"
#include "platform/data/dataset.h"
#include "platform/data/datasource.h"

namespace ktrb {

// Residues: elements 0..3, one per amount field named by the parallel array
// of field names (0 or "" = nothing to place; a text is read as a number).
// A pending edit of the set is posted; then, pass by pass (at most one more
// than the lines), every non-zero residue is added on the line whose value of
// the first non-zero residue's field is largest in absolute value (the first
// such line on ties). A residue that would change the sign of a line's value
// zeroes that value and is carried to a later pass. The fields are written
// with OnValidate detached and ReadOnly lifted; controls are disabled
// meanwhile. What could not be placed stays in the residues. True when all
// four ended at 0. On a set without lines nothing is written: False unless
// there was nothing to place.
bool Tailfix(plat::TDataSet* dataSet, plat::Variant& residues, const plat::Variant& fieldNames);
// The forms pass the lines' data source too; the lines are reached through
// their data set all the same.
bool Tailfix(plat::TDataSet* dataSet, plat::TDataSource* dataSource, plat::Variant& residues,
             const plat::Variant& fieldNames);

}  // namespace ktrb
