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
#include <functional>
#include <memory>
#include <string>

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
    // showed and keeps a picture of it.
    void Expect(const std::string& what, const std::function<bool(const Screen&)>& pred,
                std::chrono::milliseconds limit = 20s) {
        const bool ok = host->WaitFor(pred, limit);
        const std::string picture = host->Picture(step(what));
        EXPECT_TRUE(ok) << what << ": the screen shows " << host->Look().Texts()
                        << "\npicture: " << picture << "\nhost log:\n"
                        << host->Log();
    }

    std::string Text(const std::string& control) const {
        auto c = host->Look().Find(control);
        return c ? c->text : std::string("(no " + control + ")");
    }
    bool Focused(const Screen& s, const std::string& control) const {
        auto f = s.Focused();
        return f && f->name == control;
    }
    std::string Db(const std::string& sql) const { return Sql(host->DatabaseFile(), sql); }
    std::string Stored(const std::string& number, const std::string& column) const {
        return Db("SELECT " + column + " FROM MOCTH WHERE TH001='5901' AND TH002='" + number + "'");
    }

    void Click(const std::string& control) {
        auto c = host->Look().Find(control);
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
        }
        return shown;
    }

    // Answers the messages a step leaves open with their default button.
    void Dismiss() {
        int answered = 0;
        while (answered < 3 && Message("Return", 1500ms)) ++answered;
    }

    // Queries every receipt through the query dialog.
    void QueryAll() {
        host->Key("F6");
        ASSERT_TRUE(host->WaitFor([](const Screen& s) { return s.HasForm("TQBEForm"); }))
            << "no query dialog: " << host->Look().Texts();
        host->Picture(step("query-dialog"));
        Click("BBOK");
        Expect("queried", [](const Screen& s) {
            auto n = s.Find("edTH002");
            return !s.HasForm("TQBEForm") && n && !n->text.empty();
        });
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
            if (Column(host->Look()) == field) return true;
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
            return ok && ok->enabled;
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
        Expect("work-order type keyed", [](const Screen& s) {
            return Column(s) == "TI014" && s.ActiveForm() && !IsMessage(*s.ActiveForm());
        });
        Cell("20240110001");
        Expect("on to the quantity", [](const Screen& s) { return Column(s) == "TI007"; });
        Cell("20");
        EXPECT_TRUE(TabTo("TI060")) << host->Look().Texts();
        Cell("R-01-01");
        EXPECT_TRUE(TabTo("TI024")) << host->Look().Texts();
        Cell("12.5");
    }
    // Saves by F12; the number of the saved receipt (the newest of the
    // supplier), or empty.
    std::string Save(int receiptsBefore) {
        host->Key("F12");
        const bool saved = host->WaitFor(
            [&](const Screen&) {
                return std::stoi("0" + Db("SELECT COUNT(*) FROM MOCTH")) > receiptsBefore;
            },
            20s);
        Dismiss();
        host->Picture(step("saved"));
        EXPECT_TRUE(saved) << "not saved: " << host->Look().Texts() << "\n" << host->Log();
        return Db(
            "SELECT TH002 FROM MOCTH WHERE TH001='5901' AND TH005='S002' ORDER BY "
            "TH002 DESC LIMIT 1");
    }
    int Receipts() { return std::stoi("0" + Db("SELECT COUNT(*) FROM MOCTH")); }

    std::unique_ptr<Host> host;
    std::string ui_;
    int steps_ = 0;
};

TEST_F(ClerkRoad, ReceiptRoadInSimplifiedChinese) {
    Open("936");
    ASSERT_GE(std::stoi(Db("SELECT COUNT(*) FROM MOCTH")), 280);

    QueryAll();

    // The last receipt of the query, not of the rows fetched so far.
    const std::string last =
        Db("SELECT TH001 || '-' || TH002 FROM MOCTH ORDER BY TH001 DESC, TH002 DESC LIMIT 1");
    host->Key("ctrl+e");
    Expect("last receipt", [&](const Screen& s) {
        auto t = s.Find("edTH001"), n = s.Find("edTH002");
        return t && n && t->text + "-" + n->text == last;
    });

    // A new receipt, its head keyed field by field.
    KeyHead("2024/06/20");
    Expect("date typed with separators", [](const Screen& s) {
        return s.Find("edTH029") && s.Find("edTH029")->text == "2024/06/20";
    });
    Fill("edTH029", "20240621");
    Expect("date typed without separators", [](const Screen& s) {
        return s.Find("edTH029") && s.Find("edTH029")->text == "2024/06/21";
    });
    // An impossible date is refused with a message and the typed text stays.
    Fill("edTH029", "2024/13/45");
    EXPECT_TRUE(Message("Return")) << "no message for an impossible date: " << host->Look().Texts();
    Expect("impossible date kept to mend", [](const Screen& s) {
        return s.Find("edTH029") && s.Find("edTH029")->text == "2024/13/45";
    });
    Fill("edTH029", "20240620");

    const int before = Receipts();
    KeyLine();
    const std::string number = Save(before);
    ASSERT_FALSE(number.empty());
    EXPECT_EQ(Stored(number, "TH029"), "20240620");
    EXPECT_EQ(Db("SELECT TI004 || ':' || TI007 || ':' || TI014 || ':' || TI060 || ':' || TI024 "
                 "FROM MOCTI WHERE TI001='5901' AND TI002='" +
                 number + "'"),
              "C3001:20.0:20240110001:R-01-01:12.5");

    // Confirmed with a date of the clerk's, unconfirmed and voided.
    Click("btnConfirm");
    ASSERT_TRUE(host->WaitFor([](const Screen& s) { return s.HasForm("TQVConfirmDateForm"); }))
        << host->Look().Texts();
    Fill("edDate01", "2024/06/28");
    Click("btnOK");
    host->WaitFor([&](const Screen&) { return Stored(number, "TH023") == "Y"; });
    host->Picture(step("confirmed"));
    EXPECT_EQ(Stored(number, "TH023"), "Y") << host->Look().Texts();
    Click("btnUnConfirm");
    Message("Return", 3s);
    host->WaitFor([&](const Screen&) { return Stored(number, "TH023") == "N"; });
    host->Picture(step("unconfirmed"));
    EXPECT_EQ(Stored(number, "TH023"), "N") << host->Look().Texts();
    Click("btnInvalid");
    Message("Return");
    host->WaitFor([&](const Screen&) { return Stored(number, "TH023") == "V"; });
    host->Picture(step("voided"));
    EXPECT_EQ(Stored(number, "TH023"), "V") << host->Look().Texts();

    // Closing with unsaved work asks first: Cancel keeps the form and the
    // work, No closes without saving; the host hears "form closed" once.
    KeyHead("2024/06/22");
    host->Key("alt+x");
    host->Key("Return");
    ASSERT_TRUE(Message("Escape")) << "closing asked nothing: " << host->Look().Texts();
    Expect("the close was cancelled", [](const Screen& s) {
        auto t = s.Find("edTH001");
        return t && t->text == "5901" && s.ActiveForm() && !IsMessage(*s.ActiveForm());
    });
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
