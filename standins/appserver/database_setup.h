// Creating the server's database from the SQL files of standins/data: the
// schema, the columns every business table carries, the demo rows, the
// validator's query catalogue and the lookup definitions.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "standins/appserver/sqlite_db.h"

namespace standin {

// The folder holding schema.sql and the other data files: $KTRB_DATA_DIR,
// else $KTRB_SOURCE_DIR/standins/data, else the first standins/data found
// walking up from the program's folder and from the working folder.
// Raises plat::EInOutError when none is found.
std::string DataDirectory();

// With: the small demo set the tests count on; Quarter: that set and a
// quarter of business on top (quarter.sql), for a person to work in.
enum class DemoRows { With, Without, Quarter };

// Builds every table in an empty database (catalogue and lookups included),
// with or without the demo rows.
void CreateDatabase(Database& db, DemoRows demo = DemoRows::With, const std::string& dataDir = "");

// Opens a database file, creating its tables and demo rows when it has none;
// ":memory:" gives a fresh demo database (copied from a cached template, so
// tests can create many cheaply).
std::unique_ptr<Database> OpenServerDatabase(const std::string& path,
                                             DemoRows demo = DemoRows::With);

// One entry of a "-- @name KEY1 KEY2  description" file: the header words and
// the lines up to the next header.
struct DataFileEntry {
    std::vector<std::string> words;  // after "@name"
    std::string description;
    std::vector<std::string> directives;  // "-- @other ..." lines inside the entry, without "-- @"
    std::string sql;
};
std::vector<DataFileEntry> ParseDataFile(const std::string& text, const std::string& tag);

}  // namespace standin
