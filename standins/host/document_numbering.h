// Document numbers for the validator's QueryMaxSeq, by the document type's
// numbering settings (CMSMQ: MQ004 1 by day, 2 by month, 3 running, 4 by
// hand; MQ005 year digits 2 or 4; MQ006 digits of the running number) and
// the date. Every number handed out is recorded in NUMSEQ in the same
// database transaction that chose it, so no number is handed out twice, also
// to clients on other connections or processes.
#pragma once
#include <memory>

#include "standins/host/host_services.h"

namespace standin {

class Database;

class DatabaseNumbering : public IDocumentNumbering {
public:
    explicit DatabaseNumbering(std::shared_ptr<Database> db) : db_(std::move(db)) {}
    // Table and field names must be plain identifiers; anything else, an
    // unknown document type, numbering by hand, or used-up numbers give false.
    bool NextNumber(const std::string& table, const std::string& keyFields, const plat::Variant& values,
                    const std::string& date, const std::string& program, const std::string& database,
                    std::string& number) override;

private:
    std::shared_ptr<Database> db_;
};

}  // namespace standin
