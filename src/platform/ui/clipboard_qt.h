// The desktop clipboard behind the system layer's clipboard interface: plain
// text is the desktop's text, every other format is kept under its name.
#pragma once
#include "platform/system/clipboard.h"

namespace plat {

class TQtClipboard : public IClipboard {
  public:
    void SetData(const std::string& format, const std::string& bytes) override;
    std::optional<std::string> GetData(const std::string& format) const override;
    bool HasFormat(const std::string& format) const override;
    std::vector<std::string> Formats() const override;
    void Clear() override;
};

// Makes the desktop clipboard the current one (the program's start-up does
// this once windows are in use); returns the one it replaces.
IClipboard* InstallQtClipboard();

}  // namespace plat
