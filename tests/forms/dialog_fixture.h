// Helpers of the dialog tests: message boxes of the forms' code converters
// recorded and answered by script.
#pragma once
#include <cstdlib>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/text.h"
#include "runtime/CodeConverter.h"

namespace ktrb::test {

// The demo client's language package of a class ("" when missing).
inline std::string DemoPackage(const std::string& language, const std::string& package) {
    const char* src = std::getenv("KTRB_SOURCE_DIR");
    if (!src) return {};
    std::ifstream in(std::string(src) + "/standins/data/client/MultiLanguage/" + language + "/" +
                     package + ".Lng");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class RecordedBoxes : public ICodeConverterUi {
  public:
    RecordedBoxes() : previous_(SetCodeConverterUi(this)) {}
    ~RecordedBoxes() override { SetCodeConverterUi(previous_); }
    std::vector<plat::TObject*> ScreenFonts() override { return {}; }
    bool ApplicationShowHint() const override { return true; }
    void SetApplicationShowHint(bool) override {}
    void RestoreIfMinimized(plat::TComponent*) override {}
    int RunMessageDialog(plat::TComponent*, const TMessageDialogSpec& dialog) override {
        texts.push_back(plat::Trim(dialog.Text));
        if (answers.empty()) return modal::Ok;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    std::vector<std::string> texts;
    std::deque<int> answers;

  private:
    ICodeConverterUi* previous_;
};

}  // namespace ktrb::test
