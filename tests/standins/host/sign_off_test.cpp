// The sign-off stand-in: jobs queued through the server operation, the
// approval status and opinion page they answer, and a decision that
// carries out (or refuses) the document's status change.
#include "standins/servers/sign_off.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "standins/appserver/server.h"
#include "standins/appserver/session.h"
#include "standins/host/server_link.h"

using namespace standin;
using plat::Variant;

namespace {

struct SignOffStandIn : ::testing::Test {
    std::shared_ptr<AppServer> server = AppServer::Open(":memory:");
    std::shared_ptr<HostServices> s = MakeHostServices();
    SignOffStandIn() { ConnectInProcess(*s, server); }

    Variant Op(const std::string& name, Variant args) {
        return s->suite->server->CallOperation(name, args, Variant());
    }
    // Queues a job as the broker does: action code at job element 6, the
    // document's condition at 3, the person at 13.
    int Queue(const std::string& number, const std::string& action) {
        std::vector<Variant> job(16, Variant(""));
        job[3] = "MOCTH.TH001='5901' AND MOCTH.TH002='" + number + "'";
        job[6] = action;
        job[13] = "ZHANGW";
        Variant item =
            Variant::ArrayOf({"DEMO", "KTRB52", "5901||" + number, "DS", Variant::ArrayOf(job), "N",
                              "", Variant::Null(), Variant::Null(), "", "936", "SP7"});
        return Op("INSERTSVJOB", Variant::ArrayOf({item})).AsInteger();
    }
    std::string Head(const std::string& number) {
        auto rows = server->Db().Query(
            "SELECT TH023 || TH036 FROM MOCTH WHERE TH001 = '5901' AND TH002 = ?", {number});
        return rows.empty() ? "" : rows[0][0].AsString();
    }
    std::string Approve(const std::string& number) {
        return plat::VarToStr(
            Op("GetSVApprove",
               Variant::ArrayOf(
                   {"DS", "FLOW", "MOCTH.TH001='5901' AND MOCTH.TH002='" + number + "'", "936"})));
    }
    std::string Finish(const std::string& number, bool approve) {
        return FinishSignOffJob(*s->suite, {"DEMO", "KTRB52", "5901||" + number, approve, "DS"});
    }
};

}  // namespace

TEST_F(SignOffStandIn, ApprovedConfirmJobConfirmsTheDocument) {
    server->Db().Query("UPDATE MOCTH SET TH036 = 'S' WHERE TH002 = '20240112001'");
    ASSERT_EQ(Queue("20240112001", "0"), 0);
    EXPECT_EQ(Queue("20240112001", "0"), 1);
    EXPECT_NE(Approve("20240112001").find("<ApproveRet>签核中</ApproveRet>"), std::string::npos);
    EXPECT_NE(Approve("20240112001").find("<RecPersonId>ZHANGW</RecPersonId>"), std::string::npos);

    EXPECT_EQ(Finish("20240112001", true), "");
    EXPECT_EQ(Head("20240112001"), "Y3");
    EXPECT_NE(Approve("20240112001").find("<ApprovePersonId>DS</ApprovePersonId>"),
              std::string::npos);
    EXPECT_NE(Approve("20240112001").find("<ApproveRet>核准</ApproveRet>"), std::string::npos);
    // The job left the queue: a second decision is refused, a new job may come.
    EXPECT_NE(Finish("20240112001", true), "");
    EXPECT_EQ(Queue("20240112001", "1"), 0);
}

TEST_F(SignOffStandIn, RejectedJobLeavesTheDocumentAndClearsTheBlock) {
    server->Db().Query("UPDATE MOCTH SET TH036 = 'S' WHERE TH002 = '20240112001'");
    ASSERT_EQ(Queue("20240112001", "2"), 0);
    EXPECT_EQ(Finish("20240112001", false), "");
    EXPECT_EQ(Head("20240112001"), "N2");
    EXPECT_NE(Approve("20240112001").find("<ApproveRet>退回</ApproveRet>"), std::string::npos);
}

TEST_F(SignOffStandIn, RefusedStatusChangeEndsAsRejected) {
    // Unconfirming a document that is not confirmed cannot be carried out.
    ASSERT_EQ(Queue("20240112001", "1"), 0);
    EXPECT_NE(Finish("20240112001", true), "");
    EXPECT_EQ(Head("20240112001"), "N2");
}

TEST_F(SignOffStandIn, UnknownDocumentAnswersAnError) {
    EXPECT_NE(Approve("nothing").find("<ErrNum>1</ErrNum>"), std::string::npos);
}

TEST_F(SignOffStandIn, OpinionPageShowsTheApprovalRows) {
    const auto dir = std::filesystem::temp_directory_path() / "ktrb-signoff-test";
    setenv("KTRB_SIGNOFF_PAGES", dir.c_str(), 1);
    ASSERT_EQ(Queue("20240112001", "0"), 0);
    ASSERT_EQ(Finish("20240112001", true), "");
    auto me007 = server->Db().Scalar(
        "SELECT ME007 FROM SVSME WHERE ME001 = 'KTRB52' AND ME002 = '5901' AND ME003 = "
        "'20240112001'");
    EXPECT_NE(plat::VarToStr(me007).find("<TargetSheetNo>5901||20240112001</TargetSheetNo>"),
              std::string::npos);
    const std::string request =
        "<Request><RequestMethod>GetApproveOpinion</RequestMethod><RequestContent><ContentText>"
        "<Form><TargetFormID>KTRB52</TargetFormID><TargetSheetNo>5901||20240112001"
        "</TargetSheetNo></Form></ContentText></RequestContent></Request>";
    std::string reply =
        plat::VarToStr(Op("CallWebService", Variant::ArrayOf({"http://sv", "svc", request, "N"})));
    unsetenv("KTRB_SIGNOFF_PAGES");
    const std::string tag = "<URL>file://";
    size_t at = reply.find(tag);
    ASSERT_NE(at, std::string::npos) << reply;
    std::string path = reply.substr(at + tag.size(), reply.find("</URL>") - at - tag.size());
    std::ifstream in(path);
    std::stringstream page;
    page << in.rdbuf();
    EXPECT_NE(page.str().find("核准"), std::string::npos);
    EXPECT_NE(page.str().find("ZHANGW"), std::string::npos);
    EXPECT_EQ(path.find("||"), std::string::npos);
    std::filesystem::remove_all(dir);
    EXPECT_ANY_THROW(Op("CallWebService", Variant::ArrayOf({"a", "b", "c", "N"})));
}

TEST_F(SignOffStandIn, JobImagesAreKeptOnlyWhenTheirSizesAddUp) {
    auto bytesOf = [](const std::string& s) {
        std::vector<Variant> v;
        for (unsigned char c : s) v.push_back(Variant::Integer(plat::VarType::Byte, c));
        return Variant::ArrayOf(v);
    };
    auto queue = [&](const std::string& number, Variant bytes, const std::string& sizes) {
        std::vector<Variant> job(16, Variant(""));
        Variant item = Variant::ArrayOf({"DEMO", "KTRB52", "5901||" + number, "DS",
                                         Variant::ArrayOf(job), "N", "", Variant::Null(),
                                         Variant::Null(), "", "936", bytes, sizes, "SP7"});
        return Op("INSERTSVJOB", Variant::ArrayOf({item})).AsInteger();
    };
    struct Case {
        Variant bytes;
        std::string sizes;
    } refused[] = {
        {bytesOf("GIF89a"), "5"},        // sizes short of the bytes
        {bytesOf("GIF89a"), "3;4"},      // beyond them
        {bytesOf("GIF89a"), "3;x"},      // not a number
        {bytesOf("GIF89a"), "-6"},       // negative
        {bytesOf("GIF89a"), ""},         // none
        {Variant("GIF89a"), "6"},        // not a byte array
        {Variant::ArrayOf({300}), "1"},  // not a byte
        {Variant::ArrayOf({"x"}), "1"},  // not a number
    };
    for (const Case& c : refused) EXPECT_EQ(queue("20240112001", c.bytes, c.sizes), 2) << c.sizes;
    EXPECT_EQ(plat::VarToStr(server->Db().Scalar("SELECT COUNT(*) FROM SVJOBQUE")), "0");

    // The bytes as variants and as the packed array the form sends are kept alike.
    const std::string pages("GIF89a\0J\xffG", 10);
    for (const Variant& bytes : {bytesOf(pages), Variant::ByteArray(pages)}) {
        ASSERT_EQ(queue(bytes.PackedBytes() ? "20240112002" : "20240112001", bytes, "7;3"), 0);
        auto rows = server->Db().Query(
            "SELECT IM005, typeof(IM005) FROM SVJOBIMG WHERE IM003 = ? ORDER BY IM004",
            {bytes.PackedBytes() ? "5901||20240112002" : "5901||20240112001"});
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(plat::VarToStr(rows[0][0]), pages.substr(0, 7));
        EXPECT_EQ(plat::VarToStr(rows[1][0]), pages.substr(7));
        EXPECT_EQ(plat::VarToStr(rows[0][1]), "text");
    }
    EXPECT_EQ(queue("20240112003", Variant::ByteArray(pages), "7;4"), 2);
}
