#include "platform/system/paths.h"

namespace plat {

namespace {

size_t lastDelimiter(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i)
        if (IsPathDelimiter(path[i - 1])) return i - 1;
    return std::string_view::npos;
}

}  // namespace

bool IsPathDelimiter(char c) {
    return c == '/' || c == '\\';
}

std::string NativePath(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '\\') c = PathDelim;
    return out;
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
    std::string out = NativePath(path);
    if (!out.empty() && out.back() != PathDelim) out += PathDelim;
    return out;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
    std::string out = NativePath(path);
    while (out.size() > 1 && out.back() == PathDelim) out.pop_back();
    return out;
}

std::string ExtractFilePath(std::string_view path) {
    size_t p = lastDelimiter(path);
    return p == std::string_view::npos ? std::string() : NativePath(path.substr(0, p + 1));
}

std::string ExtractFileName(std::string_view path) {
    size_t p = lastDelimiter(path);
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string ExtractFileExt(std::string_view path) {
    std::string name = ExtractFileName(path);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

}  // namespace plat
