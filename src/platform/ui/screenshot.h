// Pictures of controls: any form or control rendered offscreen, for tests
// and for the documentation. A form's picture has the window's frame and
// caption bar drawn around its client area.
#pragma once
#include <string>

#include "platform/ui/controls.h"

namespace plat {

TBitmap Screenshot(TControl* c);
// Writes the picture as a PNG file; raises EInOutError when it cannot.
void SaveScreenshot(TControl* c, const std::string& path);

}  // namespace plat
