// The toolkit's own texts (file chooser, colour dialog, standard buttons)
// in the interface's language.
#pragma once
#include <string>

namespace plat {

// Loads the toolkit's translations for a locale such as "zh_CN" into the
// application, replacing those loaded before; empty leaves the toolkit's
// English. False when the toolkit has no translations for the locale.
bool LoadToolkitTranslations(const std::string& locale);
// The locale loaded last ("" for none).
const std::string& ToolkitLocale();

}  // namespace plat
