#include "platform/system/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/system/codepage_io.h"
#include "platform/system/paths.h"

namespace plat {

namespace {

std::string reason() {
    return std::strerror(errno);
}

[[noreturn]] void ioError(const std::string& what, const std::string& path) {
    throw EInOutError(what + " " + path + ": " + reason());
}

bool startsWithNoCase(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() &&
           SameText(std::string_view(s).substr(0, prefix.size()), prefix);
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

// The file a path names, links followed, so that an atomic replacement
// replaces the link's target and not the link.
std::string resolveTarget(const std::string& path) {
    char buf[PATH_MAX];
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::realpath(path.c_str(), buf))
        return buf;
    return path;
}

std::string uniqueTempName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    std::string folder = ExtractFilePath(target);
    return folder + "." + ExtractFileName(target) + "." + std::to_string(::getpid()) + "." +
           std::to_string(counter++) + ".tmp";
}

}  // namespace

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const std::string& path) {
    return !path.empty() && ::mkdir(ExcludeTrailingPathDelimiter(path).c_str(), 0777) == 0;
}

bool ForceDirectories(const std::string& path) {
    std::string dir = ExcludeTrailingPathDelimiter(path);
    if (dir.empty()) return false;
    if (DirectoryExists(dir)) return true;
    std::string parent = ExtractFilePath(dir);
    if (!parent.empty() && !ForceDirectories(parent)) return false;
    return ::mkdir(dir.c_str(), 0777) == 0 || (errno == EEXIST && DirectoryExists(dir));
}

bool DeleteFile(const std::string& path) {
    return !path.empty() && ::unlink(NativePath(path).c_str()) == 0;
}

bool TryReadFileBytes(const std::string& path, std::string& bytes) {
    int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    std::string out;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) out.reserve(size_t(st.st_size));
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int saved = errno;
            ::close(fd);
            errno = saved;
            return false;
        }
        if (n == 0) break;
        out.append(buf, size_t(n));
    }
    ::close(fd);
    bytes = std::move(out);
    return true;
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    if (!TryReadFileBytes(path, bytes)) ioError("Cannot read file", path);
    return bytes;
}

std::string ReadTextFile(const std::string& path, int codePage) {
    std::string bytes = ReadFileBytes(path);
    std::string text;
    if (!sysdetail::TryDecode(bytes, sysdetail::ResolveCodePage(codePage), text))
        throw EConvertError("File " + path + " is not text in code page " +
                            std::to_string(sysdetail::ResolveCodePage(codePage)));
    return text;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    if (path.empty()) throw EInOutError("Cannot write a file without a name");
    // A NUL ends the name the system sees: another file would be written.
    if (path.find('\0') != std::string::npos) throw EInOutError("Cannot write a file of that name");
    std::string target = resolveTarget(NativePath(path));
    std::string temp = uniqueTempName(target);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) ioError("Cannot write file", path);
    struct stat st;
    bool ok = true;
    if (::stat(target.c_str(), &st) == 0) ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    int saved = errno;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), target.c_str()) == 0) {
        std::string folder = ExtractFilePath(target);
        int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            ::fsync(dfd);
            ::close(dfd);
        }
        return;
    }
    if (ok) saved = errno;
    ::unlink(temp.c_str());
    errno = saved;
    ioError("Cannot write file", path);
}

void WriteTextFile(const std::string& path, const std::string& text, int codePage) {
    WriteFileBytes(path, sysdetail::Encode(text, sysdetail::ResolveCodePage(codePage)));
}

bool AppendTextLine(const std::string& path, const std::string& text, int codePage) {
    std::string bytes;
    try {
        bytes = sysdetail::Encode(text, sysdetail::ResolveCodePage(codePage));
    } catch (const Exception&) {
        return false;
    }
    bytes += "\r\n";
    int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !writeAll(fd, bytes.data(), bytes.size())) {
        // Half a line would glue the next one to it: take the part back.
        (void)!::ftruncate(fd, st.st_size);
        ok = false;
    }
    return (::close(fd) == 0) && ok;
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& prefix,
                                   const std::string& ext) {
    std::vector<std::string> names;
    std::string dir = IncludeTrailingPathDelimiter(folder.empty() ? "." : folder);
    std::string wantExt = (!ext.empty() && ext[0] != '.') ? "." + ext : ext;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return names;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (!startsWithNoCase(name, prefix)) continue;
        if (!wantExt.empty() && !SameText(ExtractFileExt(name), wantExt)) continue;
        if (FileExists(dir + name)) names.push_back(name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
    return names;
}

std::string TempFolder() {
    const char* env = std::getenv("TMPDIR");
    std::string dir = (env && *env && DirectoryExists(env)) ? env : "/tmp";
    return IncludeTrailingPathDelimiter(dir);
}

}  // namespace plat
