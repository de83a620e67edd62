// A small database file for the host and suite-server tests: only the
// tables and columns the stand-ins read and write.
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
    // One receipt with two lines: 5901-20240108001, open, FLAG 2.
    void AddReceipt(const std::string& type, const std::string& number, const std::string& status, int flag);
};

}  // namespace standin::hosttest
