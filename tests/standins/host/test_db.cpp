#include "test_db.h"

#include <unistd.h>

#include <atomic>

namespace standin::hosttest {

TempDatabase::TempDatabase() {
    static std::atomic<int> counter{0};
    path = (std::filesystem::temp_directory_path() /
            ("ktrb_host_" + std::to_string(getpid()) + "_" + std::to_string(counter++) + ".db"))
               .string();
    std::filesystem::remove(path);
    db = std::make_shared<Database>(path);
    db->Exec(R"(
        CREATE TABLE MOCTH (TH001 NVARCHAR(4) NOT NULL, TH002 NVARCHAR(11) NOT NULL, TH003 NVARCHAR(8) DEFAULT '',
                            TH023 NVARCHAR(1) DEFAULT 'N', TH029 NVARCHAR(8) DEFAULT '', FLAG FLOAT DEFAULT 0,
                            PRIMARY KEY (TH001, TH002));
        CREATE TABLE MOCTI (TI001 NVARCHAR(4) NOT NULL, TI002 NVARCHAR(11) NOT NULL, TI003 NVARCHAR(4) NOT NULL,
                            TI037 NVARCHAR(1) DEFAULT 'N', TI041 NVARCHAR(1) DEFAULT 'N', TI042 NVARCHAR(1) DEFAULT 'N',
                            FLAG FLOAT DEFAULT 0, PRIMARY KEY (TI001, TI002, TI003));
    )");
}

TempDatabase::~TempDatabase() {
    db.reset();
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

void TempDatabase::AddReceipt(const std::string& type, const std::string& number,
                              const std::string& status, int flag) {
    db->Query(
        "INSERT INTO MOCTH (TH001, TH002, TH003, TH023, TH029, FLAG) VALUES (?1, ?2, '20240108', "
        "?3, '20240108', ?4)",
        {type, number, status, flag});
    for (const char* line : {"0001", "0002"})
        db->Query("INSERT INTO MOCTI (TI001, TI002, TI003, TI037) VALUES (?1, ?2, ?3, ?4)",
                  {type, number, line, status});
}

}  // namespace standin::hosttest
