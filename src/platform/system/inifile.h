// INI files with the platform's reading rules:
// - section and key names compare ignoring ASCII case; names and values are
//   trimmed of blanks; a value wrapped in matching quotes ("x" or 'x') reads
//   without them; lines starting with ";" are comments; a line without "="
//   is no key; when a name occurs twice the first occurrence counts (also
//   across two sections of the same name);
// - a missing file, section or key reads as the default;
// - ReadInteger takes decimal or hexadecimal ("$1F", "0x1F") text; any other
//   text gives the default.
// The file is kept in a code page (the ANSI code page unless told) and
// decoded to UTF-8 inside. Every write rewrites the file atomically
// (temporary file, then rename): a failed write raises EInOutError and leaves
// the old file whole. Lines the writer does not touch keep their bytes, also
// bytes that do not decode in the code page.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

class TIniFile {
  public:
    // codePage: 936, 950, 437 or 65001 (UTF-8); 0 takes the process's ANSI
    // code page (AnsiCodePage(), core/text.h) at construction.
    explicit TIniFile(const std::string& fileName, int codePage = 0);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const { return fileName_; }
    int FileCodePage() const { return codePage_; }

    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& def) const;
    int ReadInteger(const std::string& section, const std::string& ident, int def) const;
    // Read as an integer; any number other than 0 is true.
    bool ReadBool(const std::string& section, const std::string& ident, bool def) const;

    // Key names of a section, in file order, each name once.
    std::vector<std::string> ReadSection(const std::string& section) const;
    // Section names in file order, each name once.
    std::vector<std::string> ReadSections() const;
    // "name=value" for each key name of the section, in file order, with the
    // value ReadString gives for that name (the first occurrence's).
    std::vector<std::string> ReadSectionValues(const std::string& section) const;
    // As on the platform: true when the section holds at least one key.
    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& ident) const;

    // Replaces the first occurrence of the key, or adds it at the end of the
    // section (adding the section at the end of the file). A name or value
    // that cannot stand in an INI line (line breaks, "=" or a leading "[" or
    // ";" in a key, "]" in a section) raises EInOutError; a character the
    // code page lacks raises EConvertError; nothing is written then.
    void WriteString(const std::string& section, const std::string& ident,
                     const std::string& value);
    void WriteInteger(const std::string& section, const std::string& ident, int64_t value);
    // Removes the section (every section of that name) with its lines.
    void EraseSection(const std::string& section);
    // Removes every line of the key in the section.
    void DeleteKey(const std::string& section, const std::string& ident);
    // Writes are immediate; kept for callers written against the platform.
    void UpdateFile() {}

  private:
    struct Content;
    const Content& content() const;
    const Content& editable() const;
    void commit(std::string bytes);

    std::string fileName_;
    int codePage_;
    mutable std::unique_ptr<Content> cache_;
};

}  // namespace plat
