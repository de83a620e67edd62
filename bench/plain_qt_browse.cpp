// The baseline of the host's start: a plain Qt program that opens the same
// receipts from the installation's SQLite file in a QTableView, shows it,
// saves a picture of it and ends, as `ktrb52 --screenshot --close` does.
#include <sqlite3.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QPixmap>
#include <QTableView>
#include <cstdio>
#include <string>
#include <vector>

namespace {

class Rows : public QAbstractTableModel {
  public:
    QStringList names;
    std::vector<QStringList> rows;
    int rowCount(const QModelIndex& = {}) const override { return int(rows.size()); }
    int columnCount(const QModelIndex& = {}) const override { return int(names.size()); }
    QVariant data(const QModelIndex& i, int role) const override {
        if (role != Qt::DisplayRole) return {};
        return rows[size_t(i.row())][i.column()];
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (role != Qt::DisplayRole) return {};
        return o == Qt::Horizontal ? QVariant(names[section]) : QVariant(section + 1);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: plain_qt_browse DATABASE PICTURE\n");
        return 2;
    }
    QApplication app(argc, argv);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return 1;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT * FROM MOCTH ORDER BY TH001, TH002", -1, &st, nullptr) !=
        SQLITE_OK)
        return 1;
    Rows model;
    for (int c = 0; c < sqlite3_column_count(st); ++c)
        model.names << QString::fromUtf8(sqlite3_column_name(st, c));
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
        model.rows.push_back(row);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    QTableView view;
    view.setModel(&model);
    view.resize(1008, 686);
    view.show();
    QApplication::processEvents();
    if (!view.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) return 1;
    std::printf("%zu rows\n", model.rows.size());
    return 0;
}
