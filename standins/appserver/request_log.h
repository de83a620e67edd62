// The answers of a client's writing requests by request id. A client that
// lost an answer (its connection or the server went down after the write)
// sends the same request with the same id again; the server then gives the
// first answer instead of writing a second time. The answer is kept in the
// database in the same transaction as the write, so it outlives a restart.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/core/variant.h"

namespace standin {

class Database;

// At most this many characters in a request id; a longer one is refused.
constexpr size_t kMaxRequestIdLength = 64;

// Whether a member's answers are kept: the writes a client may send again
// (a save, the module's SQL and amount entry, sign-off jobs, query schemes).
// `args` are the request's arguments (a counter call names its operation
// first).
bool IsLoggedRequest(const std::string& member, const std::vector<plat::Variant>& args);

// Runs `run` in one transaction with the record of its answer, once per user
// and id: a repeated id gives the stored answer without running. An answer
// that raises is not kept, so a retry runs again (nothing of it was stored).
plat::Variant RunLoggedRequest(Database& db, const std::string& user, const std::string& id,
                               const std::function<plat::Variant()>& run);

}  // namespace standin
