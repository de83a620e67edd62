// The host's lookup-window services as windows of the host program: the
// lookup window, the date picker, the common phrases, the special
// characters and the calculator. Each opens modal over the window that
// asked (the active one), speaks the interface's language, is worked by
// keyboard alone, and gives the focus back to the control it came from.
#pragma once
#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "standins/host/dravoc_service.h"
#include "standins/host/host_services.h"
#include "standins/hostwin/dravoc_values.h"

class QLabel;
class QLineEdit;
class QTableView;
class QTimer;

namespace standin {

class LookupRowsModel;

// The lookup window over one lookup of the server: a filter line and a
// grid of the rows, read a page at a time.
class LookupWindow : public QDialog {
    Q_OBJECT
  public:
    // Rows of one page; the window reads the next page when the grid
    // scrolls to its end.
    static constexpr int kPageRows = 100;

    LookupWindow(std::shared_ptr<IHostLookups> lookups, const LookupWindowRequest& request,
                 HostLanguage language, TextConversion toInterface, TextConversion toStored,
                 QWidget* parent = nullptr);
    ~LookupWindow() override;

    // The reply for the rows chosen (Unassigned before a choice).
    plat::Variant Reply() const { return reply_; }
    QLineEdit* FilterEdit() const { return filter_; }
    QTableView* Grid() const { return grid_; }
    int RowCount() const;
    // Applies the filter now (the window waits a moment after each key).
    void ApplyFilter();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void choose();
    void showCount();

    std::shared_ptr<IHostLookups> lookups_;
    LookupWindowRequest request_;
    HostLanguage language_;
    TextConversion toStored_;
    LookupRowsModel* model_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QTableView* grid_ = nullptr;
    QLabel* count_ = nullptr;
    QTimer* delay_ = nullptr;
    plat::Variant reply_;
};

// The services behind Com_Dravoc as windows.
class WindowedDravoc : public IDravocService {
  public:
    struct Options {
        std::shared_ptr<IHostLookups> lookups;
        std::string uiCodePage = "936";
        // GB text to the interface's script and back (code page 950 only).
        TextConversion toInterface, toStored;
        // Today as "YYYYMMDD"; empty: the clock's.
        std::function<std::string()> today;
    };
    explicit WindowedDravoc(Options options);

    plat::Variant F2GetData(plat::Variant& request) override;
    std::string ShowInputDay(const plat::Variant& args) override;
    int GetPhrase2(const std::string& user, const std::string& company, int64_t handle,
                   std::string& text) override;
    plat::Variant ShowCharaters(const std::string& user, const std::string& company,
                                plat::Variant& kind, bool flag, const std::string& handle) override;
    std::string GetCalcValue(std::string& text, int64_t handle) override;

    // Called with each window just before it runs (tests and pictures work
    // the window from here; the window is open once the callback runs).
    std::function<void(QDialog&)> onShow;

  private:
    int run(QDialog& dialog);

    Options options_;
    HostLanguage language_;
};

}  // namespace standin
