#include "standins/appserver/private_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "standins/appserver/server.h"

namespace standin {

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name[0] == '.') return false;
    for (unsigned char c : name)
        if (!(std::isalnum(c) && c < 0x80) && c != '.' && c != '-' && c != '_') return false;
    return true;
}

PrivateFolder::PrivateFolder(const std::string& path) : path_(path) {
    while (path_.size() > 1 && path_.back() == '/') path_.pop_back();
    std::filesystem::path folder(path_);
    std::error_code ec;
    if (folder.has_parent_path()) std::filesystem::create_directories(folder.parent_path(), ec);
    if (::mkdir(path_.c_str(), 0700) != 0 && errno != EEXIST)
        throw ServerError("Cannot make the folder " + path_ + ": " + std::strerror(errno));
    fd_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0)
        throw ServerError("Cannot use the folder " + path_ +
                          " (a link or no folder): " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || st.st_uid != ::geteuid()) {
        ::close(fd_);
        throw ServerError("The folder " + path_ + " belongs to another user; refused");
    }
    if ((st.st_mode & 077) != 0 && ::fchmod(fd_, 0700) != 0) {
        ::close(fd_);
        throw ServerError("Cannot close the folder " + path_ + " to other users");
    }
}

PrivateFolder::~PrivateFolder() {
    if (fd_ >= 0) ::close(fd_);
}

void PrivateFolder::Write(const std::string& name, const std::string& bytes) {
    if (!IsPlainFileName(name))
        throw ServerError("\"" + name + "\" is no plain file name; refused");
    // Non-blocking: a pipe planted in the file's place must not hold the server.
    int fd = ::openat(fd_, name.c_str(),
                      O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0)
        throw ServerError("Cannot write " + PathOf(name) + " (a link?): " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 ||
        ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        throw ServerError("Cannot write " + PathOf(name) + ": not a plain file of its own");
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            throw ServerError("Cannot write " + PathOf(name) + ": " + std::strerror(errno));
        }
        done += (size_t)n;
    }
    if (::close(fd) != 0) throw ServerError("Cannot write " + PathOf(name));
}

}  // namespace standin
