#include "standins/hostwin/dravoc_windows.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QWindow>
#include <cstdlib>

#include "platform/core/text.h"
#include "platform/ui/qt_bridge.h"
#include "runtime/Translator.h"
#include "standins/appserver/server.h"
#include "standins/host/server_link.h"
#include "support/dataframe/DataModuleFixture.h"

namespace {

using namespace standin;
using plat::Variant;

void Key(QWidget* target, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
}
void Type(QWidget* target, const QString& text) {
    for (QChar c : text) Key(target, c.toUpper().unicode(), QString(c));
}

// Saves a picture of a window when KTRB_SHOTS names a folder.
void Picture(QWidget& w, const std::string& name) {
    if (const char* shots = std::getenv("KTRB_SHOTS"))
        w.grab().save(QString::fromStdString(std::string(shots) + "/" + name + ".png"));
}

Variant Request(const std::string& table, const std::string& query, Variant params,
                const std::string& text = "", bool several = false) {
    std::vector<Variant> r(19, Variant(""));
    r[0] = table;
    r[1] = query;
    r[2] = params;
    r[3] = several;
    r[4] = text;
    r[18] = "DS";
    return Variant::ArrayOf(r);
}

struct DravocWindows : ::testing::Test {
    DravocWindows() {
        plat::EnsureApplication();
        ConnectInProcess(*services, server);
    }
    WindowedDravoc Service(const std::string& codePage = "936") {
        WindowedDravoc::Options o;
        o.lookups = services->lookups;
        o.uiCodePage = codePage;
        o.today = [] { return std::string("20240315"); };
        return WindowedDravoc(o);
    }
    std::shared_ptr<HostServices> services = MakeHostServices();
    std::shared_ptr<AppServer> server = AppServer::Open(":memory:");
};

TEST_F(DravocWindows, TwoInitialsAndEnterChooseASupplier) {
    WindowedDravoc dravoc = Service();
    int shown = -1;
    dravoc.onShow = [&](QDialog& d) {
        auto& w = static_cast<LookupWindow&>(d);
        shown = w.RowCount();
        Type(w.FilterEdit(), "hd");
        w.ApplyFilter();
        EXPECT_EQ(w.RowCount(), 1);
        Key(w.FilterEdit(), Qt::Key_Return);
    };
    Variant request = Request("PURMA", "02", "");
    Variant reply = dravoc.F2GetData(request);
    EXPECT_EQ(shown, 9);
    ASSERT_TRUE(reply.IsArray());
    ASSERT_EQ(reply.ArrayCount(), 1);
    EXPECT_EQ(plat::VarToStr(reply[0][0]), "S002");
    EXPECT_EQ(plat::VarToStr(reply[0][1]), "华达电镀");
}

TEST_F(DravocWindows, ArrowsMoveTheGridWhileTheFilterKeepsTheKeys) {
    WindowedDravoc dravoc = Service("437");
    dravoc.onShow = [&](QDialog& d) {
        auto& w = static_cast<LookupWindow&>(d);
        Key(w.FilterEdit(), Qt::Key_Down);
        Key(w.FilterEdit(), Qt::Key_Down);
        Key(w.FilterEdit(), Qt::Key_Up);
        EXPECT_TRUE(w.FilterEdit()->hasFocus() || !w.isActiveWindow());
        Key(w.FilterEdit(), Qt::Key_Enter);
    };
    Variant request = Request("PURMA", "02", "");
    Variant reply = dravoc.F2GetData(request);
    ASSERT_TRUE(reply.IsArray());
    EXPECT_EQ(plat::VarToStr(reply[0][0]), "S002");
}

TEST_F(DravocWindows, SeveralRowsWhereTheRequestAllowsThem) {
    WindowedDravoc dravoc = Service();
    dravoc.onShow = [&](QDialog& d) {
        auto& w = static_cast<LookupWindow&>(d);
        w.Grid()->selectRow(0);
        QKeyEvent shiftDown(QEvent::KeyPress, Qt::Key_Down, Qt::ShiftModifier);
        QApplication::sendEvent(w.Grid(), &shiftDown);
        Key(w.Grid(), Qt::Key_Return);
    };
    Variant request = Request("CMSMB", "01", "", "", true);
    Variant reply = dravoc.F2GetData(request);
    ASSERT_TRUE(reply.IsArray());
    EXPECT_EQ(reply.ArrayCount(), 2);
}

TEST_F(DravocWindows, EscapeAnswersNothing) {
    WindowedDravoc dravoc = Service();
    dravoc.onShow = [&](QDialog& d) {
        Key(static_cast<LookupWindow&>(d).FilterEdit(), Qt::Key_Escape);
    };
    Variant request = Request("PURMA", "02", "", "S001");
    EXPECT_FALSE(dravoc.F2GetData(request).IsArray());
}

TEST_F(DravocWindows, PagesRatherThanEveryRow) {
    {
        std::lock_guard<std::recursive_mutex> lock(server->Db().Mutex());
        server->Db().Exec(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
            "INSERT INTO CMSME (ME001, ME002) SELECT printf('X%05d', i), '部门' || i FROM n");
    }
    WindowedDravoc dravoc = Service();
    dravoc.onShow = [&](QDialog& d) {
        auto& w = static_cast<LookupWindow&>(d);
        EXPECT_EQ(w.RowCount(), LookupWindow::kPageRows);
        for (int i = 0; i < 3; ++i) Key(w.FilterEdit(), Qt::Key_PageDown);
        w.Grid()->scrollToBottom();
        QApplication::processEvents();
        EXPECT_GT(w.RowCount(), LookupWindow::kPageRows);
        EXPECT_LT(w.RowCount(), 1000);
        d.reject();
    };
    Variant request = Request("CMSME", "01", "");
    dravoc.F2GetData(request);
}

TEST_F(DravocWindows, MalformedRequestsAreRefused) {
    WindowedDravoc dravoc = Service();
    Variant shortOne = Variant::ArrayOf({"PURMA", "02"});
    Variant noTable = Request("", "02", "");
    Variant nested = Request("PURMA", "02", "");
    nested[4] = Variant::ArrayOf({"x"});
    for (Variant* r : {&shortOne, &noTable, &nested})
        EXPECT_THROW(dravoc.F2GetData(*r), plat::Exception);
}

TEST_F(DravocWindows, TheDatePickerAnswersTheChosenDateOrNothing) {
    WindowedDravoc dravoc = Service();
    std::string started;
    dravoc.onShow = [&](QDialog& d) {
        auto* calendar = d.findChild<QCalendarWidget*>("calendar");
        started = calendar->selectedDate().toString("yyyyMMdd").toStdString();
        calendar->setSelectedDate(calendar->selectedDate().addDays(1));
        d.accept();
    };
    EXPECT_EQ(dravoc.ShowInputDay(Variant::ArrayOf({false, "20240229", "DEMO"})), "20240301");
    EXPECT_EQ(started, "20240229");
    // Not a date: today.
    EXPECT_EQ(dravoc.ShowInputDay(Variant::ArrayOf({true, "2024023x", "DEMO"})), "20240316");
    EXPECT_EQ(started, "20240315");
    dravoc.onShow = [](QDialog& d) { d.reject(); };
    EXPECT_EQ(dravoc.ShowInputDay(Variant::ArrayOf({false, "20240229", "DEMO"})), "");
}

TEST_F(DravocWindows, PhrasesAreChosenAddedAndDeleted) {
    WindowedDravoc dravoc = Service();
    dravoc.onShow = [&](QDialog& d) {
        auto* entry = d.findChild<QLineEdit*>("newPhrase");
        entry->setText("外协急件");
        for (auto* b : d.findChildren<QPushButton*>())
            if (b->text() == "新增(&A)") b->click();
        auto* list = d.findChild<QListWidget*>("phrases");
        EXPECT_TRUE(list->currentItem()->text().endsWith("外协急件"));
        d.accept();
    };
    std::string text = "old";
    EXPECT_EQ(dravoc.GetPhrase2("ZHANGW", "DEMO", 0, text), 0);
    EXPECT_EQ(text, "外协急件");
    dravoc.onShow = [&](QDialog& d) {
        for (auto* b : d.findChildren<QPushButton*>())
            if (b->text() == "删除(&D)") b->click();  // the new one is current
        d.reject();
    };
    text = "old";
    EXPECT_EQ(dravoc.GetPhrase2("ZHANGW", "DEMO", 0, text), -1);
    EXPECT_EQ(text, "old");
    for (const Phrase& p : services->lookups->Phrases("ZHANGW")) EXPECT_NE(p.text, "外协急件");
}

TEST_F(DravocWindows, CharactersByKind) {
    WindowedDravoc dravoc = Service();
    int tab = -1;
    dravoc.onShow = [&](QDialog& d) {
        auto* tabs = d.findChild<QTabWidget*>("kinds");
        tab = tabs->currentIndex();
        auto* grid = static_cast<QTableWidget*>(tabs->currentWidget());
        grid->setCurrentCell(0, 1);
        Key(grid, Qt::Key_Return);
    };
    Variant kind = 2;
    Variant chosen = dravoc.ShowCharaters("DS", "DEMO", kind, false, "0");
    EXPECT_EQ(tab, 1);
    ASSERT_TRUE(chosen.IsArray());
    EXPECT_EQ(plat::VarToStr(chosen[0]), "§");
    EXPECT_EQ(kind.AsInteger(), 2);
    dravoc.onShow = [](QDialog& d) { d.reject(); };
    EXPECT_FALSE(dravoc.ShowCharaters("DS", "DEMO", kind, false, "0").IsArray());
}

TEST_F(DravocWindows, TheCalculatorStartsFromTheTextAndGivesTheResult) {
    WindowedDravoc dravoc = Service();
    dravoc.onShow = [&](QDialog& d) {
        auto* e = d.findChild<QLineEdit*>("expression");
        EXPECT_EQ(e->text(), "1,200");
        e->setText("1,200 * (3 + 0.5) / 2");
        Key(e, Qt::Key_Return);
    };
    std::string text = "1,200";
    EXPECT_EQ(dravoc.GetCalcValue(text, 0), "2100");
    dravoc.onShow = [&](QDialog& d) {
        auto* e = d.findChild<QLineEdit*>("expression");
        e->setText("1/0");
        Key(e, Qt::Key_Return);  // refused: the window stays
        EXPECT_TRUE(d.isVisible());
        d.reject();
    };
    EXPECT_EQ(dravoc.GetCalcValue(text, 0), "");
}

TEST_F(DravocWindows, TheFocusGoesBackToTheFieldItCameFrom) {
    QWidget form;
    auto* field = new QLineEdit(&form);
    auto* other = new QLineEdit(&form);
    (void)other;
    form.show();
    form.activateWindow();
    field->setFocus();
    QApplication::processEvents();
    WindowedDravoc dravoc = Service();
    QWindow* over = nullptr;
    bool modal = false;
    dravoc.onShow = [&](QDialog& d) {
        over = d.windowHandle() ? d.windowHandle()->transientParent() : nullptr;
        modal = d.isModal();
        d.reject();
    };
    Variant request = Request("CMSMB", "01", "");
    dravoc.F2GetData(request);
    QApplication::processEvents();
    if (QApplication::activeWindow() == &form) {
        EXPECT_EQ(over, form.windowHandle());
        EXPECT_TRUE(modal);
        EXPECT_EQ(QApplication::focusWidget(), field);
    }
}

TEST_F(DravocWindows, AmountsAndPricesWithoutTheRightAreNotShown) {
    struct Case {
        const char *table, *caption;
        int element;  // 15 amounts, 16 prices
    } cases[] = {{"INVMB", "库存金额", 15}, {"BOMMI", "参考单价", 16}};
    for (const Case& c : cases)
        for (bool right : {false, true}) {
            WindowedDravoc dravoc = Service();
            std::vector<std::string> hidden;
            dravoc.onShow = [&](QDialog& d) {
                auto& w = static_cast<LookupWindow&>(d);
                QAbstractItemModel* m = w.Grid()->model();
                for (int col = 0; col < m->columnCount(); ++col)
                    if (w.Grid()->isColumnHidden(col))
                        hidden.push_back(
                            m->headerData(col, Qt::Horizontal).toString().toStdString());
                d.reject();
            };
            Variant request = Request(c.table, "01", "");
            request[c.element] = right;
            dravoc.F2GetData(request);
            EXPECT_EQ(hidden.size(), right ? 0u : 1u) << c.table << " " << right;
            if (!right && !hidden.empty()) {
                EXPECT_EQ(hidden[0], c.caption) << c.table;
            }
        }
}

TEST_F(DravocWindows, CodedColumnsShowTheirTextsInTheInterfacesScript) {
    WindowedDravoc::Options o;
    o.lookups = services->lookups;
    o.uiCodePage = "950";
    o.toInterface = [](const std::string& t) { return "<" + t + ">"; };
    WindowedDravoc dravoc(o);
    std::vector<std::string> kinds;
    dravoc.onShow = [&](QDialog& d) {
        auto& w = static_cast<LookupWindow&>(d);
        QAbstractItemModel* m = w.Grid()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            kinds.push_back(m->index(r, 3).data().toString().toStdString());
        d.reject();
    };
    Variant request = Request("CMSMC", "01", "");
    dravoc.F2GetData(request);
    ASSERT_FALSE(kinds.empty());
    for (const std::string& k : kinds)
        EXPECT_TRUE(k == "<存货仓>" || k == "<非存货仓>" || k == "<报废仓>") << k;
}

TEST_F(DravocWindows, CompletionAnswersAnOnlyMatchWithoutAWindow) {
    WindowedDravoc dravoc = Service();
    int opened = 0;
    std::string filter;
    dravoc.onShow = [&](QDialog& d) {
        ++opened;
        filter = static_cast<LookupWindow&>(d).FilterEdit()->text().toStdString();
        d.reject();
    };
    Variant one = Request("PURMA", "02", "", "S002");
    one[9] = true;
    Variant reply = dravoc.F2GetData(one);
    EXPECT_EQ(opened, 0);
    ASSERT_TRUE(reply.IsArray());
    EXPECT_EQ(plat::VarToStr(reply[0][0]), "S002");
    // The typed text as the key, several matches: the window opens on it.
    Variant several = Request("PURMA", "02", Variant::ArrayOf({Variant("S00")}));
    several[9] = true;
    EXPECT_FALSE(dravoc.F2GetData(several).IsArray());
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(filter, "S00");
    // Without the flag the same text only places the window.
    Variant plain = Request("PURMA", "02", "", "S002");
    dravoc.F2GetData(plain);
    EXPECT_EQ(opened, 2);
}

// Pictures of every window in each interface language (KTRB_SHOTS names
// the folder); without the variable the windows still open and close.
TEST_F(DravocWindows, PicturesInEachLanguage) {
    // The client's GB/Big5 table, as an installation has it: without it the
    // traditional interface shows what the plain code pages make of the text.
    ktrb::test::Installation inst;
    const char* source = std::getenv("KTRB_SOURCE_DIR");
    const std::filesystem::path root = source ? std::filesystem::path(source)
                                              : std::filesystem::path(__FILE__)
                                                    .parent_path()
                                                    .parent_path()
                                                    .parent_path()
                                                    .parent_path();
    std::filesystem::copy_file(root / "standins/data/client/Language", inst.client() + "Language");
    ktrb::ReleaseLanguageTables();
    for (const char* cp : {"936", "950", "437"}) {
        const std::string tag = cp == std::string("936")   ? "chs"
                                : cp == std::string("950") ? "cht"
                                                           : "eng";
        WindowedDravoc::Options o;
        o.lookups = services->lookups;
        o.uiCodePage = cp;
        o.toInterface = [](const std::string& t) {
            try {
                return plat::FromCodePageReplacing(
                           ktrb::GbToBig5Text(
                               plat::ToCodePageReplacing(t, plat::CodePage::Gbk).text),
                           plat::CodePage::Big5)
                    .text;
            } catch (const std::exception&) {
                return t;
            }
        };
        o.today = [] { return std::string("20240315"); };
        WindowedDravoc dravoc(o);
        std::string name;
        dravoc.onShow = [&](QDialog& d) {
            d.show();
            QApplication::processEvents();
            Picture(d, name + "-" + tag);
            d.reject();
        };
        name = "lookup-window";
        Variant request = Request("PURMA", "02", "");
        dravoc.F2GetData(request);
        name = "date-picker";
        dravoc.ShowInputDay(Variant::ArrayOf({false, "20240315", "DEMO"}));
        name = "phrase-window";
        std::string text;
        dravoc.GetPhrase2("DS", "DEMO", 0, text);
        name = "character-window";
        Variant kind = 1;
        dravoc.ShowCharaters("DS", "DEMO", kind, false, "0");
        name = "calculator";
        text = "12*3.5";
        dravoc.GetCalcValue(text, 0);
    }
    ktrb::ReleaseLanguageTables();
}

TEST(DravocValues, Arithmetic) {
    struct Case {
        const char* text;
        bool ok;
        const char* result;
    } cases[] = {
        {"1+2*3", true, "7"},
        {"(1+2)*3", true, "9"},
        {"-2 - -3", true, "1"},
        {"10/4", true, "2.5"},
        {"1/3", true, "0.3333333333"},
        {"0.1+0.2", true, "0.3"},
        {"1,234.5", true, "1234.5"},
        {"-0", true, "0"},
        {"1/0", false, ""},
        {"2*", false, ""},
        {"(1", false, ""},
        {"1)", false, ""},
        {"abc", false, ""},
        {"", false, ""},
        {"1e5", false, ""},
        {"9e307*10", false, ""},
    };
    for (const Case& c : cases) {
        double v = 0;
        EXPECT_EQ(EvaluateExpression(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(CalculatorText(v), c.result) << c.text;
        }
    }
    double v = 0;
    EXPECT_FALSE(EvaluateExpression(std::string(100000, '('), v));  // no deep recursion
    EXPECT_FALSE(EvaluateExpression(std::string(200, '9') + "*" + std::string(200, '9'), v));
}

TEST(DravocValues, RepliesGiveTheReturnFieldsInTheirOrder) {
    LookupRows page;
    page.columns = {"MA001", "MA002", "MA003"};
    page.returnFields = "MA001, MA003";
    EXPECT_EQ(ReturnColumns(page), (std::vector<size_t>{0, 2}));
    page.returnFields = "MA001,NOSUCH";
    EXPECT_EQ(ReturnColumns(page), (std::vector<size_t>{0, 1, 2}));
    Variant reply = LookupReply({{"S1", "a", "b"}, {"S2", "c", "d"}}, {0, 2});
    ASSERT_EQ(reply.ArrayCount(), 2);
    EXPECT_EQ(plat::VarToStr(reply[1][1]), "d");
    EXPECT_FALSE(LookupReply({}, {0}).IsArray());
}

TEST(DravocValues, CaptionsInTheInterfaceLanguage) {
    LookupRows page;
    page.columns = {"TA001", "TA003", "X"};
    page.display = "工单单别;开单日期$D";
    page.displayEng = "Type;Date$D";
    auto upper = [](const std::string& s) { return "[" + s + "]"; };
    EXPECT_EQ(LookupCaptions(page, HostLanguage::Simplified, upper),
              (std::vector<std::string>{"工单单别", "开单日期", "X"}));
    EXPECT_EQ(LookupCaptions(page, HostLanguage::Traditional, upper),
              (std::vector<std::string>{"[工单单别]", "[开单日期]", "X"}));
    EXPECT_EQ(LookupCaptions(page, HostLanguage::English, upper),
              (std::vector<std::string>{"Type", "Date", "X"}));
}

TEST(DravocValues, EveryCharacterFitsTheInterfaceCodePage) {
    for (HostLanguage l : {HostLanguage::Simplified, HostLanguage::Traditional}) {
        const plat::CodePage cp =
            l == HostLanguage::Traditional ? plat::CodePage::Big5 : plat::CodePage::Gbk;
        for (const CharacterKind& k : CharacterKinds(l)) {
            EXPECT_GE(k.characters.size(), 8u) << k.caption;
            for (const std::string& c : k.characters) EXPECT_NO_THROW(plat::ToCodePage(c, cp)) << c;
        }
    }
}

}  // namespace
