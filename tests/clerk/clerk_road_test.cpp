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
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "clerk/clerk_books.h"
#include "clerk/clerk_driver.h"

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

// Thrown when a step of the road is lost: what follows depends on it.
struct RoadStops {};

class ClerkRoad : public ::testing::Test {
  protected:
    // A step the road cannot go on without: on failure it says what the
    // screen shows, keeps a picture and stops the road.
    void Need(bool ok, const std::string& what) {
        if (ok) return;
        const std::string picture = host->Picture(step("lost"));
        ADD_FAILURE() << what << "\nthe screen shows " << host->Look().Texts()
                      << "\npicture: " << picture << "\nhost log:\n"
                      << host->Log();
        throw RoadStops{};
    }

    void SetUp() override {
        const std::string why = WhyNotRunnable();
        if (!why.empty()) GTEST_SKIP() << "the clerk road needs a real display: " << why;
    }

    void Open(const std::string& ui) {
        ui_ = ui;
        host = std::make_unique<Host>(KTRB52_PROGRAM, folderFor(ui), ui);
        Need(host->WaitFor(
                 [](const Screen& s) {
                     auto b = s.Find("btnQuery");
                     return b && b->enabled && s.ActiveForm();
                 },
                 60s),
             "the receipt form did not open");
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
    void Expect(const std::string& what, const std::function<bool(const Screen&)>& pred,
                std::chrono::milliseconds limit = 15s) {
        const bool ok = host->WaitFor(pred, limit);
        host->Picture(step(what));
        Need(ok, what);
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
        Need(c && c->enabled, control + " is not on the screen or not enabled");
        host->Click(*c);
    }
    // Clicks a head field, replaces its text by typing and leaves it by Tab.
    void Fill(const std::string& control, const std::string& text) {
        Click(control);
        Need(host->WaitFor([&](const Screen& s) { return Focused(s, control); }, 5s),
             control + " did not take the focus");
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
        Need(host->WaitFor([&](const Screen& s) { return Focused(s, control); }, 5s),
             control + " did not take the focus");
        PickInWindow(initials);
    }
    // F2 where the cursor is, then the look-up window worked by keys.
    void PickInWindow(const std::string& initials) {
        host->Key("F2");
        Expect("look-up window", [](const Screen& s) {
            auto w = s.ModalWindow();
            return w && w->focusClass == "QLineEdit";
        });
        Find(initials);
    }
    // Typed into the look-up window's find line, then Enter: the window goes.
    void Find(const std::string& text) {
        host->Type(text);
        Need(host->WaitFor([&](const Screen& s) {
            auto w = s.ModalWindow();
            return w && w->focusText == text;
        }),
             "the typed letters did not reach the look-up window");
        host->Key("Return");
        Need(host->WaitFor([](const Screen& s) { return !s.ModalWindow(); }),
             "the look-up window stayed");
    }

    // Queries every receipt through the query dialog.
    void QueryAll() {
        host->Key("F6");
        Expect("query dialog", [](const Screen& s) { return s.HasForm("TQBEForm"); });
        Click("BBOK");
        Need(host->WaitFor([](const Screen& s) { return !s.HasForm("TQBEForm"); }),
             "the query dialog stayed");
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
    // A line from its work order, picked in the look-up window of the
    // work-order column on a new line: the cursor starts there and goes on
    // to the quantity once the line has filled itself from the work order.
    void KeyLine() {
        host->Key("ctrl+Down");
        Expect("a new line starts at its work order",
               [](const Screen& s) { return Column(s) == "TI013"; });
        // By the item's initials (电镀螺丝).
        PickInWindow("ddls");
        // The work order's own notice (it has a routing) is answered.
        Message("Return", 3s);
        Expect("work order picked", [](const Screen& s) {
            return s.RowText("gdBody1", "TI013") == "5201" &&
                   s.RowText("gdBody1", "TI014") == "20240110001" &&
                   s.RowText("gdBody1", "TI004") == "C3001" && !Dialog(s);
        });
        KeyQuantities();
    }
    void KeyQuantities() {
        Expect("on to the quantity",
               [](const Screen& s) { return Column(s) == "TI007" && !Dialog(s); });
        // The cell's editor shows the work order's open quantity: replaced.
        host->Key("ctrl+a");
        Cell("20");
        Need(TabTo("TI060"), "no location column on the line");
        Cell("R-01-01");
        Expect("line keyed", [](const Screen& s) {
            return s.RowText("gdBody1", "TI007") == "20.000" && !Dialog(s);
        });
    }
    // On past the lot (its editor a combo, read-only for this item) to the
    // price, by Tab alone.
    void KeyPrice() {
        Need(TabTo("TI024"), "Tab did not reach the price");
        host->Key("ctrl+a");
        Cell("21.5");
        Expect("price keyed", [](const Screen& s) {
            return s.RowText("gdBody1", "TI024").rfind("21.5", 0) == 0 && !Dialog(s);
        });
    }
    // The line's location picked in its look-up window over the typed one:
    // back to the location column, F2, the code typed into the find line,
    // Enter. The item has no default location in its warehouse.
    void PickLocation(const std::string& location) {
        for (int i = 0; i < 20 && Column(host->Look()) != "TI060" && !Dialog(host->Look()); ++i)
            host->Key("shift+Tab");
        Need(Column(host->Look()) == "TI060", "the location column is not reached back");
        host->Key("F2");
        std::optional<Window> lookUp;
        Need(host->WaitFor([&](const Screen& s) {
            lookUp = s.ModalWindow();
            return lookUp.has_value();
        }),
             "no look-up window of the locations");
        host->ClickAt(lookUp->x + 240, lookUp->y + 21, lookUp->window);
        Find(location);
        Expect("location picked", [&](const Screen& s) {
            return !Dialog(s) && s.RowText("gdBody1", "TI060") == location;
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
        Need(saved, "not saved");
        return Newest();
    }

    // Prints the shown receipt: a PDF in the installation's print folder,
    // handed to the desktop to open.
    void Print() {
        const auto before = FilesEnding(host->Home(), ".pdf");
        Click("btnPrint");
        Dismiss();
        const bool opened = host->WaitFor([&](const Screen&) { return !host->Opened().empty(); });
        host->Picture(step("printed"));
        Need(opened, "nothing printed");
        const std::string pdf = host->Opened().back();
        EXPECT_EQ(before.count(pdf), 0u) << pdf;
        std::ifstream printed(pdf, std::ios::binary);
        std::string magic(5, '\0');
        printed.read(magic.data(), 5);
        EXPECT_EQ(magic, "%PDF-") << pdf;
    }

    // The browse list after a new receipt's save: the query's receipts and
    // the new one, the new one current.
    void ListKeepsItsReceipts(int listed, const std::string& number) {
        host->Key("ctrl+Prior");
        const std::string count = "/" + std::to_string(listed + 1);
        Expect("the list keeps its receipts after the save", [&](const Screen& s) {
            const std::string counter = s.StatusPanel(3);
            const auto rows = s.gridRows.find("gdHead");
            return s.Find("gdHead") && rows != s.gridRows.end() && rows->second == listed + 1 &&
                   counter.size() > count.size() &&
                   counter.compare(counter.size() - count.size(), count.size(), count) == 0 &&
                   s.RowText("gdHead", "TH002") == number;
        });
    }

    // Exports by a menu shortcut: the question whether to open the book is
    // answered No; the new book read back.
    XlsSheet ExportBy(const std::string& keys) {
        const auto before = FilesEnding(host->Home(), ".xls");
        host->Key(keys);
        Need(host->WaitFor(
                 [](const Screen& s) {
                     auto f = s.ActiveForm();
                     return f && IsMessage(*f);
                 },
                 30s),
             "no question after the export by " + keys);
        const auto asked = host->Look().Find("Message");
        EXPECT_TRUE(asked && asked->text.find("是否打开文档?") != std::string::npos)
            << (asked ? asked->text : host->Look().Texts());
        Need(Message("n"), "the question after the export by " + keys + " was not answered");
        std::string book;
        for (const auto& [name, size] : FilesEnding(host->Home(), ".xls"))
            if (!before.count(name) && size > 0) book = name;
        host->Picture(step("exported " + keys));
        Need(!book.empty(), "no book written by " + keys);
        books_.push_back(book);
        XlsSheet sheet = ReadXls(book);
        Need(sheet.ok, book + ": " + sheet.error);
        return sheet;
    }
    // The column of a title in a book's first row, or -1.
    static int TitleColumn(const XlsSheet& sheet, const std::string& title) {
        for (int c = 0; c < sheet.cols; ++c)
            if (sheet.at(0, c).text == title) return c;
        return -1;
    }
    // The rows of a book whose column holds that text.
    static std::vector<int> RowsWith(const XlsSheet& sheet, int col, const std::string& text) {
        std::vector<int> rows;
        for (int r = 1; r < sheet.rows; ++r)
            if (sheet.at(r, col).text == text) rows.push_back(r);
        return rows;
    }
    // The list and the lines exported by the keys of the menu "汇出", the
    // way with formats, from the browse list showing the new receipt.
    void Export(const std::string& number) {
        const Screen shown = host->Look();
        const auto row = shown.gridRow.find("gdHead");
        const auto titles = shown.gridTitle.find("gdHead");
        Need(row != shown.gridRow.end() && titles != shown.gridTitle.end(),
             "the list's current row is not shown");

        const XlsSheet list = ExportBy("ctrl+F1");
        const int numberColumn = TitleColumn(list, titles->second.at("TH002"));
        Need(numberColumn >= 0, "the list's book has no receipt number column");
        const std::vector<int> mine = RowsWith(list, numberColumn, number);
        Need(mine.size() == 1, "the list's book does not hold the new receipt once");
        EXPECT_EQ(list.rows, Receipts() + 1) << "a title row and a row per receipt";
        // The coded columns as the list shows them, in the interface's language.
        static const std::regex coded(R"(^[0-9A-Z][.:][^0-9].*)");
        int codedSeen = 0;
        for (const auto& [field, text] : row->second) {
            if (!std::regex_match(text, coded)) continue;
            const int col = TitleColumn(list, titles->second.at(field));
            if (col < 0) continue;
            ++codedSeen;
            EXPECT_EQ(list.at(mine[0], col).text, text) << field;
        }
        EXPECT_GT(codedSeen, 0) << "no coded column in the list's book";
        // Amounts with the field's decimals, as stored.
        const int amount = TitleColumn(list, titles->second.at("TH018"));
        Need(amount >= 0, "the list's book has no processing amount column");
        EXPECT_EQ(list.at(mine[0], amount).kind, 2);
        EXPECT_EQ(list.at(mine[0], amount).number,
                  std::stod(Db("SELECT printf('%.2f', TH018) FROM MOCTH WHERE TH001='5901' AND "
                               "TH002='" +
                               number + "'")));

        const XlsSheet lines = ExportBy("ctrl+F3");
        Need(books_.size() == 2 && books_[0] != books_[1], "the two exports share one book");
        // The list's book is still the list: the second export took a name
        // of its own even within the same second.
        const XlsSheet listAgain = ReadXls(books_[0]);
        EXPECT_EQ(listAgain.rows, list.rows);
        const int lineNumber = TitleColumn(lines, titles->second.at("TH002"));
        Need(lineNumber >= 0, "the lines' book has no receipt number column");
        const std::vector<int> myLines = RowsWith(lines, lineNumber, number);
        Need(myLines.size() == 1, "the lines' book does not hold the new receipt's line once");
        const int r = myLines[0];
        std::map<std::string, const XlsCell*> cells;
        for (int c = 0; c < lines.cols; ++c) cells[lines.at(0, c).text] = &lines.at(r, c);
        auto cell = [&](const char* title) {
            const auto it = cells.find(title);
            return it == cells.end() ? XlsCell{} : *it->second;
        };
        EXPECT_EQ(cell("进货数量").kind, 2);
        EXPECT_EQ(cell("进货数量").number, 20.0);
        EXPECT_EQ(cell("库位").text, "R-01-02");
        // The project placeholder reads as the form shows it: empty.
        const std::string placeholder(20, '*');
        Need(Db("SELECT COUNT(*) FROM MOCTH WHERE TH045='" + placeholder + "'") != "0",
             "no receipt without a project");
        for (const XlsSheet* sheet : {&list, &lines}) {
            const int project = TitleColumn(*sheet, "项目编号");
            EXPECT_GE(project, 0) << "no project column in " << sheet->name;
            EXPECT_TRUE(RowsWith(*sheet, project, placeholder).empty()) << sheet->name;
        }
        for (const XlsSheet* sheet : {&list, &lines}) ExpectNoBinaryNoise(*sheet);
    }

    void WalkWholeRoad();

    std::unique_ptr<Host> host;
    std::string ui_;
    int steps_ = 0;
    std::vector<std::string> books_;
};

TEST_F(ClerkRoad, ReceiptRoadInSimplifiedChinese) {
    try {
        WalkWholeRoad();
    } catch (const RoadStops&) {
    }
}

void ClerkRoad::WalkWholeRoad() {
    Open("936");
    const int all = Receipts();
    Need(all >= 280, "the demo installation has too few receipts");

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
    Need(Message("Return"), "no message for an impossible date");
    Expect("impossible date kept to mend",
           [](const Screen& s) { return Shows(s, "edTH029", "2024/13/45") && !Dialog(s); });
    Fill("edTH029", "20240620");
    Expect("date mended",
           [](const Screen& s) { return Shows(s, "edTH029", "2024/06/20") && !Dialog(s); });

    // A line keyed in the grid from its work order.
    const int before = Receipts();
    KeyLine();
    PickLocation("R-01-02");
    KeyPrice();
    const std::string number = Save(before);
    EXPECT_EQ(Stored(number, "TH029 || ':' || TH004 || ':' || TH038 || ':' || TH005"),
              "20240620:01:PUR:S002");
    EXPECT_EQ(Db("SELECT TI004 || ':' || TI007 || ':' || TI013 || ':' || TI014 || ':' || TI060 "
                 "|| ':' || TI024 FROM MOCTI WHERE TI001='5901' AND TI002='" +
                 number + "'"),
              "C3001:20.0:5201:20240110001:R-01-02:21.5");

    // The list after the save, and its exports.
    ListKeepsItsReceipts(all, number);
    Export(number);
    host->Key("ctrl+Next");
    Expect("back on the head page", [&](const Screen& s) { return Shows(s, "edTH002", number); });
    // Confirmed under a date of the clerk's, unconfirmed and voided.
    Click("btnConfirm");
    Expect("confirm date asked", [](const Screen& s) { return s.HasForm("TQVConfirmDateForm"); });
    Fill("edDate01", "2024/06/28");
    Click("btnOK");
    Expect("confirmed", [&](const Screen&) { return Stored(number, "TH023") == "Y"; });
    Click("btnUnConfirm");
    Message("Return", 3s);
    Expect("unconfirmed", [&](const Screen&) { return Stored(number, "TH023") == "N"; });
    Click("btnInvalid");
    Message("Return");
    Expect("voided", [&](const Screen&) { return Stored(number, "TH023") == "V"; });

    // Printed: the print run's document is handed to the desktop to open.
    Print();

    // Closing with unsaved work asks first: Cancel keeps the form and the
    // work, No closes without saving; the host hears "form closed" once.
    host->Key("F5");
    Expect("adding again", [](const Screen& s) { return Focused(s, "edTH001"); });
    Fill("edTH001", "5901");
    host->Key("alt+x");
    host->Key("Return");
    Need(Message("Escape"), "closing asked nothing");
    Expect("the close was cancelled",
           [](const Screen& s) { return Shows(s, "edTH001", "5901") && !Dialog(s); });
    const int unsaved = Receipts();
    host->Key("alt+x");
    host->Key("Return");
    Need(Message("n"), "closing asked nothing the second time");
    Need(host->WaitExit(20s).has_value(), "the host did not end");
    EXPECT_EQ(Receipts(), unsaved);
    const std::string log = host->Log();
    size_t closed = 0;
    for (size_t at = 0; (at = log.find("(form closed)", at)) != std::string::npos; ++at) ++closed;
    EXPECT_EQ(closed, 1u) << log;
}

}  // namespace
}  // namespace clerk
