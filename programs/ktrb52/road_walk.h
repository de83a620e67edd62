// A scripted walk through the receipt form as a clerk works it: buttons and
// menu items clicked by name, fields keyed through their own rules, each
// modal dialog answered by script (messages with their default button), a
// picture of the form after each step and of each dialog, and one printed
// line per step. The host program walks the short road with it when nobody
// can see the window; the end-to-end test walks the whole road.
#pragma once
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/forms.h"

namespace plat {
class TClientDataSet;
class TField;
}  // namespace plat

namespace standin {

class Database;

class RoadWalk {
  public:
    using Answer = std::function<plat::TModalResult(plat::TCustomForm&)>;

    // shotDir: the folder of the pictures (made when missing); empty: none.
    RoadWalk(plat::TCustomForm& form, std::string shotDir, std::ostream& out);
    ~RoadWalk();
    RoadWalk(const RoadWalk&) = delete;
    RoadWalk& operator=(const RoadWalk&) = delete;

    // Runs one step and pictures the form after it. A step that raises is
    // printed and raises on.
    void Step(const std::string& what, const std::function<void()>& act);

    // A component of the form's owner tree (its data module's too), by name;
    // raises plat::Exception when there is none.
    plat::TComponent& Find(const std::string& name) const;
    plat::TClientDataSet& DataSet(const std::string& name) const;
    plat::TField& Field(const std::string& dataSet, const std::string& field) const;
    // Clicks a tool button or a menu item as the user does.
    void Click(const std::string& name);
    // Keys a field's text, running its own rules; the dataset is put into
    // edit first, as a data-aware control does.
    void Key(const std::string& dataSet, const std::string& field, const std::string& text);
    std::string Text(const std::string& dataSet, const std::string& field) const;

    // The next modal form of that class is answered by a (a message dialog's
    // class is "TMessageForm"); forms with no answer waiting: messages get
    // their default button, any other form is cancelled.
    void Expect(const std::string& className, Answer a);
    int Pending() const { return (int)answers_.size(); }
    // Texts of the message dialogs shown, oldest first.
    const std::vector<std::string>& Messages() const { return messages_; }
    // Class names of the modal forms shown that had no answer.
    const std::vector<std::string>& Unexpected() const { return unexpected_; }
    std::vector<std::string> Pictures() const { return pictures_; }
    plat::TCustomForm& Form() const { return form_; }

  private:
    class Runner;
    void runModal(plat::TCustomForm& dialog);
    void picture(plat::TControl* control, const std::string& name);

    plat::TCustomForm& form_;
    std::string shotDir_;
    std::ostream& out_;
    int step_ = 0, dialogOfStep_ = 0;
    std::deque<std::pair<std::string, Answer>> answers_;
    std::vector<std::string> messages_, unexpected_, pictures_;
    std::unique_ptr<plat::DialogRunnerScope> scope_;
};

// The short road: query the receipts, add one for a supplier, take a line
// from an open work order of the supplier, save, confirm with the confirm
// date. Prints what it did; returns the number of the saved receipt.
// Raises plat::Exception when a step does not end as it should. The save
// and the confirm are judged by what `stored` (the installation's
// database) holds, not by what the form shows next: a user who keeps adding
// is given the next new receipt at once.
std::string WalkShortRoad(RoadWalk& walk, std::ostream& out, Database& stored);

}  // namespace standin
