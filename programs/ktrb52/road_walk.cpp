#include "programs/ktrb52/road_walk.h"

#include <cstdio>
#include <filesystem>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/buttons.h"
#include "platform/ui/grids.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "standins/appserver/sqlite_db.h"

namespace standin {

namespace {

// A depth-first search of the owner tree.
plat::TComponent* findIn(plat::TComponent* owner, const std::string& name) {
    if (plat::TComponent* c = owner->FindComponent(name)) return c;
    for (int i = 0; i < owner->ComponentCount(); ++i)
        if (plat::TComponent* c = findIn(owner->Components(i), name)) return c;
    return nullptr;
}

// File names of the pictures: letters, digits and "-" only.
std::string slug(const std::string& text) {
    std::string out;
    for (char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            out += c;
        else if (c >= 'A' && c <= 'Z')
            out += char(c - 'A' + 'a');
        else if (!out.empty() && out.back() != '-')
            out += '-';
    }
    while (!out.empty() && out.back() == '-') out.pop_back();
    return out.empty() ? "step" : out;
}

// The message dialog the platform builds is a plain form with a label named
// "Message"; the walk calls its class by what it is.
std::string classOf(plat::TCustomForm& form) {
    return form.FindComponent("Message") ? "TMessageForm" : form.ClassName();
}

}  // namespace

class RoadWalk::Runner : public plat::IDialogRunner {
  public:
    explicit Runner(RoadWalk& walk) : walk_(walk) {}
    void RunModal(plat::TCustomForm& form) override { walk_.runModal(form); }

  private:
    RoadWalk& walk_;
};

RoadWalk::RoadWalk(plat::TCustomForm& form, std::string shotDir, std::ostream& out)
    : form_(form), shotDir_(std::move(shotDir)), out_(out) {
    if (!shotDir_.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(shotDir_, ec);
        if (shotDir_.back() != '/') shotDir_ += '/';
    }
    scope_ = std::make_unique<plat::DialogRunnerScope>(std::make_shared<Runner>(*this));
}

RoadWalk::~RoadWalk() = default;

void RoadWalk::picture(plat::TControl* control, const std::string& name) {
    if (shotDir_.empty()) return;
    const std::string file = shotDir_ + name + ".png";
    plat::SaveScreenshot(control, file);
    pictures_.push_back(file);
}

void RoadWalk::Step(const std::string& what, const std::function<void()>& act) {
    ++step_;
    dialogOfStep_ = 0;
    char number[16];
    std::snprintf(number, sizeof number, "%02d", step_);
    out_ << "-- step " << number << ": " << what << std::endl;
    try {
        act();
    } catch (const std::exception& e) {
        out_ << "   failed: " << e.what() << std::endl;
        picture(&form_, std::string(number) + "-" + slug(what) + "-failed");
        throw;
    }
    picture(&form_, std::string(number) + "-" + slug(what));
}

void RoadWalk::runModal(plat::TCustomForm& dialog) {
    const std::string cls = classOf(dialog);
    char name[32];
    std::snprintf(name, sizeof name, "%02d-dialog-%d", step_, ++dialogOfStep_);
    picture(&dialog, name + std::string("-") + slug(cls));
    plat::TModalResult result = plat::mrCancel;
    if (!answers_.empty() && answers_.front().first == cls) {
        Answer a = std::move(answers_.front().second);
        answers_.pop_front();
        out_ << "   dialog " << cls << ": " << plat::Trim(dialog.Caption()) << std::endl;
        result = a(dialog);
        if (!plat::IsLiveControl(&dialog)) return;
    } else if (auto* message = dynamic_cast<plat::TLabel*>(dialog.FindComponent("Message"))) {
        const std::string text = plat::Trim(message->Caption());
        messages_.push_back(text);
        out_ << "   message: " << plat::StringReplace(text, "\n", " / ", plat::ReplaceFlags::All)
             << std::endl;
        result = plat::mrOk;
        for (int i = 0; i < dialog.ComponentCount(); ++i)
            if (auto* b = dynamic_cast<plat::TButton*>(dialog.Components(i)); b && b->Default())
                result = b->ModalResult;
    } else {
        unexpected_.push_back(cls);
        out_ << "   dialog " << cls << " not expected: cancelled" << std::endl;
    }
    if (dialog.ModalResult() == plat::mrNone)
        dialog.SetModalResult(result == plat::mrNone ? plat::mrCancel : result);
    dialog.CloseModal();
}

void RoadWalk::Expect(const std::string& className, Answer a) {
    answers_.emplace_back(className, std::move(a));
}

plat::TComponent& RoadWalk::Find(const std::string& name) const {
    plat::TComponent* c = findIn(&form_, name);
    if (!c) throw plat::Exception("The receipt form has no component " + name);
    return *c;
}

plat::TClientDataSet& RoadWalk::DataSet(const std::string& name) const {
    auto* ds = dynamic_cast<plat::TClientDataSet*>(&Find(name));
    if (!ds) throw plat::Exception(name + " is not a dataset");
    return *ds;
}

plat::TField& RoadWalk::Field(const std::string& dataSet, const std::string& field) const {
    return *DataSet(dataSet).FieldByName(field);
}

void RoadWalk::Click(const std::string& name) {
    plat::TComponent& c = Find(name);
    if (auto* item = dynamic_cast<plat::TMenuItem*>(&c)) {
        if (!item->Enabled()) throw plat::Exception("The menu item " + name + " is disabled");
        plat::SafeCall([item] { item->Click(); });
    } else if (auto* control = dynamic_cast<plat::TControl*>(&c)) {
        if (!control->Enabled()) throw plat::Exception("The button " + name + " is disabled");
        plat::SafeCall([control] { control->Click(); });
    } else {
        throw plat::Exception(name + " cannot be clicked");
    }
}

void RoadWalk::Key(const std::string& dataSet, const std::string& field, const std::string& text) {
    plat::TClientDataSet& ds = DataSet(dataSet);
    try {
        if (ds.State() == plat::dsBrowse) ds.Edit();
        ds.FieldByName(field)->SetAsString(text);
    } catch (const plat::EAbort&) {
        throw plat::Exception(field + " = \"" + text + "\" was refused" +
                              (messages_.empty() ? std::string() : ": " + messages_.back()));
    }
}

std::string RoadWalk::Text(const std::string& dataSet, const std::string& field) const {
    return Field(dataSet, field).AsString();
}

std::string WalkShortRoad(RoadWalk& walk, std::ostream& out, Database& stored) {
    auto expect = [](bool ok, const std::string& what) {
        if (!ok) throw plat::Exception(what);
    };
    plat::TClientDataSet& head = walk.DataSet("cdsMain");
    plat::TClientDataSet& lines = walk.DataSet("cdsBody1");

    walk.Step("query the receipts (查询)", [&] {
        walk.Expect("TQBEForm", [](plat::TCustomForm& f) {
            auto* ok = dynamic_cast<plat::TControl*>(f.FindComponent("BBOK"));
            if (ok) ok->Click();
            return f.ModalResult() == plat::mrNone ? plat::mrOk : f.ModalResult();
        });
        walk.Click("btnQuery");
        expect(walk.Pending() == 0, "the query dialog did not open");
        out << "   " << head.RecordCount() << " receipts fetched into the browse grid" << std::endl;
        expect(!head.IsEmpty(), "the query found no receipt");
    });

    walk.Step("add a receipt of type 5901 for supplier S002 (新增)", [&] {
        walk.Click("btnAdd");
        expect(head.State() == plat::dsInsert, "the form did not start a new receipt");
        walk.Key("cdsMain", "TH001", "5901");
        walk.Key("cdsMain", "TH005", "S002");
        out << "   supplier " << walk.Text("cdsMain", "TH005") << " "
            << walk.Text("cdsMain", "TH005C") << ", currency " << walk.Text("cdsMain", "TH007")
            << ", receipt type " << walk.Text("cdsMain", "TH001") << std::endl;
    });

    walk.Step("add a line from work order 5201-20240110001 (委外工单)", [&] {
        lines.Append();
        walk.Key("cdsBody1", "TI013", "5201");
        walk.Key("cdsBody1", "TI014", "20240110001");
        const double open = walk.Field("cdsBody1", "TI007").AsFloat();
        expect(open > 0,
               "the work order has nothing left to receive; a fresh demo database (remove the "
               "installation's data folder) has it open again");
        if (open > 5) walk.Key("cdsBody1", "TI007", "5");
        walk.Key("cdsBody1", "TI060", "R-01-01");
        lines.Post();
        out << "   line " << walk.Text("cdsBody1", "TI003") << ": "
            << walk.Text("cdsBody1", "TI004") << " " << walk.Text("cdsBody1", "TI005") << ", "
            << walk.Text("cdsBody1", "TI007") << " " << walk.Text("cdsBody1", "TI008") << " into "
            << walk.Text("cdsBody1", "TI009") << " at " << walk.Text("cdsBody1", "TI060")
            << ", amount " << walk.Text("cdsBody1", "TI025") << std::endl;
    });

    std::string number;
    walk.Step("save (保存)", [&] {
        const long long before =
            plat::VarToIntDef(stored.Scalar("SELECT IFNULL(MAX(rowid), 0) FROM MOCTH"), 0);
        walk.Click("btnOK");
        // The server may have numbered it anew: the receipt is the one
        // stored by this save.
        number = plat::VarToStr(stored.Scalar(
            "SELECT TH002 FROM MOCTH WHERE rowid > ?1 AND TH001 = '5901' AND TH005 = 'S002' "
            "ORDER BY rowid DESC LIMIT 1",
            {plat::Variant(before)}));
        expect(!number.empty(), "the receipt was not saved");
        expect(plat::VarToIntDef(stored.Scalar("SELECT COUNT(*) FROM MOCTI WHERE TI001 = '5901' "
                                               "AND TI002 = ?1",
                                               {plat::Variant(number)}),
                                 0) == 1,
               "the receipt was saved without its line");
        out << "   saved as 5901-" << number << std::endl;
        // A user who keeps adding has the next new receipt open: it is left
        // unsaved and the stored one is queried for its confirm.
        if (head.State() != plat::dsBrowse || walk.Text("cdsMain", "TH002") != number) {
            if (head.State() == plat::dsInsert) walk.Form().SimulateKey(plat::VK_ESCAPE);
            walk.Expect("TQBEForm", [number](plat::TCustomForm& f) {
                if (auto* grid = dynamic_cast<plat::TStringGrid*>(f.FindComponent("sg1"))) {
                    grid->SetCells(2, 1, "5901");
                    grid->SetCells(2, 2, number);
                }
                auto* ok = dynamic_cast<plat::TControl*>(f.FindComponent("BBOK"));
                if (ok) ok->Click();
                return f.ModalResult() == plat::mrNone ? plat::mrOk : f.ModalResult();
            });
            walk.Click("btnQuery");
            expect(walk.Text("cdsMain", "TH002") == number,
                   "the saved receipt 5901-" + number + " cannot be queried");
        }
    });

    walk.Step("confirm with the confirm date (审核)", [&] {
        walk.Expect("TQVConfirmDateForm", [](plat::TCustomForm& f) {
            if (auto* ok = dynamic_cast<plat::TControl*>(f.FindComponent("btnOK"))) ok->Click();
            return f.ModalResult() == plat::mrNone ? plat::mrOk : f.ModalResult();
        });
        walk.Click("btnConfirm");
        expect(plat::VarToStr(
                   stored.Scalar("SELECT TH023 FROM MOCTH WHERE TH001 = '5901' AND TH002 = ?1",
                                 {plat::Variant(number)})) == "Y",
               "the receipt is not confirmed");
        out << "   " << walk.Text("cdsMain", "TH001") << "-" << walk.Text("cdsMain", "TH002")
            << " confirmed" << std::endl;
    });
    return number;
}

}  // namespace standin
