#pragma once

// A new receipt of the receipt form started on the demo database, into which
// work-order barcodes are scanned.
#include <filesystem>
#include <string>

#include "receipt/forms/Ktrb52EF.h"
#include "receipt/forms/receipt_form_fixture.h"

namespace ktrb::test {

// A new receipt of one subcontractor, into which work-order barcodes are scanned.
class BarcodeTest : public ReceiptFormTest {
  protected:
    void NewReceipt(const char* supplier, const char* currency, const char* taxKind,
                    const char* date = "20240220", const char* taxRate = "0.13") {
        form->Show();
        ASSERT_TRUE(form->AddRecord(false));
        SetFieldText(Head("TH001"), "5901");
        const std::pair<const char*, const char*> values[] = {
            {"TH004", "01"}, {"TH005", supplier}, {"TH007", currency},
            {"TH008", "1"},  {"TH015", taxKind},  {"TH012", "2"},
            {"TH016", "1"},  {"TH029", date},     {"TH030", taxRate}};
        for (const auto& [name, value] : values) SetFieldTextQuiet(Head(name), value);
        if (Head("TH002")->AsString().empty()) SetFieldTextQuiet(Head("TH002"), "20240220901");
    }
    // Scans the barcode in the dialog, then OK.
    void Scan(const std::string& barcode, const char* picture = nullptr) {
        dialogs->Expect("TfrmKTRB52EF", [=, this](plat::TCustomForm& f) {
            auto& d = dynamic_cast<TfrmKTRB52EF&>(f);
            d.ed01->SetText(barcode);
            d.ed01Exit(d.ed01);
            if (picture) Picture(d, picture);
            return plat::mrOk;
        });
        form->btnGDToJHClick(form->btnGDToJH);
        EXPECT_EQ(dialogs->Pending(), 0);
    }
    void Picture(plat::TCustomForm& f, const std::string& name) {
        const char* dir = std::getenv("KTRB_SHOTS");
        const std::string out = (dir ? std::string(dir) + "/" : ::testing::TempDir()) + name;
        plat::SaveScreenshot(&f, out);
        EXPECT_TRUE(std::filesystem::exists(out));
    }
    // Whether a message of the host's text of (kind, code) was shown.
    bool Shown(const std::string& kind, const std::string& code) {
        std::string text = form->Brokers()->GetMessage(kind, code);
        text = plat::Trim(text.substr(0, text.find('%')));
        for (const std::string& m : form->messages)
            if (m.find(text) != std::string::npos) return true;
        return false;
    }
};

}  // namespace ktrb::test
