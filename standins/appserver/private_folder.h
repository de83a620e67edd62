// Files the server writes for its clients to open (the sign-off opinion
// pages and their images): in a folder that only the server's own user can
// enter (mode 0700), under names checked as plain file names, opened
// relative to the folder without following symbolic links.
#pragma once
#include <string>

namespace standin {

// Letters, digits, '.', '-' and '_', not beginning with '.', at most 255 bytes.
bool IsPlainFileName(const std::string& name);

class PrivateFolder {
  public:
    // Creates the folder (and its parents) when missing. Raises ServerError
    // when it is a symbolic link, no folder, or another user's; a folder of
    // ours that others may enter is closed to them.
    explicit PrivateFolder(const std::string& path);
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    // Writes (replaces) a regular file; ServerError for a name that is no
    // plain file name, or a link, device or folder in its place.
    void Write(const std::string& name, const std::string& bytes);
    std::string PathOf(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace standin
