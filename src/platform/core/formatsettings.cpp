#include "platform/core/formatsettings.h"

#include <atomic>

namespace plat {

namespace {
std::atomic<std::shared_ptr<const FormatSettings>>& current() {
    static std::atomic<std::shared_ptr<const FormatSettings>> s{
        std::make_shared<const FormatSettings>()};
    return s;
}
}  // namespace

std::shared_ptr<const FormatSettings> CurrentFormatSettings() {
    return current().load();
}

void SetFormatSettings(const FormatSettings& settings) {
    current().store(std::make_shared<const FormatSettings>(settings));
}

std::string ShortDateFormat() {
    return CurrentFormatSettings()->ShortDateFormat;
}

void SetShortDateFormat(const std::string& format) {
    FormatSettings s = *CurrentFormatSettings();
    s.ShortDateFormat = format;
    SetFormatSettings(s);
}

}  // namespace plat
