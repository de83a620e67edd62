// The providers of a session: the receipt (header, lines, serial numbers),
// the colour rules, the saved query schemes and the lookup rows.
#pragma once
#include <memory>

#include "platform/data/provider.h"

namespace standin {

class AppSession;

// "pvdMain": MOCTH -> MOCTI ("qryBody") -> PSMMB ("qryFoot"), with the
// derived "...C" columns filled on fetch; a save is held to the signed-on
// user's rights and the receipt's stored status.
std::unique_ptr<plat::IProvider> MakeReceiptProvider(AppSession& session);
// "pvdColor": per document record one colour text per coloured control of
// the program's colour rules; the lines' texts nested in "qryBodyColor".
std::unique_ptr<plat::IProvider> MakeColorProvider(AppSession& session);
// "pvdConSave": the signed-on user's saved query schemes of the program
// given to the last LoadTable; no other user's row is changed through it.
std::unique_ptr<plat::IProvider> MakeSavedConditionProvider(AppSession& session);
// "pvdDravoc": the rows the last GetF2Data prepared.
std::unique_ptr<plat::IProvider> MakeLookupProvider(AppSession& session);

}  // namespace standin
