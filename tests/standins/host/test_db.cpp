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
                            TI004 NVARCHAR(20) DEFAULT '', TI007 FLOAT DEFAULT 0, TI013 NVARCHAR(4) DEFAULT '',
                            TI014 NVARCHAR(11) DEFAULT '', TI017 FLOAT DEFAULT 0, TI019 FLOAT DEFAULT 0,
                            TI021 FLOAT DEFAULT 0, TI022 FLOAT DEFAULT 0, TI050 FLOAT DEFAULT 0, TI051 FLOAT DEFAULT 0,
                            TI056 FLOAT DEFAULT 0, TI057 FLOAT DEFAULT 0, TIC02 NVARCHAR(4) DEFAULT '',
                            TIC03 NVARCHAR(11) DEFAULT '', TIC04 NVARCHAR(4) DEFAULT '',
                            FLAG FLOAT DEFAULT 0, PRIMARY KEY (TI001, TI002, TI003));
        CREATE TABLE MOCTA (TA001 NVARCHAR(4) NOT NULL, TA002 NVARCHAR(11) NOT NULL, TA006 NVARCHAR(20) DEFAULT '',
                            TA015 FLOAT DEFAULT 0, TA017 FLOAT DEFAULT 0, TA018 FLOAT DEFAULT 0, TA050 FLOAT DEFAULT 0,
                            TA051 FLOAT DEFAULT 0, TA057 FLOAT DEFAULT 0, TA058 FLOAT DEFAULT 0,
                            PRIMARY KEY (TA001, TA002));
        CREATE TABLE MOCCD (CD001 NVARCHAR(4) NOT NULL, CD002 NVARCHAR(11) NOT NULL, CD003 NVARCHAR(4) NOT NULL,
                            CD008 FLOAT DEFAULT 0, CD010 FLOAT DEFAULT 0, CD014 FLOAT DEFAULT 0,
                            PRIMARY KEY (CD001, CD002, CD003));
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
