// The kinds and buttons of a message dialog, shared by the window layer that
// shows it and the runtime that asks for it without windows.
#pragma once

namespace plat {

// The type picks the icon and the title; buttons come in the platform's
// order, which is also the order of their names.
enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum class TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};

}  // namespace plat
