// What a signed-on user may do with the documents of a program, read from
// the rights word (POWER_DATA) kept for the user, else for the user's group:
// "x,<any user>,<by record>,<own flags>,<group flags>,<others' flags>". The
// flags are single characters at fixed positions: 2 edit, 3 delete, 9 add
// and 12 void (7 in the group and others' flags).
// When the third item is "Y", editing and deleting depend on the record:
// the own flags for a record the user created (or one without creator),
// the group flags for a record of the user's group, the others' flags else.
#pragma once
#include <string>

namespace standin {

class Database;

class DocumentRights {
  public:
    enum class Action { Add, Edit, Delete, Void };  // Void: void or restore

    DocumentRights() = default;  // allows nothing
    DocumentRights(const std::string& word, std::string user, std::string group);

    // Whether the user may take the action on a record created by `creator`
    // in `group` (both ignored for Add).
    bool Allows(Action action, const std::string& creator, const std::string& group) const;

  private:
    std::string own_, sameGroup_, others_;
    bool byRecord_ = false;
    std::string user_, group_;
};

// The rights of `user` for `program` as stored now. The caller holds the
// connection's lock.
DocumentRights ReadDocumentRights(Database& db, const std::string& user,
                                  const std::string& program);

// The rights word of `user` for `program` (the user's own row, else the
// group's) and the user's group.
std::string RightsWord(Database& db, const std::string& user, const std::string& program,
                       std::string* group = nullptr);

}  // namespace standin
