// Reads an .xls file back with an independent reader (Debian's python3-xlrd)
// so that tests check what another program sees in our files. A missing
// reader fails the test with the package to install; it never skips.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>

struct XlsCell {
    int kind = 0;  // xlrd's cell kinds: 1 text, 2 number, 6 blank
    std::string text;
    double number = 0;
    std::string format;
    int fontColour = 0x7FFF;  // palette index, 0x7FFF automatic
    bool bold = false;
};

struct XlsSheet {
    bool ok = false;
    std::string error;
    std::string name;
    int rows = 0, cols = 0;
    std::map<std::pair<int, int>, XlsCell> cells;
    std::map<int, int> widths;

    const XlsCell& at(int row, int col) const {
        static const XlsCell empty;
        auto it = cells.find({row, col});
        return it == cells.end() ? empty : it->second;
    }
};

inline constexpr const char* kXlsReaderScript = R"PY(
import sys
try:
    import xlrd
except ImportError:
    print("NOREADER")
    sys.exit(3)
def esc(s):
    return s.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")
b = xlrd.open_workbook(sys.argv[1], formatting_info=True, ragged_rows=True)
s = b.sheet_by_index(0)
out = ["sheet\t%s\t%d\t%d" % (esc(s.name), s.nrows, s.ncols)]
for c, info in s.colinfo_map.items():
    out.append("width\t%d\t%d" % (c, info.width))
for r in range(s.nrows):
    for c in range(s.row_len(r)):
        cell = s.cell(r, c)
        if cell.ctype == 0:
            continue
        xf = b.xf_list[cell.xf_index]
        fmt = b.format_map[xf.format_key].format_str
        font = b.font_list[xf.font_index]
        value = repr(cell.value) if cell.ctype == 2 else esc(str(cell.value))
        out.append("cell\t%d\t%d\t%d\t%s\t%s\t%d\t%d" % (r, c, cell.ctype, value, esc(fmt),
                   font.colour_index, font.bold))
sys.stdout.buffer.write(("\n".join(out) + "\n").encode("utf-8"))
)PY";

inline std::string XlsUnescape(const std::string& s) {
    std::string o;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char c = s[++i];
            o += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        } else {
            o += s[i];
        }
    }
    return o;
}

inline XlsSheet ReadXls(const std::string& path) {
    XlsSheet sheet;
    const char* python = "/usr/bin/python3";
    if (::access(python, X_OK) != 0) {
        ADD_FAILURE() << "No /usr/bin/python3 to read .xls files back: install python3-xlrd "
                         "(scripts/deps.sh)";
        return sheet;
    }
    char scriptPath[] = "/tmp/ktrb-xlsread-XXXXXX";
    const int fd = ::mkstemp(scriptPath);
    if (fd < 0) {
        ADD_FAILURE() << "cannot create the reader script";
        return sheet;
    }
    ::close(fd);
    std::ofstream(scriptPath) << kXlsReaderScript;
    const std::string cmd = std::string(python) + " " + scriptPath + " '" + path + "' 2>&1";
    std::string output;
    if (FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) output.append(buf, n);
        ::pclose(p);
    }
    std::remove(scriptPath);
    if (output.rfind("NOREADER", 0) == 0) {
        ADD_FAILURE() << "The .xls reader python3-xlrd is not installed (scripts/deps.sh "
                         "installs it)";
        return sheet;
    }
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        size_t start = 0;
        for (;;) {
            size_t tab = line.find('\t', start);
            f.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        if (f[0] == "sheet" && f.size() == 4) {
            sheet.ok = true;
            sheet.name = XlsUnescape(f[1]);
            sheet.rows = std::stoi(f[2]);
            sheet.cols = std::stoi(f[3]);
        } else if (f[0] == "width" && f.size() == 3) {
            sheet.widths[std::stoi(f[1])] = std::stoi(f[2]);
        } else if (f[0] == "cell" && f.size() == 8) {
            XlsCell c;
            c.kind = std::stoi(f[3]);
            if (c.kind == 2)
                c.number = std::stod(f[4]);
            else
                c.text = XlsUnescape(f[4]);
            c.format = XlsUnescape(f[5]);
            c.fontColour = std::stoi(f[6]);
            c.bold = f[7] == "1";
            sheet.cells[{std::stoi(f[1]), std::stoi(f[2])}] = c;
        } else {
            sheet.error += line + "\n";
        }
    }
    if (!sheet.ok) ADD_FAILURE() << "xlrd could not read " << path << ":\n" << output;
    return sheet;
}
