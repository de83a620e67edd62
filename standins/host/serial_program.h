// The sibling serial program "SRLB03" as the host runs it: it makes the
// serial numbers of an encoding format (BMSMB) from the values it is given,
// registers them in the serial master (PSMMA) for the item and lot, and
// answers them as an array of texts.
#pragma once
#include "platform/core/variant.h"

namespace standin {

class Database;

// The most serials one run makes.
constexpr int kMaxSerialsPerRun = 10000;

// params: ["1=2", A]; A[1] format code, A[2] item, A[3] lot, A[k + 1] the
// content of segment kind k, A[19] and A[20] the first and last running
// number (both empty: one serial with the first number not yet registered
// for the item). Unassigned for an unknown format or a format without a
// running number.
plat::Variant RunSerialProgram(Database& db, const plat::Variant& params);

}  // namespace standin
