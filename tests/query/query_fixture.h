// The stand-in application server with the demo database and one signed-on
// session: the receipts' browse data, their colour data and the program's
// colour-manager XML as the document forms fetch them.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/core/variant.h"
#include "platform/data/clientdataset.h"
#include "standins/appserver/server.h"
#include "standins/appserver/session.h"

namespace ktrb::test {

class StandInTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server = standin::AppServer::Open(":memory:");
        session = server->NewSession();
        ASSERT_EQ(session
                      ->Call("Connect",
                             plat::VarArrayOf({"KTRB52", "DS", "DEMO", "DEMO", "True", "True"}))
                      .AsInteger(),
                  0);
    }

    // The program's row of the colour-manager table.
    std::string ColorManagerXml() {
        plat::Variant rows = session->CallOperation(
            "SimpleSQL",
            plat::VarArrayOf({"SELECT NH003 FROM $$ADMNH WHERE NH001 = 'KTRB52'", "NH003"}));
        return rows.IsArray() ? plat::VarToStr(rows[rows.LowBound()][0]) : std::string();
    }
    // The receipts of a browse condition ("" for all), in key order.
    plat::TClientDataSet* Browse(plat::TComponent* owner, const std::string& condition) {
        auto* ds = new plat::TClientDataSet(owner);
        ds->SetProvider(session->FindProvider("pvdMain"));
        ds->DataRequest(plat::VarArrayOf({condition, ""}));
        ds->Open();
        return ds;
    }
    plat::TClientDataSet* Colors(plat::TComponent* owner) {
        auto* ds = new plat::TClientDataSet(owner);
        ds->SetProvider(session->FindProvider("pvdColor"));
        ds->DataRequest(plat::VarArrayOf({"", ""}));
        ds->Open();
        return ds;
    }
    static std::string ArtifactPath(const std::string& name) { return ::testing::TempDir() + name; }

    std::shared_ptr<standin::AppServer> server;
    std::unique_ptr<standin::AppSession> session;
};

}  // namespace ktrb::test
