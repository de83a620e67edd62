// The link to a document that a document form sends to the host's message
// centre: an HTML text naming the program and the document's key condition,
// sent as WM_COPYDATA to the host's main-menu window.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/messages.h"

namespace ktrb {

inline constexpr const char* kMessageCentreWindowClass = "QRV_Mirelta_MainMenu";

// (display name, text) of each head key field: each field is appended as
// "name : text" and the text so far wrapped in a paragraph, so later fields
// nest the earlier ones.
std::string MessageCentreFieldText(const std::vector<std::pair<std::string, std::string>>& fields);
std::string MessageCentreLinkText(const std::string& programName, const std::string& company,
                                  const std::string& programCode, const std::string& keyCondition,
                                  const std::string& fieldText);
// Sends the text, in the ANSI code page with its terminating zero, to the
// host's message-centre window; false when that window is not there.
bool SendMessageCentreLink(plat::HWND from, const std::string& text);

}  // namespace ktrb
