// The host's print run on paper: a printed document laid out on A4
// landscape pages (title, header fields, line table, totals, page numbers),
// written as a PDF or as one picture per page.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "standins/print/printed_document.h"

namespace standin {

struct PageRange {
    size_t first = 0, count = 0;  // the lines on the page
    bool totals = false;          // the totals row closes this page
};

// The pages the document takes; at least one, even without lines.
std::vector<PageRange> Paginate(const PrintedDocument& doc);

// Writes the document as a PDF file. False with the reason in `error`.
bool WritePdf(const PrintedDocument& doc, const std::string& file, std::string& error);

enum class PageImageFormat { Png, Jpeg, Gif };

// One picture per page at `dpi` (36 to 600): page 1 into base + extension
// (".png", ".JPG", ".GIF"), page n into base + "_" + four digits + extension,
// so that sorted names keep the page order. `files` lists what was written.
bool WritePageImages(const PrintedDocument& doc, const std::string& base, PageImageFormat format,
                     int dpi, std::vector<std::string>& files, std::string& error);

}  // namespace standin
