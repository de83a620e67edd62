// Process-wide formatting settings for dates and money. Numbers always use
// "." for decimals and "," for thousands, whatever the settings.
#pragma once
#include <array>
#include <memory>
#include <string>

namespace plat {

struct FormatSettings {
    char DateSeparator = '/';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "yyyy/mm/dd";
    std::string LongDateFormat = "yyyy'年'm'月'd'日'";
    std::string ShortTimeFormat = "hh:nn";
    std::string LongTimeFormat = "hh:nn:ss";
    std::string TimeAMString = "上午";
    std::string TimePMString = "下午";
    std::string CurrencyString = "￥";
    int CurrencyDecimals = 2;
    std::array<std::string, 12> ShortMonthNames{"1月", "2月", "3月", "4月",  "5月",  "6月",
                                                "7月", "8月", "9月", "10月", "11月", "12月"};
    std::array<std::string, 12> LongMonthNames{"一月", "二月", "三月", "四月", "五月",   "六月",
                                               "七月", "八月", "九月", "十月", "十一月", "十二月"};
    std::array<std::string, 7> ShortDayNames{"日", "一", "二", "三",
                                             "四", "五", "六"};  // Sunday first
    std::array<std::string, 7> LongDayNames{"星期日", "星期一", "星期二", "星期三",
                                            "星期四", "星期五", "星期六"};
};

// The current settings (a snapshot; never null).
std::shared_ptr<const FormatSettings> CurrentFormatSettings();
void SetFormatSettings(const FormatSettings& settings);

std::string ShortDateFormat();
void SetShortDateFormat(const std::string& format);

// Replaces the settings for its lifetime and restores the previous ones.
class FormatSettingsScope {
  public:
    explicit FormatSettingsScope(const FormatSettings& s) : saved_(CurrentFormatSettings()) {
        SetFormatSettings(s);
    }
    ~FormatSettingsScope() { SetFormatSettings(*saved_); }
    FormatSettingsScope(const FormatSettingsScope&) = delete;
    FormatSettingsScope& operator=(const FormatSettingsScope&) = delete;

  private:
    std::shared_ptr<const FormatSettings> saved_;
};

}  // namespace plat
