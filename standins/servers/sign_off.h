// The outside sign-off system's decision on a waiting job, so that a person
// trying the program and the tests can finish a sign-off: an approved job
// carries its status change out through the transaction server's rules, a
// rejected one leaves the document as it was; either way the document's
// sign-off status leaves its blocking value ("3" approved, "2" rejected).
#pragma once
#include <string>

#include "standins/servers/suite_services.h"

namespace standin {

struct SignOffDecision {
    std::string company, program;
    std::string keyText;  // the key values joined by "||", as the job was queued
    bool approve = true;
    std::string approver;
};

// Empty on success, else why the decision could not be carried out: no
// waiting job, or a status change the transaction rules refuse (the job
// then ends as rejected). Never raises.
std::string FinishSignOffJob(const SuiteServices& services, const SignOffDecision& decision);

}  // namespace standin
