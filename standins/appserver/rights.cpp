#include "standins/appserver/rights.h"

#include <vector>

#include "platform/core/text.h"
#include "standins/appserver/sqlite_db.h"

namespace standin {

namespace {

// The flag at a 1-based position; a missing item or position allows nothing.
bool Flag(const std::string& flags, size_t position) {
    return flags.size() >= position && flags[position - 1] == 'Y';
}

// The flag's position in the own flags, or in the group's and others'.
size_t Position(DocumentRights::Action action, bool own) {
    switch (action) {
        case DocumentRights::Action::Add:
            return 9;
        case DocumentRights::Action::Edit:
            return 2;
        case DocumentRights::Action::Delete:
            return 3;
        default:
            return own ? 12 : 7;
    }
}

}  // namespace

DocumentRights::DocumentRights(const std::string& word, std::string user, std::string group)
    : user_(std::move(user)), group_(std::move(group)) {
    std::vector<std::string> items;
    size_t b = 0;
    for (size_t i = 0; i <= word.size(); ++i)
        if (i == word.size() || word[i] == ',') {
            items.push_back(word.substr(b, i - b));
            b = i + 1;
        }
    items.resize(6);
    byRecord_ = plat::SameText(items[2], "Y");
    own_ = items[3];
    sameGroup_ = items[4];
    others_ = items[5];
}

bool DocumentRights::Allows(Action action, const std::string& creator,
                            const std::string& group) const {
    if (action == Action::Add || !byRecord_) return Flag(own_, Position(action, true));
    const std::string c = plat::Trim(creator);
    if (c.empty() || c == user_) return Flag(own_, Position(action, true));
    if (!group_.empty() && plat::Trim(group) == group_)
        return Flag(sameGroup_, Position(action, false));
    return Flag(others_, Position(action, false));
}

std::string RightsWord(Database& db, const std::string& user, const std::string& program,
                       std::string* group) {
    std::string g = plat::VarToStr(db.Scalar("SELECT MF004 FROM ADMMF WHERE MF001 = ?", {user}));
    auto rows = db.Query("SELECT MG006 FROM ADMMG WHERE MG001 = ? AND MG002 = ?", {user, program});
    if (rows.empty())
        rows = db.Query(
            "SELECT MG006 FROM ADMMG WHERE MG001 = '**********' AND MG009 = ? AND MG002 = ?",
            {g, program});
    if (group) *group = g;
    return rows.empty() ? std::string() : plat::VarToStr(rows[0][0]);
}

DocumentRights ReadDocumentRights(Database& db, const std::string& user,
                                  const std::string& program) {
    std::string group;
    std::string word = RightsWord(db, user, program, &group);
    return DocumentRights(word, user, group);
}

}  // namespace standin
