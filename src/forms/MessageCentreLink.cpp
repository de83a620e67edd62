#include "forms/MessageCentreLink.h"

#include "platform/core/text.h"
#include "platform/ui/copydata.h"

namespace ktrb {

std::string MessageCentreFieldText(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string text;
    for (const auto& [name, value] : fields) text = "<p>" + text + name + " : " + value + "</p>";
    return text;
}

std::string MessageCentreLinkText(const std::string& programName, const std::string& company,
                                  const std::string& programCode, const std::string& keyCondition,
                                  const std::string& fieldText) {
    return "RKLT:" + programName + "$$" + "<font size=\"2\"><p>&nbsp</p> " +
           "<A href=\"rklt://Palora/" + company + "/" + programCode + "/query/" + keyCondition +
           "\">" + fieldText + "</font>" + "</A>";
}

bool SendMessageCentreLink(plat::HWND from, const std::string& text) {
    const plat::HWND target = plat::FindWindow(kMessageCentreWindowClass);
    if (!target) return false;
    std::string buffer = plat::ToCodePageReplacing(text, plat::AnsiCodePage()).text;
    buffer.push_back('\0');
    plat::TCopyDataStruct data;
    data.cbData = static_cast<uint32_t>(buffer.size());
    data.lpData = buffer.data();
    plat::SendMessage(target, plat::WM_COPYDATA, static_cast<plat::WPARAM>(from),
                      reinterpret_cast<plat::LPARAM>(&data));
    return true;
}

}  // namespace ktrb
