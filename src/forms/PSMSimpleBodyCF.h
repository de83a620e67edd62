// TfrmPSMSimpleBody: the body-only form of product serial numbers. It shows
// the serial rows of one document line and adds serials by interval input
// (a run of numbers filled into the pattern of an encoding format) or by
// scanning one at a time, deletes marked serials and fetches serials from
// the sibling serial program. Check failures are written into the red
// message memo; only questions and the capacity warning are dialogs.
#pragma once
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "forms/QvSimpleBodyCF.h"

namespace plat {
class TButton;
class TGroupBox;
class TLabel;
class TMemo;
class TPopupMenu;
}  // namespace plat

namespace ktrb {

class TQvEdit;
class TQvBtnEdit;

// The input modes of serials.
enum class TSerialInputMode : uint8_t { Scan = 0, Interval = 1 };

class TfrmPSMSimpleBody : public TfrmSimpleBody {
    PLAT_CLASS(TfrmPSMSimpleBody, TfrmSimpleBody)
  public:
    explicit TfrmPSMSimpleBody(plat::TComponent* owner);
    ~TfrmPSMSimpleBody() override;

    // ---- designed components ----
    plat::TToolButton *btnInpurtType = nullptr, *btnFormatText = nullptr, *btnDeleteSeq = nullptr,
                      *btnSRLB03 = nullptr;
    plat::TPopupMenu* popInpurtModal = nullptr;
    plat::TMenuItem *miInterval = nullptr, *miScan = nullptr;
    plat::TPanel* pnlSeqMain = nullptr;
    TQvEdit *edINVMB001 = nullptr, *edINVMB002 = nullptr, *edINVMB003 = nullptr, *edNum1 = nullptr,
            *edNum2 = nullptr;
    TQvBtnEdit* edFormat = nullptr;
    TQvEdit *edFormatText = nullptr, *edBegSeq = nullptr, *edEndSeq = nullptr,
            *edSeqCount = nullptr, *edSeqNoScan = nullptr;
    plat::TButton* btnSure = nullptr;
    plat::TLabel* lblformat = nullptr;
    plat::TGroupBox* gbMessage = nullptr;
    plat::TMemo* moMSG = nullptr;
    TFDBGrid* dbTemp = nullptr;
    plat::TDataSource* dsTemp = nullptr;
    plat::TClientDataSet* cdsTemp = nullptr;
    plat::TPanel* pnlBottom = nullptr;
    TQvEdit* edTotalSeqNo = nullptr;

    // ---- state ----
    std::string SerialField = "MB004";
    std::string LineKeyField = "TH003";
    TSerialInputMode RequestedInputMode = TSerialInputMode::Scan;
    TSerialInputMode AppliedInputMode = TSerialInputMode::Scan;
    bool IntervalAccepted = false;
    bool ExternalBatch = false;
    int RunStart = 1, RunEnd = 1;
    std::string ItemCode;
    std::string SerialControl;
    std::string BatchNumber;
    std::string DateText, CustomerCode, SupplierCode;
    double QuantityOne = 0, QuantityTwo = 0;
    std::string LastFormatCode;
    // The BMSMA settings: codes of the user-defined kinds (MA039..MA048),
    // then their source types (MA029..MA038).
    std::vector<std::string> FormatSettings;
    std::set<std::string> SilencedCodes;

    // ---- virtual operations ----
    void HandleF2Key(uint16_t& key, plat::TWinControl* control) override;
    void ApplyControlSettings() override;
    void InitFormSettings() override;
    void UpdateButtons() override;
    bool AddRecord(bool ask) override;
    bool ValidateRequiredFields(plat::TDataSet* dataSet) override;
    void SetMaintainMode(bool on) override;
    virtual bool GenerateIntervalSerials(int mode);
    virtual void ApplyInputMode(TSerialInputMode mode);
    // The check of one serial; it writes no row.
    virtual bool AddSerial(const std::string& serial);
    virtual bool CheckSerialCountOnClose(int count);
    virtual bool CheckSerialCapacity(int count);
    virtual void SwitchSerialGrid(int mode);
    // Writes the accepted interval's serials, first to last, each at the top.
    virtual void WriteIntervalSerials(long long begin, long long end, const std::string& pattern);

    // ---- plain operations ----
    void SetInputMode(TSerialInputMode mode);
    void SetItem(const std::string& code);
    std::string GetSerialMessage(const std::string& kind, const std::string& code,
                                 const std::vector<plat::Variant>& args);
    bool ShowWarningOnce(const std::string& kind, const std::string& code,
                         const std::vector<plat::Variant>& args);
    std::string BuildFormatText(bool complete);
    void LoadFormatSegments(const std::string& formatCode);
    // The pattern with its running number (the run found by BuildFormatText)
    // written as n, zero-padded to the run's width.
    std::string FillPattern(const std::string& pattern, long long n) const;
    // Whether a serial is held by a serial row of any line of the document.
    bool SerialTaken(const std::string& serial);
    // The serial the current row holds in the store (before its edit).
    std::string StoredSerial();

    // ---- event handlers ----
    void FormCreate(plat::TObject* sender) override;
    void FormShow(plat::TObject* sender) override;
    void FormCloseQuery(plat::TObject* sender, bool& canClose) override;
    void DBGridKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) override;
    void miIntervalClick(plat::TObject* sender);
    void miScanClick(plat::TObject* sender);
    void edFormatExit(plat::TObject* sender);
    void btnFormatTextClick(plat::TObject* sender);
    void edFormatTextDblClick(plat::TObject* sender);
    void cdsTempMC002Validate(plat::TField* sender);
    void edSeqKeyPress(plat::TObject* sender, char32_t& key);
    void edBegSeqExit(plat::TObject* sender);
    void edSeqCountExit(plat::TObject* sender);
    void btnSureClick(plat::TObject* sender);
    void edSeqNoScanExit(plat::TObject* sender);
    void btnDeleteSeqClick(plat::TObject* sender);
    void btnSRLB03Click(plat::TObject* sender);
    void moMSGKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void moMSGKeyPress(plat::TObject* sender, char32_t& key);

  protected:
    void BodyAfterScroll(plat::TDataSet* dataSet) override;
    // Writes the message text of (kind, code) into the red memo.
    void ShowMemoMessage(const std::string& kind, const std::string& code,
                         const std::vector<plat::Variant>& args = {});
    // Deletes the rows marked in "CHECKED" after asking.
    void DeleteMarkedRows();
    // Sets "CHECKED" on every row.
    void MarkAllRows(const std::string& value);

  private:
    // Every serial of the document while a batch is checked, so that each
    // candidate costs one look-up.
    std::unique_ptr<std::unordered_set<std::string>> batchIndex_;
    void collectSerials(const std::function<bool(const std::string&)>& visit);
    void writeSerialRow(const std::string& serial);
    int runWidth() const { return RunEnd - RunStart + 1; }
};

}  // namespace ktrb
