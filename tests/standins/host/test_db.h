// A small database file for the transaction-server tests: only the tables
// and columns the server reads and writes.
#pragma once
#include <filesystem>
#include <memory>
#include <string>

#include "standins/appserver/sqlite_db.h"

namespace standin::hosttest {

class TempDatabase {
  public:
    TempDatabase();
    ~TempDatabase();
    std::shared_ptr<Database> db;
    std::string path;
    // A receipt with two lines, both with the receipt's status.
    void AddReceipt(const std::string& type, const std::string& number, const std::string& status,
                    int flag);
};

}  // namespace standin::hosttest
