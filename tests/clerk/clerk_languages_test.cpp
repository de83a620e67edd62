// The clerk's short road in English and traditional Chinese, its export and
// print in English, and two clerks' host programs on one application server
// over TCP. Everything is worked through the window system's keys and clicks
// (see clerk_driver.h); after each step the stored rows are read and a
// picture is kept (KTRB_SHOTS names a folder for them, else the test's own).
#include <gtest/gtest.h>
#include <iconv.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <thread>

#include "clerk/clerk_books.h"
#include "clerk/clerk_driver.h"

namespace clerk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The characters of a text that traditional Chinese (Big5) cannot write:
// simplified-only characters, or anything else foreign to it.
std::string NotTraditional(const std::string& utf8) {
    std::string bad;
    iconv_t cd = ::iconv_open("CP950", "UTF-8");
    if (cd == (iconv_t)-1) return "(no CP950 conversion on this machine)";
    for (size_t i = 0; i < utf8.size();) {
        size_t n = 1;
        const auto c = (unsigned char)utf8[i];
        if (c >= 0xF0)
            n = 4;
        else if (c >= 0xE0)
            n = 3;
        else if (c >= 0xC0)
            n = 2;
        std::string ch = utf8.substr(i, n);
        char out[8];
        char* in = ch.data();
        char* o = out;
        size_t inLeft = ch.size(), outLeft = sizeof out;
        if (::iconv(cd, &in, &inLeft, &o, &outLeft) == (size_t)-1) bad += ch;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
        i += n;
    }
    ::iconv_close(cd);
    return bad;
}

// Any CJK character: English texts hold none.
bool HasChinese(const std::string& utf8) {
    for (unsigned char c : utf8)
        if (c >= 0xE3 && c <= 0xE9) return true;
    return false;
}

// The platform's message dialogs are plain forms of the host's.
bool IsMessage(const Form& f) {
    return f.cls == "TMessageForm" || f.cls == "TForm";
}

// One clerk at one host program: the steps a person takes by keys and
// clicks, each waited for within a limit, each with its picture.
class Clerk {
  public:
    // home: the clerk's own folder; db: the database the receipts land in.
    Clerk(const std::string& home, const std::string& ui, const std::string& db,
          const std::vector<std::string>& extra = {})
        : host(KTRB52_PROGRAM, home, ui, extra), db_(db.empty() ? host.DatabaseFile() : db) {}

    Host host;

    void Opened() {
        ASSERT_TRUE(host.WaitFor(
            [](const Screen& s) {
                auto b = s.Find("btnQuery");
                return b && b->enabled && s.ActiveForm();
            },
            60s))
            << "the receipt form did not open\n"
            << host.Log();
        host.Picture(step("opened"));
    }
    std::string step(const std::string& what) {
        char n[16];
        std::snprintf(n, sizeof n, "%02d-", ++steps_);
        return n + what;
    }
    bool Expect(const std::string& what, const std::function<bool(const Screen&)>& pred,
                std::chrono::milliseconds limit = 20s) {
        const bool ok = host.WaitFor(pred, limit);
        const std::string picture = host.Picture(step(what));
        EXPECT_TRUE(ok) << what << ": the screen shows " << host.Look().Texts()
                        << "\npicture: " << picture << "\nhost log:\n"
                        << host.Log();
        return ok;
    }
    std::string Text(const std::string& control) const {
        auto c = host.Look().Find(control);
        return c ? c->text : std::string("(no " + control + ")");
    }
    std::string Db(const std::string& sql) const { return Sql(db_, sql); }
    int Receipts() const { return std::atoi(Db("SELECT COUNT(*) FROM MOCTH").c_str()); }

    bool Click(const std::string& control) {
        auto c = host.Look().Find(control);
        EXPECT_TRUE(c && c->enabled)
            << control << " is not on the screen or not enabled: " << host.Look().Texts();
        if (!c || !c->enabled) return false;
        host.Click(*c);
        return true;
    }
    void Fill(const std::string& control, const std::string& text) {
        if (!Click(control)) return;
        EXPECT_TRUE(host.WaitFor(
            [&](const Screen& s) {
                auto f = s.Focused();
                return f && f->name == control;
            },
            5s))
            << control << " did not take the focus: " << host.Look().Texts();
        host.Key("Home shift+End");
        host.Type(text);
        host.Key("Tab");
    }
    // A message dialog answered by a key or by clicking one of its buttons.
    bool Message(const std::string& answer, std::chrono::milliseconds limit = 10s) {
        const bool shown = host.WaitFor(
            [](const Screen& s) {
                auto f = s.ActiveForm();
                return f && IsMessage(*f);
            },
            limit);
        if (!shown) return false;
        host.Picture(step("message"));
        auto button = host.Look().Find(answer);
        if (button)
            host.Click(*button);
        else
            host.Key(answer);
        return true;
    }
    void Dismiss() {
        for (int i = 0; i < 3 && Message("Return", 1500ms); ++i) {
        }
    }
    // Every receipt through the query dialog.
    void QueryAll() {
        host.Key("F6");
        ASSERT_TRUE(host.WaitFor([](const Screen& s) { return s.HasForm("TQBEForm"); }))
            << "no query dialog: " << host.Look().Texts();
        Click("BBOK");
        Expect("queried", [](const Screen& s) {
            auto f = s.ActiveForm();
            return !s.HasForm("TQBEForm") && f && !IsMessage(*f);
        });
    }
    // The receipt the form shows, "type-number": in the head, or in the
    // list's current row when the list is on view.
    std::string Shown() const {
        const Screen s = host.Look();
        auto t = s.Find("edTH001"), n = s.Find("edTH002");
        if (t && n) return t->text + "-" + n->text;
        for (const auto& [grid, row] : s.gridRow) {
            const auto t = row.find("TH001"), n = row.find("TH002");
            if (t != row.end() && n != row.end()) return t->second + "-" + n->second;
        }
        return {};
    }
    // A new receipt: its type typed, the supplier picked in the look-up
    // window by the initials of its name.
    void AddHead() {
        host.Key("F5");
        Expect("adding", [](const Screen& s) {
            auto ok = s.Find("btnOK");
            return ok && ok->enabled;
        });
        Fill("edTH001", "5901");
        if (!Click("edTH005")) return;
        Pick("F2", "S002", "supplier picked", [](const Screen& s) {
            auto code = s.Find("edTH005"), name = s.Find("txtTH005C");
            return code && code->text == "S002" && name && !name->text.empty();
        });
    }
    // A value picked in a look-up window: opened by a key, the find line
    // clicked (as a person does while the window settles), the value typed,
    // Enter.
    void Pick(const std::string& key, const std::string& typed, const std::string& what,
              const std::function<bool(const Screen&)>& picked) {
        host.Key(key);
        std::optional<Window> lookUp;
        host.WaitFor([&](const Screen& s) {
            lookUp = s.ModalWindow();
            return lookUp.has_value();
        });
        EXPECT_TRUE(lookUp) << what << ": no look-up window: " << host.Look().Texts();
        if (!lookUp) return;
        host.ClickAt(lookUp->x + 240, lookUp->y + 21, lookUp->window);
        host.Type(typed);
        host.Picture(step(what + "-look-up"));
        host.Key("Return");
        Expect(what, picked);
    }
    static std::string Column(const Screen& s) {
        auto it = s.gridField.find("gdBody1");
        return it == s.gridField.end() ? std::string() : it->second;
    }
    // A line keyed from its work order: type, number, then the quantity;
    // the rest (item, warehouse, its default location) comes from the order.
    void KeyLine() {
        host.Key("ctrl+Down");
        Expect("a new line starts at its work order",
               [](const Screen& s) { return Column(s) == "TI013"; });
        host.Type("5201");
        host.Key("Tab");
        host.Type("20240408001");
        host.Key("Tab");
        Dismiss();
        Expect("on to the quantity", [](const Screen& s) { return Column(s) == "TI007"; });
        host.Type("20");
        host.Key("Tab");
        host.Key("Tab");
    }
    // Saves by F12; the newest receipt of the supplier once stored.
    std::string Save(int before) {
        host.Key("F12");
        const bool saved = host.WaitFor([&](const Screen&) { return Receipts() > before; });
        Dismiss();
        host.Picture(step("saved"));
        EXPECT_TRUE(saved) << "not saved: " << host.Look().Texts() << "\n" << host.Log();
        if (!saved) return {};
        return Db("SELECT TH002 FROM MOCTH WHERE TH001='5901' ORDER BY rowid DESC LIMIT 1");
    }
    // The last receipt of a type in the queried list: the last of all, then
    // back over the receipts of later types.
    void LastOfType(const std::string& type) {
        host.Key("ctrl+e");
        const int later =
            std::atoi(Db("SELECT COUNT(*) FROM MOCTH WHERE TH001 > '" + type + "'").c_str());
        std::string back;
        for (int i = 0; i < later; ++i) back += " ctrl+p";
        if (!back.empty()) host.Key(back);
    }
    std::string Stored(const std::string& number, const std::string& column) const {
        return Db("SELECT " + column + " FROM MOCTH WHERE TH001='5901' AND TH002='" + number + "'");
    }

  private:
    std::string db_;
    int steps_ = 0;
};

class ClerkLanguages : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::string why = WhyNotRunnable();
        if (!why.empty()) GTEST_SKIP() << "the clerk's road needs a real display: " << why;
    }
};

// The texts of the form a clerk reads: captions of the form and its labels,
// tabs and grid columns; and the coded texts of its combos and grid cells
// ("2.…", "Y:…").
struct Reading {
    std::vector<std::string> labels, coded;
};
Reading Read(const Screen& s) {
    Reading r;
    static const std::regex coded(R"(^[0-9A-Z][.:].+)");
    for (const auto& f : s.forms) {
        // The company's name in brackets is data, not the interface's text.
        r.labels.push_back(f.caption.substr(0, f.caption.find('[')));
    }
    for (const auto& c : s.controls) {
        if (c.cls == "TLabel" || c.cls == "TTabSheet") r.labels.push_back(c.text);
        if (c.cls.find("ComboBox") != std::string::npos && !c.text.empty())
            r.coded.push_back(c.name + "=" + c.text);
    }
    for (const auto& [grid, titles] : s.gridTitle)
        for (const auto& [field, title] : titles) r.labels.push_back(field + " title " + title);
    for (const auto& [grid, row] : s.gridRow)
        for (const auto& [field, text] : row)
            if (std::regex_match(text, coded)) r.coded.push_back(field + "=" + text);
    return r;
}

// Which of the texts are not in the interface's language.
std::string Foreign(const std::vector<std::string>& texts, const std::string& ui) {
    std::string out;
    for (const auto& t : texts) {
        const bool foreign = ui == "437" ? HasChinese(t) : !NotTraditional(t).empty();
        if (foreign) out += "\"" + t + "\" ";
    }
    return out;
}

// The form's head pages and its line shown, their texts read.
Reading ReadForm(Clerk& clerk) {
    Reading all = Read(clerk.host.Look());
    // The second head page: its tab is found by clicking along the tab row.
    const Screen s = clerk.host.Look();
    auto pages = s.Find("pgHead"), first = s.Find("tbsHead1");
    if (pages && first) {
        const int y = pages->y + std::max(4, (first->y - pages->y) / 2);
        for (int x = pages->x + 20; x < pages->x + 400; x += 30) {
            Control at;
            at.x = x;
            at.y = y;
            clerk.host.Click(at);
            if (clerk.host.WaitFor([](const Screen& v) { return !!v.Find("cboTH012"); }, 600ms))
                break;
        }
    }
    clerk.host.Picture(clerk.step("other-page"));
    const Reading other = Read(clerk.host.Look());
    all.labels.insert(all.labels.end(), other.labels.begin(), other.labels.end());
    all.coded.insert(all.coded.end(), other.coded.begin(), other.coded.end());
    EXPECT_NE(other.coded.size(), 0u)
        << "the combos of the second head page were not seen: " << clerk.host.Look().Texts();
    return all;
}

// The short road: query, a receipt with its head keyed, its supplier picked
// in the look-up window and one line keyed from a work order, saved and
// confirmed; the form speaks the interface's language throughout.
class ShortRoad : public ClerkLanguages, public ::testing::WithParamInterface<const char*> {};

TEST_P(ShortRoad, QueryAddSaveConfirmInTheInterfacesLanguage) {
    const std::string ui = GetParam();
    Clerk clerk(ShotsFolder("clerk-languages-" + ui), ui, "");
    clerk.Opened();
    ASSERT_FALSE(HasFailure());

    const Reading shown = ReadForm(clerk);
    EXPECT_EQ(Foreign(shown.labels, ui), "") << "labels not in the interface's language";
    EXPECT_EQ(Foreign(shown.coded, ui), "")
        << (ui == "950" ? "coded combo texts stay simplified under traditional Chinese (a known "
                          "fault of the combos' code tables, being mended)"
                        : "coded texts not in English");

    clerk.QueryAll();
    const int before = clerk.Receipts();
    clerk.AddHead();
    clerk.KeyLine();
    const std::string number = clerk.Save(before);
    ASSERT_FALSE(number.empty());
    EXPECT_EQ(clerk.Stored(number, "TH005"), "S002");
    EXPECT_EQ(clerk.Db("SELECT TI013 || '-' || TI014 || ':' || TI007 FROM MOCTI WHERE "
                       "TI001='5901' AND TI002='" +
                       number + "'"),
              "5201-20240408001:20.0");
    EXPECT_EQ(clerk.Db("SELECT TI004 || ':' || TI009 || ':' || TI060 FROM MOCTI WHERE "
                       "TI001='5901' AND TI002='" +
                       number + "'"),
              "P5009:W01:A-01-02");

    clerk.Click("btnConfirm");
    ASSERT_TRUE(clerk.host.WaitFor([](const Screen& s) { return s.HasForm("TQVConfirmDateForm"); }))
        << clerk.host.Look().Texts();
    clerk.Click("btnOK");
    clerk.host.WaitFor([&](const Screen&) { return clerk.Stored(number, "TH023") == "Y"; });
    clerk.Dismiss();
    clerk.host.Picture(clerk.step("confirmed"));
    EXPECT_EQ(clerk.Stored(number, "TH023"), "Y") << clerk.host.Look().Texts();
    const std::string name = clerk.Text("txtTH005C");
    if (ui == "950") {
        EXPECT_EQ(NotTraditional(name), "") << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, ShortRoad, ::testing::Values("437", "950"),
                         [](const auto& info) {
                             return std::string(info.param) == "437" ? "English"
                                                                     : "TraditionalChinese";
                         });

// Export and print as a clerk does them, in English: the list and the lines
// by the Export menu's keys, each to a file of its own that holds the
// receipt's values with the fields' decimals; the receipt printed by the
// toolbar's print button.
TEST_F(ClerkLanguages, ExportAndPrintInEnglish) {
    Clerk clerk(ShotsFolder("clerk-export-437"), "437", "");
    clerk.Opened();
    ASSERT_FALSE(HasFailure());
    clerk.QueryAll();
    const std::string shown = clerk.Shown();
    ASSERT_FALSE(shown.empty());
    const std::string number = shown.substr(shown.find('-') + 1);

    auto files = [&] {
        std::set<std::string> found;
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(clerk.host.Home(), ec))
            if (e.path().extension() == ".xls") found.insert(e.path().string());
        return found;
    };
    auto exportBy = [&](const std::string& keys, const std::string& what) {
        const auto before = files();
        clerk.host.Key(keys);
        // The question whether to open the file, in English, is answered No.
        clerk.host.WaitFor(
            [](const Screen& s) {
                auto f = s.ActiveForm();
                return f && IsMessage(*f);
            },
            20s);
        const auto asked = clerk.host.Look().Find("Message");
        EXPECT_TRUE(asked && !HasChinese(asked->text))
            << what << ": " << (asked ? asked->text : clerk.host.Look().Texts());
        EXPECT_TRUE(clerk.Message("No", 5s)) << what << ": no question after the export";
        std::string made;
        clerk.host.WaitFor(
            [&](const Screen&) {
                for (const auto& f : files())
                    if (!before.count(f)) made = f;
                return !made.empty();
            },
            5s);
        EXPECT_FALSE(made.empty()) << what << " wrote no new file: " << clerk.host.Look().Texts();
        return made;
    };
    const std::string list = exportBy("ctrl+F2", "the list");
    const std::string lines = exportBy("ctrl+F4", "the lines");
    ASSERT_FALSE(list.empty() || lines.empty());
    EXPECT_NE(list, lines);

    // The stored amounts as the fields show them: two decimals for money,
    // three for quantities; no binary noise.
    const std::string amount = clerk.Db(
        "SELECT printf('%.2f', TH018) FROM MOCTH WHERE TH001='5901' AND TH002='" + number + "'");
    const std::string quantity =
        clerk.Db("SELECT printf('%.3f', TI007) FROM MOCTI WHERE TI001='5901' AND TI002='" + number +
                 "' ORDER BY TI003 LIMIT 1");
    // A number cell holds exactly the double nearest the decimal text.
    auto holds = [](const XlsSheet& sheet, const std::string& text, bool number) {
        for (const auto& [at, cell] : sheet.cells)
            if (number ? cell.kind == 2 && cell.number == std::stod(text) : cell.text == text)
                return true;
        return false;
    };
    const XlsSheet head = ReadXls(list), body = ReadXls(lines);
    ASSERT_TRUE(head.ok) << head.error;
    ASSERT_TRUE(body.ok) << body.error;
    EXPECT_TRUE(holds(head, number, false)) << list;
    EXPECT_TRUE(holds(head, amount, true)) << list << " lacks the processing amount " << amount;
    EXPECT_TRUE(holds(body, number, false)) << lines;
    EXPECT_TRUE(holds(body, quantity, true)) << lines << " lacks the quantity " << quantity;
    for (const XlsSheet* sheet : {&head, &body}) ExpectNoBinaryNoise(*sheet);
    // Titles in English.
    for (int col = 0; col < head.cols; ++col)
        EXPECT_FALSE(HasChinese(head.at(0, col).text)) << head.at(0, col).text;

    // Printed by the toolbar button: the receipt's PDF in the print folder.
    clerk.Click("btnPrint");
    std::string pdf;
    clerk.host.WaitFor(
        [&](const Screen&) {
            std::error_code ec;
            for (const auto& e : fs::directory_iterator(clerk.host.Home() + "print", ec))
                if (e.path().extension() == ".pdf" &&
                    e.path().filename().string().find(number) != std::string::npos)
                    pdf = e.path().string();
            return !pdf.empty();
        },
        20s);
    clerk.Dismiss();
    clerk.host.Picture(clerk.step("printed"));
    ASSERT_FALSE(pdf.empty()) << "no PDF of " << number << ": " << clerk.host.Look().Texts()
                              << clerk.host.Log();
    EXPECT_EQ(readFile(pdf).substr(0, 5), "%PDF-");
}

// Two clerks' host programs on one application server over TCP, as
// different users: each saves a receipt, queries and finds the other's.
TEST_F(ClerkLanguages, TwoHostsOnOneServerSeeEachOthersReceipts) {
    const std::string base = ShotsFolder("clerk-two-hosts");
    fs::remove_all(base);
    fs::create_directories(base + "user");
    const std::string install = base + "install/", dbFile = install + "data/ktrb52-demo.db";
    {
        // The installation and its database, made by the host program once.
        Child made({KTRB52_PROGRAM, "--home", install, "--close"},
                   {{"HOME", base + "user"},
                    {"XDG_CONFIG_HOME", base + "user/.config"},
                    {"XDG_DATA_HOME", base + "user/.local/share"},
                    {"QT_QPA_PLATFORM", "offscreen"}},
                   base + "install.log");
        ASSERT_EQ(made.Wait(60s), std::optional<int>(0)) << readFile(base + "install.log");
    }
    Child server({KTRB_APPSERVER_PROGRAM, "--db", dbFile, "--port", "0"}, {}, base + "server.log");
    // The port is copied out while the log it was found in still lives.
    std::string port;
    const std::regex serving(R"(serving .* on [0-9.]+:([0-9]+))");
    for (int i = 0; i < 100 && port.empty(); ++i) {
        const std::string log = readFile(base + "server.log");
        std::smatch found;
        if (std::regex_search(log, found, serving))
            port = found[1].str();
        else
            std::this_thread::sleep_for(100ms);
    }
    ASSERT_FALSE(port.empty()) << readFile(base + "server.log");
    const std::string address = "localhost:" + port;

    auto first = std::make_unique<Clerk>(
        base + "ds/", "936", dbFile,
        std::vector<std::string>{"--home", install, "--server", address, "--user", "DS"});
    first->Opened();
    ASSERT_FALSE(HasFailure());
    first->AddHead();
    first->KeyLine();
    const std::string mine = first->Save(first->Receipts());
    ASSERT_FALSE(mine.empty());

    std::string theirs;
    {
        Clerk second(
            base + "zhangw/", "437", dbFile,
            std::vector<std::string>{"--home", install, "--server", address, "--user", "ZHANGW"});
        second.Opened();
        ASSERT_FALSE(HasFailure());
        second.AddHead();
        second.KeyLine();
        theirs = second.Save(second.Receipts());
        ASSERT_FALSE(theirs.empty());
        ASSERT_NE(theirs, mine);
        EXPECT_EQ(second.Stored(theirs, "CREATOR"), "ZHANGW");
        EXPECT_EQ(second.Stored(mine, "CREATOR"), "DS");
        // The clerk keeps adding after a save: the new receipt is given up
        // before the query.
        second.Click("btnCancel");
        second.Dismiss();
        second.QueryAll();
        // The list runs by type and number: the newest of the type are last
        // but the later types' receipts.
        second.LastOfType("5901");
        second.Expect("the second clerk's own receipt last of its type",
                      [&](const Screen&) { return second.Shown() == "5901-" + theirs; });
        second.host.Key("ctrl+p");
        second.Expect("the first clerk's receipt before it",
                      [&](const Screen&) { return second.Shown() == "5901-" + mine; });
        second.host.Key("alt+x");
        second.host.Key("Return");
        EXPECT_TRUE(second.host.WaitExit(20s).has_value()) << second.host.Log();
    }

    first->QueryAll();
    first->LastOfType("5901");
    first->Expect("the second clerk's receipt last in the first clerk's list",
                  [&](const Screen&) { return first->Shown() == "5901-" + theirs; });
    first.reset();
    server.Stop();
}

}  // namespace
}  // namespace clerk
