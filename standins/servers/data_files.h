// The stand-ins' data files: where they are and how their tab-separated
// tables are read.
#pragma once
#include <string>
#include <vector>

namespace standin {

// The folder holding the stand-ins' data (messages/, host/ ...): the
// environment variable KTRB_DATA_DIR when set, else
// $KTRB_SOURCE_DIR/standins/data, else the data folder of the source tree
// this file was built from.
std::string StandinDataDir();
// A file under that folder, e.g. "messages/messages.tsv".
std::string StandinDataPath(const std::string& relative);

// One row of a data table with the line it came from (for error texts).
struct TsvRow {
    int line = 0;
    std::vector<std::string> fields;
};

// Reads a UTF-8 table: one row per line, fields separated by TAB; blank
// lines and lines beginning with "#" are skipped; a trailing CR is dropped.
// Escapes in fields: "\n" line break, "\t" TAB, "\\" backslash; "-" alone
// stands for an empty field when dashIsEmpty is set. Every row must have
// exactly `columns` fields. A missing file or a malformed row raises
// plat::EInOutError naming the file and line.
std::vector<TsvRow> ReadTsvFile(const std::string& path, size_t columns, bool dashIsEmpty);

}  // namespace standin
