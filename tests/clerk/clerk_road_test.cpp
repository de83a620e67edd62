// The clerk's road: the host program on a fresh demo installation in a real
// window, worked only by key presses, typing and clicks through the window
// system, as a person at the keyboard works it. After each step the stored
// rows are read from the installation's database and a picture of the screen
// is kept (KTRB_SHOTS names a folder to keep them in; else the test's own).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "clerk/clerk_driver.h"
#include "platform/system/xls_reader.h"

namespace clerk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string folderFor(const std::string& ui) {
    const char* shots = std::getenv("KTRB_SHOTS");
    const fs::path base = shots ? fs::path(shots) : fs::path(::testing::TempDir());
    return (base / ("clerk-road-" + ui)).string() + "/";
}

// The platform's message dialogs are plain forms of the host's.
bool IsMessage(const Form& f) {
    return f.cls == "TMessageForm" || f.cls == "TForm";
}

// A dialog of the form's or a window of the host's over the form.
bool Dialog(const Screen& s) {
    auto f = s.ActiveForm();
    return (f && IsMessage(*f)) || s.ModalWindow().has_value();
}

bool Focused(const Screen& s, const std::string& control) {
    auto f = s.Focused();
    return f && f->name == control;
}

bool Shows(const Screen& s, const std::string& control, const std::string& text) {
    auto c = s.Find(control);
    return c && c->text == text;
}

// The files under a folder whose names end so, with their sizes.
std::map<std::string, uintmax_t> FilesEnding(const std::string& folder, const std::string& end) {
    std::map<std::string, uintmax_t> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), stop; !ec && it != stop;
         it.increment(ec)) {
        const std::string name = it->path().string();
        if (it->is_regular_file(ec) && name.size() >= end.size() &&
            name.compare(name.size() - end.size(), end.size(), end) == 0)
            files[name] = it->file_size(ec);
    }
    return files;
}

bool Holds(const XlsSheet& sheet, const std::string& text) {
    for (const auto& [at, cell] : sheet.cells)
        if (cell.text == text) return true;
    return false;
}

class ClerkRoad : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string why = WhyNotRunnable();
        if (!why.empty()) GTEST_SKIP() << "the clerk road needs a real display: " << why;
    }

    void Open(const std::string& ui) {
        ui_ = ui;
        host = std::make_unique<Host>(KTRB52_PROGRAM, folderFor(ui), ui);
        ASSERT_TRUE(host->WaitFor(
            [](const Screen& s) {
                auto b = s.Find("btnQuery");
                return b && b->enabled && s.ActiveForm();
            },
            60s))
            << "the receipt form did not open\n"
            << host->Log();
        host->Picture(step("opened"));
    }

    // A numbered name for the step's picture.
    std::string step(const std::string& what) {
        char n[16];
        std::snprintf(n, sizeof n, "%02d-", ++steps_);
        return n + what;
    }

    // Waits for what the step must show; on failure says what the screen
    // showed. Keeps a picture of the step either way.
    bool Expect(const std::string& what, const std::function<bool(const Screen&)>& pred,
                std::chrono::milliseconds limit = 15s) {
        const bool ok = host->WaitFor(pred, limit);
        const std::string picture = host->Picture(step(what));
        EXPECT_TRUE(ok) << what << ": the screen shows " << host->Look().Texts()
                        << "\npicture: " << picture << "\nhost log:\n"
                        << host->Log();
        return ok;
    }

    std::string Db(const std::string& sql) const { return Sql(host->DatabaseFile(), sql); }
    std::string Stored(const std::string& number, const std::string& column) const {
        return Db("SELECT " + column + " FROM MOCTH WHERE TH001='5901' AND TH002='" + number + "'");
    }
    int Receipts() { return std::stoi("0" + Db("SELECT COUNT(*) FROM MOCTH")); }

    void Click(const std::string& control) {
        std::optional<Control> c;
        host->WaitFor(
            [&](const Screen& s) {
                c = s.Find(control);
                return c && c->enabled;
            },
            5s);
        ASSERT_TRUE(c && c->enabled)
            << control << " is not on the screen or not enabled: " << host->Look().Texts();
        host->Click(*c);
    }
    // Clicks a head field, replaces its text by typing and leaves it by Tab.
    void Fill(const std::string& control, const std::string& text) {
        Click(control);
        ASSERT_TRUE(host->WaitFor([&](const Screen& s) { return Focused(s, control); }, 5s))
            << control << " did not take the focus: " << host->Look().Texts();
        host->Key("Home shift+End");
        host->Type(text);
        host->Key("Tab");
    }
    // The form's own message dialog: answered by a key once it shows.
    bool Message(const std::string& key, std::chrono::milliseconds limit = 10s) {
        const bool shown = host->WaitFor(
            [](const Screen& s) {
                auto f = s.ActiveForm();
                return f && IsMessage(*f);
            },
            limit);
        if (shown) {
            host->Picture(step("message"));
            host->Key(key);
            host->WaitFor([](const Screen& s) { return !Dialog(s); }, 5s);
        }
        return shown;
    }

    // Answers the messages a step leaves open with their default button.
    void Dismiss() {
        int answered = 0;
        while (answered < 3 && Message("Return", 1500ms)) ++answered;
    }

    // A code picked in its look-up window: F2 in the field, the initials
    // typed into the find line, Enter.
    void Pick(const std::string& control, const std::string& initials) {
        Click(control);
        ASSERT_TRUE(host->WaitFor([&](const Screen& s) { return Focused(s, control); }, 5s))
            << control << " did not take the focus: " << host->Look().Texts();
        PickInWindow(initials);
    }
    // F2 where the cursor is, then the look-up window worked by keys.
    void PickInWindow(const std::string& initials) {
        host->Key("F2");
        ASSERT_TRUE(host->WaitFor([](const Screen& s) {
            auto w = s.ModalWindow();
            return w && w->focusClass == "QLineEdit";
        })) << "no look-up window with its find line: "
            << host->Look().Texts();
        host->Picture(step("look-up"));
        host->Type(initials);
        EXPECT_TRUE(host->WaitFor([&](const Screen& s) {
            auto w = s.ModalWindow();
            return w && w->focusText == initials;
        })) << "the typed letters did not reach the look-up window: "
            << host->Look().Texts();
        host->Key("Return");
        EXPECT_TRUE(host->WaitFor([](const Screen& s) { return !s.ModalWindow(); }))
            << "the look-up window stayed: " << host->Look().Texts();
    }

    // Queries every receipt through the query dialog.
    void QueryAll() {
        host->Key("F6");
        ASSERT_TRUE(host->WaitFor([](const Screen& s) { return s.HasForm("TQBEForm"); }))
            << "no query dialog: " << host->Look().Texts();
        host->Picture(step("query-dialog"));
        Click("BBOK");
        ASSERT_TRUE(host->WaitFor([](const Screen& s) { return !s.HasForm("TQBEForm"); }))
            << host->Look().Texts();
    }

    // The grid's current column, as the screen shows it.
    static std::string Column(const Screen& s) {
        auto it = s.gridField.find("gdBody1");
        return it == s.gridField.end() ? std::string() : it->second;
    }
    // Tab through the line until the cursor is in that column (at most limit
    // presses); false when it never comes.
    bool TabTo(const std::string& field, int limit = 60) {
        for (int i = 0; i < limit; ++i) {
            const Screen s = host->Look();
            if (Column(s) == field) return true;
            if (Dialog(s)) return false;
            host->Key("Tab");
        }
        return Column(host->Look()) == field;
    }
    // Types a cell and leaves it by Tab.
    void Cell(const std::string& text) {
        host->Type(text);
        host->Key("Tab");
    }
    // The head of a new receipt keyed field by field, with a date.
    void KeyHead(const std::string& date) {
        host->Key("F5");
        Expect("adding", [](const Screen& s) {
            auto ok = s.Find("btnOK");
            return ok && ok->enabled && Focused(s, "edTH001");
        });
        Fill("edTH001", "5901");
        Fill("edTH005", "S002");
        Fill("edTH029", date);
    }
    // A line keyed from its work order: the cursor starts in the work-order
    // type column and goes on to the quantity after the work-order number.
    void KeyLine() {
        host->Key("ctrl+Down");
        Expect("a new line starts at its work order",
               [](const Screen& s) { return Column(s) == "TI013"; });
        Cell("5201");
        Expect("work-order type keyed",
               [](const Screen& s) { return Column(s) == "TI014" && !Dialog(s); });
        Cell("20240110001");
        KeyQuantities();
    }
    // The same line with its work order picked in the look-up window by the
    // initials of its item.
    void KeyLineByLookup() {
        host->Key("ctrl+Down");
        Expect("a new line starts at its work order",
               [](const Screen& s) { return Column(s) == "TI013"; });
        PickInWindow("ddls");
        Expect("work order picked", [](const Screen& s) {
            return s.RowText("gdBody1", "TI013") == "5201" &&
                   s.RowText("gdBody1", "TI014") == "20240110001" &&
                   s.RowText("gdBody1", "TI004") == "C3001" && !Dialog(s);
        });
        if (Column(host->Look()) == "TI013") host->Key("Tab");
        if (Column(host->Look()) == "TI014") host->Key("Tab");
        KeyQuantities();
    }
    void KeyQuantities() {
        Expect("on to the quantity",
               [](const Screen& s) { return Column(s) == "TI007" && !Dialog(s); });
        Cell("20");
        EXPECT_TRUE(TabTo("TI060")) << host->Look().Texts();
        Cell("R-01-01");
        EXPECT_TRUE(TabTo("TI024")) << host->Look().Texts();
        Cell("12.5");
        Expect("line keyed", [](const Screen& s) {
            return s.RowText("gdBody1", "TI007") == "20.000" && !Dialog(s);
        });
    }
    // The newest receipt stored.
    std::string Newest() { return Db("SELECT TH002 FROM MOCTH ORDER BY rowid DESC LIMIT 1"); }
    // Saves by F12; the number of the saved receipt, or empty.
    std::string Save(int receiptsBefore) {
        host->Key("F12");
        const bool saved =
            host->WaitFor([&](const Screen&) { return Receipts() > receiptsBefore; });
        Dismiss();
        host->Picture(step("saved"));
        EXPECT_TRUE(saved) << "not saved: " << host->Look().Texts() << "\n" << host->Log();
        return saved ? Newest() : std::string();
    }

    // The shown receipt copied by the flow button's menu into a new one,
    // its line completed, saved.
    void CopyAndSave(const std::string& source) {
        auto flow = host->Look().Find("btnFlow");
        ASSERT_TRUE(flow && flow->enabled) << host->Look().Texts();
        // The drop-down arrow at the button's right.
        host->ClickAt(flow->x + flow->w - 5, flow->y + flow->h / 2, host->KeyWindow());
        ASSERT_TRUE(host->WaitFor([](const Screen& s) {
            for (const auto& w : s.windows)
                if (w.focusClass == "QMenu") return true;
            return false;
        })) << "the flow menu did not open: "
            << host->Look().Texts();
        bool onCopy = false;
        for (int i = 0; i < 6 && !onCopy; ++i) {
            host->Key("Down");
            for (const auto& w : host->Look().windows)
                if (w.focusClass == "QMenu" && w.focusText == "复制单据") onCopy = true;
        }
        host->Picture(step("flow menu"));
        ASSERT_TRUE(onCopy) << "no copy item in the flow menu: " << host->Look().Texts();
        host->Key("Return");
        ASSERT_TRUE(Expect("copy dialog", [&](const Screen& s) {
            return s.HasForm("TfrmCopy") && Shows(s, "edSource2", source);
        }));
        Click("BBOK");
        ASSERT_TRUE(host->WaitFor([](const Screen& s) {
            auto d = s.Find("edDest1");
            return d && d->enabled;
        })) << host->Look().Texts();
        Fill("edDest1", "5901");
        Fill("edDest2", "20240628001");
        Click("BBOK");
        Expect("copied", [](const Screen& s) {
            return !s.HasForm("TfrmCopy") && s.RowText("gdBody1", "TI004") == "C3001" && !Dialog(s);
        });
        const int before = Receipts();
        host->Key("ctrl+Down");
        EXPECT_TRUE(TabTo("TI060")) << host->Look().Texts();
        Cell("R-01-01");
        const std::string copy = Save(before);
        ASSERT_FALSE(copy.empty());
        EXPECT_NE(copy, source);
        EXPECT_EQ(Db("SELECT TI004 || ':' || TI007 FROM MOCTI WHERE TI001='5901' AND TI002='" +
                     copy + "'"),
                  "C3001:20.0");
    }

    // Prints the shown receipt: a PDF in the installation's print folder,
    // handed to the desktop to open.
    void Print() {
        const auto before = FilesEnding(host->Home(), ".pdf");
        Click("btnPrint");
        Dismiss();
        const bool opened = host->WaitFor([&](const Screen&) { return !host->Opened().empty(); });
        host->Picture(step("printed"));
        ASSERT_TRUE(opened) << "nothing printed: " << host->Look().Texts() << host->Log();
        const std::string pdf = host->Opened().back();
        EXPECT_EQ(before.count(pdf), 0u) << pdf;
        std::ifstream printed(pdf, std::ios::binary);
        std::string magic(5, '\0');
        printed.read(magic.data(), 5);
        EXPECT_EQ(magic, "%PDF-") << pdf;
    }

    // Exports by a menu shortcut; the new book read back.
    XlsSheet ExportBy(const std::string& keys) {
        const auto before = FilesEnding(host->Home(), ".xls");
        host->Key(keys);
        std::string book;
        host->WaitFor(
            [&](const Screen& s) {
                if (Dialog(s)) return false;
                for (const auto& [name, size] : FilesEnding(host->Home(), ".xls"))
                    if (!before.count(name) && size > 0) book = name;
                return !book.empty();
            },
            30s);
        Dismiss();
        host->Picture(step("exported " + keys));
        EXPECT_FALSE(book.empty()) << "no book written by " << keys << ": " << host->Look().Texts();
        return book.empty() ? XlsSheet{} : ReadXls(book);
    }
    void Export(const std::string& number) {
        // The browse list: every receipt of the query with the new ones.
        const XlsSheet list = ExportBy("ctrl+F1");
        EXPECT_TRUE(list.ok) << list.error;
        EXPECT_TRUE(Holds(list, number));
        EXPECT_GE(list.rows, Receipts());
        // The lines of the shown receipt.
        const XlsSheet lines = ExportBy("ctrl+F3");
        EXPECT_TRUE(lines.ok) << lines.error;
        EXPECT_TRUE(Holds(lines, "C3001"));
    }

    std::unique_ptr<Host> host;
    std::string ui_;
    int steps_ = 0;
};

TEST_F(ClerkRoad, ReceiptRoadInSimplifiedChinese) {
    Open("936");
    const int all = Receipts();
    ASSERT_GE(all, 280);

    QueryAll();
    Expect("every receipt queried",
           [&](const Screen& s) { return s.StatusPanel(3) == "1/" + std::to_string(all); });

    // The last receipt of the query, not of the rows fetched so far: by
    // Ctrl+E, and by the Last button after the first.
    const std::string lastNumber =
        Db("SELECT TH002 FROM MOCTH ORDER BY TH001 DESC, TH002 DESC LIMIT 1");
    const std::string counted = std::to_string(all) + "/" + std::to_string(all);
    auto atLast = [&](const Screen& s) {
        return s.StatusPanel(3) == counted && s.RowText("gdHead", "TH002") == lastNumber;
    };
    host->Key("ctrl+e");
    Expect("last receipt by Ctrl+E", atLast);
    host->Key("ctrl+h");
    Expect("first receipt by Ctrl+H",
           [&](const Screen& s) { return s.StatusPanel(3) == "1/" + std::to_string(all); });
    Click("btnLast");
    Expect("last receipt by the Last button", atLast);

    // A new receipt, its head keyed field by field; each code shows its name.
    host->Key("F5");
    Expect("adding", [](const Screen& s) {
        auto ok = s.Find("btnOK");
        return ok && ok->enabled && Focused(s, "edTH001");
    });
    Fill("edTH001", "5901");
    Expect("receipt type keyed", [](const Screen& s) {
        return Shows(s, "edTH001", "5901") && Shows(s, "txtTH001C", "委外进货单");
    });
    Fill("edTH004", "01");
    Fill("edTH038", "PUR");
    Expect("department keyed", [](const Screen& s) {
        return Shows(s, "edTH038", "PUR") && Shows(s, "txtTH038C", "采购部");
    });
    // The supplier picked in its look-up window by its initials.
    Pick("edTH005", "hd");
    Expect("supplier picked", [](const Screen& s) {
        return Shows(s, "edTH005", "S002") && Shows(s, "txtTH005C", "华达电镀");
    });

    // The receipt's date typed with and without separators; an impossible
    // one is refused with a message and the typed text stays to be mended.
    Fill("edTH029", "2024/06/20");
    Expect("date typed with separators",
           [](const Screen& s) { return Shows(s, "edTH029", "2024/06/20") && !Dialog(s); });
    Fill("edTH029", "20240621");
    Expect("date typed without separators",
           [](const Screen& s) { return Shows(s, "edTH029", "2024/06/21") && !Dialog(s); });
    Fill("edTH029", "2024/13/45");
    EXPECT_TRUE(Message("Return")) << "no message for an impossible date: " << host->Look().Texts();
    Expect("impossible date kept to mend",
           [](const Screen& s) { return Shows(s, "edTH029", "2024/13/45") && !Dialog(s); });
    Fill("edTH029", "20240620");
    Expect("date mended",
           [](const Screen& s) { return Shows(s, "edTH029", "2024/06/20") && !Dialog(s); });

    // A line keyed in the grid from its work order, picked by look-up.
    const int before = Receipts();
    KeyLineByLookup();
    const std::string number = Save(before);
    ASSERT_FALSE(number.empty());
    EXPECT_EQ(Stored(number, "TH029 || ':' || TH004 || ':' || TH038 || ':' || TH005"),
              "20240620:01:PUR:S002");
    EXPECT_EQ(Db("SELECT TI004 || ':' || TI007 || ':' || TI013 || ':' || TI014 || ':' || TI060 || "
                 "':' || TI024 FROM MOCTI WHERE TI001='5901' AND TI002='" +
                 number + "'"),
              "C3001:20.0:5201:20240110001:R-01-01:12.5");
    // The list keeps the query's receipts with the new one among them.
    Expect("the list keeps the query's receipts", [&](const Screen& s) {
        return s.StatusPanel(3).find("/" + std::to_string(all + 1)) != std::string::npos;
    });

    // Confirmed under a date of the clerk's, unconfirmed and voided.
    Click("btnConfirm");
    ASSERT_TRUE(host->WaitFor([](const Screen& s) { return s.HasForm("TQVConfirmDateForm"); }))
        << host->Look().Texts();
    Fill("edDate01", "2024/06/28");
    Click("btnOK");
    Expect("confirmed", [&](const Screen&) { return Stored(number, "TH023") == "Y"; });
    Click("btnUnConfirm");
    Message("Return", 3s);
    Expect("unconfirmed", [&](const Screen&) { return Stored(number, "TH023") == "N"; });
    Click("btnInvalid");
    Message("Return");
    Expect("voided", [&](const Screen&) { return Stored(number, "TH023") == "V"; });

    // Copied into a new receipt through the copy dialog from the flow
    // button's menu, its line completed and saved: numbered anew.
    CopyAndSave(number);

    // Printed: the print run's document is handed to the desktop to open.
    Print();

    // The browse list and the lines exported to the spreadsheet.
    Export(number);

    // Closing with unsaved work asks first: Cancel keeps the form and the
    // work, No closes without saving; the host hears "form closed" once.
    host->Key("F5");
    Expect("adding again", [](const Screen& s) { return Focused(s, "edTH001"); });
    Fill("edTH001", "5901");
    host->Key("alt+x");
    host->Key("Return");
    ASSERT_TRUE(Message("Escape")) << "closing asked nothing: " << host->Look().Texts();
    Expect("the close was cancelled",
           [](const Screen& s) { return Shows(s, "edTH001", "5901") && !Dialog(s); });
    const int unsaved = Receipts();
    host->Key("alt+x");
    host->Key("Return");
    ASSERT_TRUE(Message("n")) << host->Look().Texts();
    EXPECT_TRUE(host->WaitExit(20s).has_value()) << "the host did not end: " << host->Log();
    EXPECT_EQ(Receipts(), unsaved);
    const std::string log = host->Log();
    size_t closed = 0;
    for (size_t at = 0; (at = log.find("(form closed)", at)) != std::string::npos; ++at) ++closed;
    EXPECT_EQ(closed, 1u) << log;
}

// The short road in another interface language: query, a receipt keyed
// with its line, saved.
class ClerkShortRoad : public ClerkRoad, public ::testing::WithParamInterface<const char*> {};

TEST_P(ClerkShortRoad, QueryAddAndSave) {
    Open(GetParam());
    QueryAll();
    const int before = Receipts();
    KeyHead("20240620");
    Expect("date typed without separators", [](const Screen& s) {
        return s.Find("edTH029") && s.Find("edTH029")->text == "2024/06/20";
    });
    KeyLine();
    const std::string number = Save(before);
    ASSERT_FALSE(number.empty());
    EXPECT_EQ(Stored(number, "TH029"), "20240620");
    EXPECT_EQ(Db("SELECT TI004 FROM MOCTI WHERE TI001='5901' AND TI002='" + number + "'"), "C3001");
}

INSTANTIATE_TEST_SUITE_P(Languages, ClerkShortRoad, ::testing::Values("437", "950"),
                         [](const auto& info) {
                             return std::string(info.param) == "437" ? "English"
                                                                     : "TraditionalChinese";
                         });

}  // namespace
}  // namespace clerk
