#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "platform/core/numbers.h"
#include "platform/ui/menus.h"
#include "receipt/forms/receipt_form_fixture.h"
#include "runtime/LibStrs.h"
#include "standins/host/message_catalogue.h"

namespace ktrb::test {
namespace {

using plat::Variant;

// The bundled messages, each text led by "<kind><code>|", so that a dialog
// tells which message it shows.
std::shared_ptr<const standin::MessageCatalogue> CodedMessages() {
    static const std::shared_ptr<const standin::MessageCatalogue> coded = [] {
        auto oneLine = [](const std::string& text) {
            std::string out;
            for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
            return out;
        };
        const std::string path =
            plat::TempFolder() + "ktrb-save-messages-" + std::to_string(::getpid()) + ".tsv";
        {
            std::ofstream out(path, std::ios::binary);
            for (const standin::MessageEntry& e : standin::MessageCatalogue::Bundled().Entries()) {
                std::string args;
                for (const std::string& a : e.args) args += (args.empty() ? "" : ",") + a;
                const std::string lead = e.kind + e.code + "|";
                out << e.kind << '\t' << e.code << '\t' << (args.empty() ? "-" : args) << '\t'
                    << lead << oneLine(e.chinese) << '\t' << lead << oneLine(e.english) << '\n';
            }
        }
        auto loaded =
            std::make_shared<standin::MessageCatalogue>(standin::MessageCatalogue::Load(path));
        std::filesystem::remove(path);
        return loaded;
    }();
    return coded;
}

class ReceiptSaveTest : public ReceiptFormTest {
  protected:
    ReceiptSaveTest() { services->messages = CodedMessages(); }

    // "<kind><code>" of every message shown so far.
    std::vector<std::string> Codes() const {
        std::vector<std::string> out;
        for (const std::string& m : form->messages) out.push_back(m.substr(0, m.find('|')));
        return out;
    }
    // The text of the last message shown.
    std::string LastMessage() const {
        return form->messages.empty() ? std::string() : form->messages.back();
    }
    // Edits a demo receipt of type `type` on its first line.
    void Edit(const std::string& number, const std::string& type = "5901") {
        if (!form->Visible()) form->Show();
        ASSERT_TRUE(dm->cdsMain->Locate("TH001;TH002", plat::VarArrayOf({type, number})));
        ASSERT_TRUE(form->EditRecord());
        dm->cdsBody1->First();
        form->messages.clear();
    }
    void SetLine(const char* name, const std::string& text) {
        if (dm->cdsBody1->State() == plat::dsBrowse) dm->cdsBody1->Edit();
        ASSERT_TRUE(SetFieldTextQuiet(Line(name), text)) << name;
    }
    void SetHead(const char* name, const std::string& text) {
        if (dm->cdsMain->State() == plat::dsBrowse) dm->cdsMain->Edit();
        ASSERT_TRUE(SetFieldTextQuiet(Head(name), text)) << name;
    }
    std::string Stored(const std::string& sql) { return Sql(sql); }
};

TEST_F(ReceiptSaveTest, SavesAnEditedReceipt) {
    Start();
    Edit("20240112001");
    SetLine("TI018", "20240112");
    SetHead("TH010", "已改");
    EXPECT_TRUE(form->SaveDocument()) << ::testing::PrintToString(form->messages);
    EXPECT_EQ(Sql("SELECT TH010 FROM MOCTH WHERE TH001='5901' AND TH002='20240112001'"), "已改");
    EXPECT_EQ(form->FormMode(), TFormMode::Browse);
}

}  // namespace
}  // namespace ktrb::test
