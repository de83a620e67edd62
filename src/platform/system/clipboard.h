// The clipboard, behind an interface: data is kept per named format (the
// windows layer maps the names to the desktop's formats). A process-wide
// accessor gives the current clipboard; until one is installed it is a
// process-local in-memory clipboard.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace plat {

// Plain text, UTF-8.
inline constexpr const char* kClipboardText = "text/plain";

class IClipboard {
  public:
    virtual ~IClipboard() = default;
    // Empties the clipboard, then puts the bytes on it under the format.
    virtual void SetData(const std::string& format, const std::string& bytes) = 0;
    // The bytes of the format; none when the clipboard holds no such data.
    virtual std::optional<std::string> GetData(const std::string& format) const = 0;
    virtual bool HasFormat(const std::string& format) const = 0;
    virtual std::vector<std::string> Formats() const = 0;
    virtual void Clear() = 0;
};

// Keeps the data in memory; for tests and for running without windows.
class TMemoryClipboard : public IClipboard {
  public:
    void SetData(const std::string& format, const std::string& bytes) override;
    // Adds a format without emptying the others, as an application that
    // offers several formats of one content does.
    void AddData(const std::string& format, const std::string& bytes);
    std::optional<std::string> GetData(const std::string& format) const override;
    bool HasFormat(const std::string& format) const override;
    std::vector<std::string> Formats() const override;
    void Clear() override;

  private:
    std::map<std::string, std::string> data_;
};

// The current clipboard (never null).
IClipboard& Clipboard();
// Installs a clipboard (not owned; nullptr restores the in-memory one) and
// returns the one it replaces.
IClipboard* SetClipboard(IClipboard* clipboard);

// Installs a clipboard for the guard's lifetime (tests, the windows layer).
class ClipboardOverride {
  public:
    explicit ClipboardOverride(IClipboard& clipboard) : previous_(SetClipboard(&clipboard)) {}
    ~ClipboardOverride() { SetClipboard(previous_); }
    ClipboardOverride(const ClipboardOverride&) = delete;
    ClipboardOverride& operator=(const ClipboardOverride&) = delete;

  private:
    IClipboard* previous_;
};

}  // namespace plat
