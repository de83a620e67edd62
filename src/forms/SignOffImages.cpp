#include "forms/SignOffImages.h"

#include <algorithm>
#include <filesystem>

#include "platform/core/text.h"
#include "platform/system/files.h"

namespace ktrb {

namespace {

bool Unsafe(unsigned char c) {
    static const std::string kReserved = "/\\:*?\"<>|";
    return c < 0x20 || c == 0x7f || kReserved.find(char(c)) != std::string::npos;
}

}  // namespace

std::string SafeFolderName(const std::string& name) {
    const bool utf8 = plat::IsValidUtf8(name);
    std::string out;
    for (unsigned char c : name) out += Unsafe(c) || (!utf8 && c >= 0x80) ? '_' : char(c);
    constexpr size_t kMax = 64;
    if (out.size() > kMax) {
        size_t cut = kMax;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xc0) == 0x80) --cut;
        out.resize(cut);
    }
    if (out.find_first_not_of('.') == std::string::npos) out.insert(0, "_");
    return out;
}

std::string SignOffImageName(const std::string& keyText) {
    using plat::ReplaceFlags;
    std::string name = plat::StringReplace(keyText, "||", "-", ReplaceFlags::All);
    name = plat::StringReplace(name, "*", " ", ReplaceFlags::All);
    return SafeFolderName(name);
}

std::vector<std::string> FindSignOffImages(const std::string& folder, const std::string& name,
                                           const std::string& ext) {
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string file = it->path().filename().string();
        if (file.size() <= ext.size() ||
            !plat::SameText(file.substr(file.size() - ext.size()), ext))
            continue;
        const std::string stem = file.substr(0, file.size() - ext.size());
        if (stem.compare(0, name.size(), name) != 0) continue;
        const std::string rest = stem.substr(name.size());
        const bool page =
            rest.size() > 1 && rest[0] == '_' &&
            std::all_of(rest.begin() + 1, rest.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (rest.empty() || page) files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void AppendFilesToStream(const std::vector<std::string>& files, TMemoryStream& stream,
                         std::string& sizes) {
    sizes.clear();
    // The stream takes its room once: the pages of a long document are
    // megabytes.
    int64_t total = stream.Position();
    for (const std::string& file : files) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(file, ec);
        if (!ec) total += int64_t(size);
    }
    stream.Reserve(total);
    for (const std::string& file : files) {
        const std::string bytes = plat::ReadFileBytes(file);
        stream.Write(bytes.data(), int64_t(bytes.size()));
        sizes += (sizes.empty() ? "" : ";") + std::to_string(bytes.size());
    }
}

plat::Variant StreamToByteArray(const TMemoryStream& stream) {
    return plat::Variant::ByteArray(stream.Bytes());
}

plat::Variant StreamToByteArray(TMemoryStream&& stream) {
    return plat::Variant::ByteArray(stream.TakeBytes());
}

}  // namespace ktrb
