// TfrmKTRB52Seq: the serial numbers of one receipt line, one kind at a time
// (A accepted, B scrapped, C destroyed), up to the line's quantity of that
// kind. Each serial is checked against the serial master, the work order's
// registered serials, the line's batch and the other receipts; a supplier's
// own serials may be taken as they are. The receipt form creates it once
// and shows it from its serial buttons.
#pragma once
#include <memory>
#include <string>
#include <unordered_set>

#include "forms/PSMSimpleBodyCF.h"
#include "platform/core/stringlist.h"

namespace ktrb {

class TBitCheckBox;
class TfrmKtrb52;

// The serial kinds of a receipt line and the quantity each one counts.
enum class TReceiptSerialKind { Accepted, Scrapped, Destroyed };
// "A", "B", "C"; the quantity fields "TI019", "TI021", "TI056".
const char* SerialKindLetter(TReceiptSerialKind kind);
const char* SerialKindQuantityField(TReceiptSerialKind kind);

class TfrmKTRB52Seq : public TfrmPSMSimpleBody {
    PLAT_CLASS(TfrmKTRB52Seq, TfrmPSMSimpleBody)
  public:
    explicit TfrmKTRB52Seq(plat::TComponent* owner);

    // ---- designed components ----
    plat::TToolButton* btnMOCSeq = nullptr;
    TBitCheckBox* chkSupplierSeq = nullptr;
    // Message arguments; line 4 names the work order's product.
    plat::TStringList mmoF;

    // ---- state ----
    std::string SerialKind = "A";
    std::string SupplierSerialParam;
    std::string WorkOrderSerialKind;
    std::string SerialStatus = "H";
    std::string Warehouse, Location;

    // ---- overrides ----
    void InitFormSettings() override;
    void InitNewRow() override;
    void ApplyInputMode(TSerialInputMode mode) override;
    bool AddSerial(const std::string& serial) override;
    // The kind's quantity is a limit: beyond it nothing is written, even when
    // the warning is accepted.
    bool CheckSerialCapacity(int count) override;
    // The interval button keeps the base's capacity check; its serials that
    // the receipt holds already are skipped.
    void WriteIntervalSerials(long long begin, long long end, const std::string& pattern) override;
    void SetMaintainMode(bool on) override;

    // False (with "000002" in the memo) when the receipt already holds the
    // serial, on any line and of any kind.
    bool IsSerialNewInReceipt(const std::string& serial);

    // ---- event handlers ----
    void FormCreate(plat::TObject* sender) override;
    void FormShow(plat::TObject* sender) override;
    void FormCloseQuery(plat::TObject* sender, bool& canClose) override;
    void edSeqNoScanExit(plat::TObject* sender);
    void btnMOCSeqClick(plat::TObject* sender);

  private:
    TfrmKtrb52* receipt() const;
    std::string lineText(const char* name) const;
    std::string headText(const char* name) const;
    // The receipt key of a document: type padded to 4, number to 11.
    static std::string DocumentKey(const std::string& type, const std::string& number);
    bool lineHasWorkOrder() const;
    bool refuse(const std::string& code, const std::vector<plat::Variant>& args);
    void updateWorkOrderButton();
    // Into the open new row, else a new row at the top or at the end.
    void writeSerial(const std::string& serial, bool onTop);
    // The serials of this receipt in the receipt form's copy.
    std::unordered_set<std::string> receiptSerials() const;
    // The receipt's serials while an interval is written: one look-up each.
    std::unique_ptr<std::unordered_set<std::string>> receiptSerials_;
};

}  // namespace ktrb
