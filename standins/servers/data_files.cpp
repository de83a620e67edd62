#include "standins/servers/data_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/core/exceptions.h"

namespace standin {

namespace fs = std::filesystem;

std::string StandinDataDir() {
    if (const char* dir = std::getenv("KTRB_DATA_DIR"); dir && *dir) return dir;
    if (const char* src = std::getenv("KTRB_SOURCE_DIR"); src && *src)
        return (fs::path(src) / "standins" / "data").string();
    // This file lives in standins/servers of the source tree.
    return (fs::path(__FILE__).parent_path().parent_path() / "data").lexically_normal().string();
}

std::string StandinDataPath(const std::string& relative) {
    return (fs::path(StandinDataDir()) / relative).string();
}

namespace {

std::string Unescape(const std::string& s, const std::string& where) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (i + 1 >= s.size()) throw plat::EInOutError(where + ": a lone backslash ends the field");
        switch (s[++i]) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                throw plat::EInOutError(where + ": unknown escape \\" + std::string(1, s[i]));
        }
    }
    return out;
}

}  // namespace

std::vector<TsvRow> ReadTsvFile(const std::string& path, size_t columns, bool dashIsEmpty) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw plat::EInOutError("Cannot open data file " + path);
    std::vector<TsvRow> rows;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::string where = path + ":" + std::to_string(number);
        TsvRow row;
        row.line = number;
        size_t start = 0;
        for (;;) {
            size_t tab = line.find('\t', start);
            std::string field =
                line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
            row.fields.push_back(dashIsEmpty && field == "-" ? std::string()
                                                             : Unescape(field, where));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        if (row.fields.size() != columns)
            throw plat::EInOutError(where + ": " + std::to_string(row.fields.size()) +
                                    " fields, expected " + std::to_string(columns));
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace standin
