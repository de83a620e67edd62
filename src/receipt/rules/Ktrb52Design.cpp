// The design of the receipt data module: the three nested data sets with
// their persistent fields (the record formats the provider "pvdMain"
// delivers), the editor settings of their fields, and the one table that
// binds every handler of the module to its field or data set by name.
#include <cstdint>
#include <vector>

#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "receipt/rules/FieldCodes.h"
#include "receipt/rules/Ktrb52CD.h"

namespace ktrb {

using plat::TDataSet;
using plat::TField;

namespace {

enum class TKind : uint8_t { Text, Number, Nested };
enum TFlag : unsigned { kNone = 0, kHidden = 1, kReadOnly = 2 };

struct TFieldDesign {
    const char* name;
    TKind kind;
    int size;           // text fields
    const char* label;  // "" = no caption of its own
    int width;          // grid width in characters, 0 = the default
    unsigned flags;
};

constexpr TKind S = TKind::Text;
constexpr TKind F = TKind::Number;
constexpr TKind N = TKind::Nested;
constexpr unsigned H = kHidden, R = kReadOnly, HR = kHidden | kReadOnly;

// Header (MOCTH), in the order of the data set.
const std::vector<TFieldDesign> kHeadFields = {
    {mocth::DocType, S, 4, "委外进货单别", 4, kNone},
    {mocth::DocTypeName, S, 10, "单别名称", 10, kNone},
    {mocth::DocNo, S, 11, "委外进货单号", 11, kNone},
    {mocth::DocDate, S, 8, "单据日期", 10, kNone},
    {mocth::Supplier, S, 10, "委外供应商", 10, kNone},
    {mocth::SupplierName, S, 20, "供应商名称", 20, kNone},
    {mocth::Factory, S, 6, "工厂", 6, kNone},
    {mocth::FactoryName, S, 20, "工厂名称", 20, kNone},
    {mocth::Department, S, 6, "部门编码", 0, kNone},
    {mocth::DepartmentName, S, 20, "部门名称", 0, kNone},
    {mocth::PrintCount, F, 0, "打印", 1, kNone},
    {mocth::TaxNo, S, 20, "税号", 20, kNone},
    {mocth::InvoiceKind, S, 1, "发票种类", 18, kNone},
    {mocth::InvoiceDate, S, 8, "发票日期", 10, kNone},
    {mocth::InvoiceNo, S, 10, "发票号码", 10, kNone},
    {mocth::TaxKind, S, 1, "税种", 10, kNone},
    {mocth::DeductionKind, S, 1, "扣抵区分", 20, H},
    {mocth::DeclarationMonth, S, 6, "申报年月", 6, H},
    {mocth::TaxRate, F, 0, "税率", 10, kNone},
    {mocth::Currency, S, 4, "币种", 6, kNone},
    {mocth::ExchangeRate, F, 0, "汇率", 0, kNone},
    {mocth::SupplierDocNo, S, 20, "供应商单号", 20, kNone},
    {mocth::PaymentTerms, S, 6, "付款条件编号", 6, kNone},
    {mocth::PaymentTermsName, S, 30, "付款条件名称", 30, kNone},
    {mocth::Remark, S, 255, "备注", 20, kNone},
    {mocth::PieceCount, F, 0, "件数", 10, kNone},
    {mocth::AutoIssue, S, 1, "自动扣料", 1, R},
    {mocth::AutoIssueFactorySupplied, S, 1, "厂供料自动扣料", 1, R},
    {mocth::TotalAccepted, F, 0, "总验收数量", 10, kNone},
    {mocth::LocalReceiptCost, F, 0, "本币进货费用", 10, kNone},
    {mocth::ProcessingAmount, F, 0, "原币加工金额", 10, kNone},
    {mocth::DeductionAmount, F, 0, "原币扣款金额", 10, kNone},
    {mocth::NetAmount, F, 0, "原币税前金额", 10, kNone},
    {mocth::TaxAmount, F, 0, "原币税额", 10, kNone},
    {mocth::TotalAmount, F, 0, "原币金额合计", 10, kNone},
    {mocth::LocalNetAmount, F, 0, "本币税前金额", 10, kNone},
    {mocth::LocalTaxAmount, F, 0, "本币税额", 10, kNone},
    {mocth::LocalTotalAmount, F, 0, "本币金额合计", 10, kNone},
    {mocth::ConfirmCode, S, 1, "审核码", 10, kNone},
    {mocth::SignOffState, S, 1, "签核状态", 20, R},
    {"COMPANY", S, 10, "", 0, H},
    {"CREATOR", S, 10, "", 0, H},
    {"USR_GROUP", S, 10, "", 0, H},
    {"CREATE_DATE", S, 17, "", 23, H},
    {"MODIFIER", S, 10, "", 0, H},
    {"MODI_DATE", S, 17, "", 23, H},
    {"FLAG", F, 0, "", 0, H},
    {"qryBody", N, 0, "", 0, H},
    {mocth::ItemEntryMode, S, 1, "品号输入方式", 0, H},
    {mocth::DocNature, S, 2, "单据性质", 0, H},
    {mocth::Reserved, S, 1, "保留字段", 0, H},
    {mocth::DocTypeChecksWorkOrder, S, 1, "核对工单", 0, H},
    {mocth::ProductionUpdateCode, S, 1, "生产记录更新码", 0, H},
    {mocth::TotalAcceptedPackages, F, 0, "总验收包装量", 0, H},
    {mocth::TotalReceived, F, 0, "总进货数量", 0, R},
    {mocth::TotalReceivedPackages, F, 0, "总进货包装量", 0, HR},
    {mocth::SupplierTaxSetting, S, 1, "税额", 0, H},
    {mocth::ReceiptDate, S, 8, "委外进货日期", 10, H},
    {mocth::TransferCount, F, 0, "传送次数", 0, R},
    {mocth::OverReceiptControl, S, 1, "", 0, H},
    {mocth::MaterialIssueControl, S, 1, "", 0, H},
    {mocth::DocTypeEngineeringItems, S, 1, "单据输入工程品号", 0, H},
    {mocth::ChecksArrival, S, 1, "核对到货", 0, H},
    {mocth::ChecksInspection, S, 1, "核对检验", 0, H},
    {mocth::Project, S, 20, "项目编号", 0, kNone},
    {mocth::ProjectName, S, 255, "项目名称", 20, kNone},
};

// Lines (MOCTI), in the order of the data set.
const std::vector<TFieldDesign> kLineFields = {
    {mocti::LineNo, S, 4, "序号", 4, kNone},
    {mocti::ItemKind, S, 1, "类型", 10, kNone},
    {mocti::Item, S, 20, "品号", 20, kNone},
    {mocti::ItemName, S, 60, "品名", 30, R},
    {mocti::ItemSpec, S, 60, "规格", 30, R},
    {mocti::ReceivedQuantity, F, 0, "进货数量", 10, kNone},
    {mocti::Unit, S, 4, "单位", 6, kNone},
    {mocti::Warehouse, S, 10, "进货仓库", 10, kNone},
    {mocti::WarehouseName, S, 20, "仓库名称", 20, R},
    {mocti::Location, S, 10, "库位", 10, kNone},
    {mocti::Lot, S, 20, "批号", 20, kNone},
    {mocti::LotNote, S, 80, "批号说明", 20, kNone},
    {mocti::ProductionDate, S, 8, "生产日期", 12, kNone},
    {mocti::ExpiryDate, S, 8, "有效日期", 12, R},
    {mocti::RecheckDate, S, 8, "复检日期", 12, R},
    {mocti::WorkOrderType, S, 4, "工单单别", 4, kNone},
    {mocti::WorkOrderNo, S, 11, "工单单号", 11, kNone},
    {mocti::OrderType, S, 4, "订单单别", 4, R},
    {mocti::OrderNo, S, 11, "订单单号", 11, R},
    {mocti::OrderLineNo, S, 4, "订单序号", 4, R},
    {mocti::Urgent, S, 1, "急料", 1, kNone},
    {mocti::Process, S, 4, "工艺", 4, kNone},
    {mocti::ProcessName, S, 12, "工艺名称", 12, R},
    {mocti::AcceptanceDate, S, 8, "验收日期", 12, kNone},
    {mocti::AcceptedQuantity, F, 0, "验收数量", 10, kNone},
    {mocti::ScrappedQuantity, F, 0, "报废数量", 10, kNone},
    {mocti::DestroyedQuantity, F, 0, "破坏数量", 10, kNone},
    {mocti::RejectedQuantity, F, 0, "验退数量", 10, kNone},
    {mocti::PricingQuantity, F, 0, "计价数量", 10, kNone},
    {mocti::PricingUnit, S, 4, "计价单位", 6, kNone},
    {mocti::ArrivalType, S, 4, "委外到货单别", 4, kNone},
    {mocti::ArrivalNo, S, 11, "委外到货单号", 11, kNone},
    {mocti::ArrivalLineNo, S, 4, "委外到货序号", 4, kNone},
    {mocti::InspectionBatch, S, 4, "检验批次", 4, kNone},
    {mocti::ReceivedPackages, F, 0, "进货包装数量", 10, kNone},
    {mocti::AcceptedPackages, F, 0, "验收包装数量", 10, kNone},
    {mocti::ScrappedPackages, F, 0, "报废包装数量", 10, kNone},
    {mocti::DestroyedPackages, F, 0, "破坏包装数量", 10, kNone},
    {mocti::RejectedPackages, F, 0, "验退包装数量", 10, kNone},
    {mocti::PackagingUnit, S, 4, "包装单位", 4, R},
    {mocti::UnitPrice, F, 0, "委外单价", 10, kNone},
    {mocti::ProcessingAmount, F, 0, "加工金额", 10, kNone},
    {mocti::DeductionAmount, F, 0, "扣款金额", 10, kNone},
    {mocti::ReceiptCost, F, 0, "进货费用", 10, R},
    {mocti::NetAmount, F, 0, "原币税前金额", 10, R},
    {mocti::TaxAmount, F, 0, "原币税额", 10, kNone},
    {mocti::LocalNetAmount, F, 0, "本币税前金额", 10, kNone},
    {mocti::LocalTaxAmount, F, 0, "本币税额", 10, kNone},
    {mocti::DeductionNote, S, 20, "扣款说明", 20, kNone},
    {mocti::PaymentHold, S, 1, "暂不付款", 1, R},
    {mocti::Overdue, S, 1, "超期码", 1, kNone},
    {mocti::InspectionState, S, 1, "检验状态", 1, R},
    {mocti::RejectCode, S, 1, "验退码", 1, R},
    {mocti::Project, S, 20, "项目编号", 20, kNone},
    {mocti::Remark, S, 255, "备注", 20, kNone},
    {mocti::InvoicedCode, S, 1, "开票码", 1, R},
    {mocti::InvoicedQuantity, F, 0, "已开票数量", 10, R},
    {mocti::InvoicedDeduction, F, 0, "已开票扣款金额", 10, R},
    {mocti::CostEntryMade, S, 1, "生成分录-成本", 1, R},
    {mocti::ExpenseEntryMade, S, 1, "生成分录-费用", 1, R},
    {mocti::Confirmer, S, 10, "审核者", 10, R},
    {mocti::ConfirmerName, S, 10, "审核者名称", 10, R},
    {mocti::ConfirmCode, S, 1, "审核码", 10, R},
    {mocti::ScrapCode, S, 1, "报废码", 1, R},
    {mocti::Estimated, S, 1, "暂估码", 1, R},
    {mocti::ItemSerialManaged, S, 1, "产品序号管理", 1, R},
    {mocti::StockQuantity, F, 0, "库存数量", 0, HR},
    {mocti::StockUnit, S, 4, "库存单位", 0, HR},
    {mocti::ConversionRate, F, 0, "折算率", 10, H},
    {"FLAG", F, 0, "", 0, H},
    {"MODI_DATE", S, 17, "", 23, H},
    {"MODIFIER", S, 10, "", 0, H},
    {"CREATE_DATE", S, 17, "", 23, H},
    {"USR_GROUP", S, 10, "", 0, H},
    {"CREATOR", S, 10, "", 0, H},
    {"COMPANY", S, 10, "", 0, H},
    {mocti::PayableLineNo, S, 4, "应付凭单序号", 4, HR},
    {mocti::PayableNo, S, 11, "应付凭单号", 11, HR},
    {mocti::PayableType, S, 4, "应付凭单别", 4, HR},
    {mocti::StockItem, S, 20, "库存品号", 0, H},
    {mocti::PreviousReceivedQuantity, F, 0, "进货数量旧值", 0, H},
    {mocti::ItemInspection, S, 1, "检验码", 0, H},
    {mocti::ItemLotManaged, S, 1, "批号管理", 0, H},
    {mocti::DocNo, S, 11, "委外进货单号", 0, H},
    {mocti::DocType, S, 4, "委外进货单别", 0, H},
    {mocti::UpdateCode, S, 1, "更新码", 1, H},
    {mocti::PreviousReceivedPackages, F, 0, "进货包装数量旧值", 0, H},
    {mocti::FixedWeight, S, 1, "定重", 0, H},
    {mocti::WorkOrderPlanned, F, 0, "", 0, H},
    {mocti::WorkOrderExtra4, F, 0, "", 0, H},
    {mocti::WorkOrderPackagesReceived, F, 0, "", 0, H},
    {mocti::WorkOrderPackages, F, 0, "", 0, H},
    {mocti::WorkOrderPackagesScrapped, F, 0, "", 0, H},
    {mocti::WorkOrderReceived, F, 0, "", 0, H},
    {mocti::WorkOrderScrapped, F, 0, "", 0, H},
    {mocti::ValidityDays, F, 0, "", 0, H},
    {mocti::RecheckDays, F, 0, "", 0, H},
    {mocti::ItemDated, S, 1, "", 0, H},
    {mocti::ItemTaxRate, F, 0, "品号税率", 0, H},
    {mocti::WorkOrderProduct, S, 20, "", 0, H},
    {mocti::ItemOverReceiptRate, F, 0, "INVMB402", 0, H},
    {mocti::ItemRateMB403, F, 0, "INVMB403", 0, H},
    {mocti::WorkOrderFlag, S, 1, "", 0, H},
    {mocti::WorkOrderDate, S, 8, "", 0, H},
    {mocti::WorkOrderReturned, F, 0, "", 0, H},
    {mocti::WorkOrderExtra16, F, 0, "", 0, H},
    {mocti::ItemStockUnit, S, 4, "", 0, H},
    {mocti::Configuration, S, 15, "配置方案", 0, H},
    {mocti::InspectionCount, S, 4, "检验次数", 0, H},
    {mocti::PreviousLot, S, 20, "", 0, H},
    {"qryFoot", N, 0, "", 0, H},
    {mocti::PreviousItem, S, 20, "", 0, H},
};

// Serial numbers (PSMMB), in the order of the data set.
const std::vector<TFieldDesign> kSerialFields = {
    {"CHECKED", S, 1, "选择", 5, kNone},
    {psmmb::Serial, S, 255, "产品序号", 20, kNone},
    {psmmb::SupplierSerial, S, 1, "供应商序号", 0, H},
    {psmmb::Status, S, 1, "", 0, H},
    {psmmb::QuantityKind, S, 1, "", 0, H},
    {"COMPANY", S, 10, "", 0, H},
    {"CREATOR", S, 10, "", 0, H},
    {"CREATE_DATE", S, 17, "", 0, H},
    {"USR_GROUP", S, 10, "", 0, H},
    {"MODIFIER", S, 10, "", 0, H},
    {"MODI_DATE", S, 17, "", 0, H},
    {"FLAG", F, 0, "", 0, H},
    {psmmb::LineNo, S, 4, "", 0, H},
    {psmmb::DocNo, S, 15, "", 0, H},
    {psmmb::DocType, S, 4, "", 0, H},
};

const std::vector<std::string> kHeadControlTypes = {
    "TH012;CustomEdit;cboTH012G", "TH015;CustomEdit;cboTH015G", "TH026;CheckBox;Y;N",
    "TH016;CustomEdit;cboTH016G", "TH023;CustomEdit;cboTH023G", "TH035;CheckBox;Y;N",
    "TH036;CustomEdit;cboTH036G",
};

const std::vector<std::string> kLineControlTypes = {
    "TI004;CustomEdit;cboTI004G", "TI008;CustomEdit;cboTI008G", "TI009;CustomEdit;cboTI009G",
    "TI010;CustomEdit;cboTI010G", "TI011;CustomEdit;cboTI011G", "TI012;CustomEdit;cboTI012G",
    "TI013;CustomEdit;cboTI013G", "TI015;CustomEdit;cboTI015G", "TI018;CustomEdit;cboTI018G",
    "TI054;CustomEdit;cboTI054G", "TI023;CustomEdit;cboTI023G", "TI026;CustomEdit;cboTI026G",
    "TI028;CustomEdit;cboTI028G", "TI032;CustomEdit;cboTI032G", "TI035;CustomEdit;cboTI035G",
    "TI040;CustomEdit;cboTI040G", "TI033;CheckBox;Y;N",         "TI034;CheckBox;Y;N",
    "TI036;CheckBox;Y;N",         "TI038;CheckBox;Y;N",         "TI024;CustomEdit;cboTI024G",
    "TI041;CheckBox;Y;N",         "TI042;CheckBox;Y;N",         "TI037;CustomEdit;cboTI037G",
    "TI048;CheckBox;Y;N",         "TI059;CheckBox;Y;N",         "TI055;CustomEdit;cboTI055G",
    "TI060;CustomEdit;cboTI060G", "TI069;CheckBox;Y;N",         "TIC01;CustomEdit;cboTIC01G",
    "TIC02;CustomEdit;cboTIC02G", "TIC05;CustomEdit;cboTIC05G", "TI004MB454;CheckBox;Y;N",
};

// Every handler of the module: data set, field ("" for the data set's own
// event), event property, published handler name.
struct TBinding {
    const char* dataSet;
    const char* field;
    const char* event;
    const char* handler;
};

const std::vector<TBinding> kBindings = {
    // header
    {"cdsMain", mocth::DocDate, "OnSetText", "DateFieldSetText"},
    {"cdsMain", mocth::DocDate, "OnGetText", "DateFieldGetText"},
    {"cdsMain", mocth::InvoiceDate, "OnSetText", "DateFieldSetText"},
    {"cdsMain", mocth::InvoiceDate, "OnGetText", "DateFieldGetText"},
    {"cdsMain", mocth::DeclarationMonth, "OnValidate", "YMFieldValidate"},
    {"cdsMain", mocth::DeclarationMonth, "OnSetText", "YMFieldSetText"},
    {"cdsMain", mocth::DeclarationMonth, "OnGetText", "YMFieldGetText"},
    {"cdsMain", mocth::TaxRate, "OnSetText", "PercentFieldSetText"},
    {"cdsMain", mocth::TaxRate, "OnGetText", "PercentFieldGetText"},
    {"cdsMain", mocth::ReceiptDate, "OnValidate", "DateFieldValidate"},
    {"cdsMain", mocth::ReceiptDate, "OnSetText", "DateFieldSetText"},
    {"cdsMain", mocth::ReceiptDate, "OnGetText", "DateFieldGetText"},
    // lines
    {"cdsBody1", "", "BeforePost", "cdsBody1BeforePost"},
    {"cdsBody1", "", "BeforeDelete", "cdsBody1BeforeDelete"},
    {"cdsBody1", "", "AfterScroll", "cdsBody1AfterScroll"},
    {"cdsBody1", mocti::ProductionDate, "OnValidate", "cdsBody1TI054Validate"},
    {"cdsBody1", mocti::ProductionDate, "OnSetText", "DateFieldSetText"},
    {"cdsBody1", mocti::ProductionDate, "OnGetText", "DateFieldGetText"},
    {"cdsBody1", mocti::ExpiryDate, "OnValidate", "DateFieldValidate"},
    {"cdsBody1", mocti::ExpiryDate, "OnSetText", "DateFieldSetText"},
    {"cdsBody1", mocti::ExpiryDate, "OnGetText", "DateFieldGetText"},
    {"cdsBody1", mocti::RecheckDate, "OnValidate", "DateFieldValidate"},
    {"cdsBody1", mocti::RecheckDate, "OnSetText", "DateFieldSetText"},
    {"cdsBody1", mocti::RecheckDate, "OnGetText", "DateFieldGetText"},
    {"cdsBody1", mocti::AcceptanceDate, "OnSetText", "DateFieldSetText"},
    {"cdsBody1", mocti::AcceptanceDate, "OnGetText", "DateFieldGetText"},
    {"cdsBody1", mocti::InspectionState, "OnValidate", "cdsBody1TI035Validate"},
    {"cdsBody1", mocti::Location, "OnValidate", "cdsBody1TI060Validate"},
    {"cdsBody1", mocti::StockQuantity, "OnValidate", "cdsBody1TI062Validate"},
    {"cdsBody1", mocti::ItemTaxRate, "OnSetText", "PercentFieldSetText"},
    {"cdsBody1", mocti::ItemTaxRate, "OnGetText", "PercentFieldGetText"},
    // header rules
    {"cdsMain", "", "AfterScroll", "cdsMainAfterScroll"},
    {"cdsMain", mocth::DocType, "OnValidate", "cdsMainTH001Validate"},
    {"cdsMain", mocth::DocNo, "OnValidate", "cdsMainTH002Validate"},
    {"cdsMain", mocth::DocDate, "OnValidate", "cdsMainTH029Validate"},
    {"cdsMain", mocth::Factory, "OnValidate", "cdsMainTH004Validate"},
    {"cdsMain", mocth::Supplier, "OnValidate", "cdsMainTH005Validate"},
    {"cdsMain", mocth::Currency, "OnValidate", "cdsMainTH007Validate"},
    {"cdsMain", mocth::ExchangeRate, "OnValidate", "cdsMainTH008Validate"},
    {"cdsMain", mocth::PieceCount, "OnValidate", "cdsMainTH009Validate"},
    {"cdsMain", mocth::TaxNo, "OnValidate", "cdsMainTH011Validate"},
    {"cdsMain", mocth::InvoiceKind, "OnValidate", "cdsMainTH012Validate"},
    {"cdsMain", mocth::InvoiceDate, "OnValidate", "cdsMainTH013Validate"},
    {"cdsMain", mocth::TaxKind, "OnValidate", "cdsMainTH015Validate"},
    {"cdsMain", mocth::TaxRate, "OnValidate", "cdsMainTH030Validate"},
    {"cdsMain", mocth::PaymentTerms, "OnValidate", "cdsMainTH033Validate"},
    {"cdsMain", mocth::Department, "OnValidate", "cdsMainTH038Validate"},
    {"cdsMain", mocth::SupplierDocNo, "OnValidate", "cdsMainTH006Validate"},
    {"cdsMain", mocth::Project, "OnValidate", "cdsMainTH045Validate"},
    {"cdsMain", mocth::Supplier, "OnSetText", "cdsMainTH005SetText"},
    // line rules
    {"cdsBody1", mocti::ItemKind, "OnValidate", "cdsBody1TIC01Validate"},
    {"cdsBody1", mocti::ArrivalType, "OnValidate", "cdsBody1TIC02Validate"},
    {"cdsBody1", mocti::ArrivalNo, "OnValidate", "cdsBody1TIC03Validate"},
    {"cdsBody1", mocti::ArrivalLineNo, "OnValidate", "cdsBody1TIC04Validate"},
    {"cdsBody1", mocti::InspectionBatch, "OnValidate", "cdsBody1TIC05Validate"},
    {"cdsBody1", mocti::Item, "OnValidate", "cdsBody1TI004Validate"},
    {"cdsBody1", mocti::WorkOrderType, "OnValidate", "cdsBody1TI013Validate"},
    {"cdsBody1", mocti::WorkOrderNo, "OnValidate", "cdsBody1TI014Validate"},
    {"cdsBody1", mocti::Warehouse, "OnValidate", "cdsBody1TI009Validate"},
    {"cdsBody1", mocti::Lot, "OnValidate", "cdsBody1TI010Validate"},
    {"cdsBody1", mocti::Process, "OnValidate", "cdsBody1TI015Validate"},
    {"cdsBody1", mocti::ReceivedQuantity, "OnValidate", "cdsBody1TI007Validate"},
    {"cdsBody1", mocti::Unit, "OnValidate", "cdsBody1TI008Validate"},
    {"cdsBody1", mocti::AcceptanceDate, "OnValidate", "cdsBody1TI018Validate"},
    {"cdsBody1", mocti::AcceptedQuantity, "OnValidate", "cdsBody1TI019Validate"},
    {"cdsBody1", mocti::ScrappedQuantity, "OnValidate", "cdsBody1TI021Validate"},
    {"cdsBody1", mocti::DestroyedQuantity, "OnValidate", "cdsBody1TI056Validate"},
    {"cdsBody1", mocti::RejectedQuantity, "OnValidate", "cdsBody1TI022Validate"},
    {"cdsBody1", mocti::PricingQuantity, "OnValidate", "cdsBody1TI020Validate"},
    {"cdsBody1", mocti::PricingUnit, "OnValidate", "cdsBody1TI023Validate"},
    {"cdsBody1", mocti::ReceivedPackages, "OnValidate", "cdsBody1TI016Validate"},
    {"cdsBody1", mocti::AcceptedPackages, "OnValidate", "cdsBody1TI017Validate"},
    {"cdsBody1", mocti::ScrappedPackages, "OnValidate", "cdsBody1TI050Validate"},
    {"cdsBody1", mocti::DestroyedPackages, "OnValidate", "cdsBody1TI057Validate"},
    {"cdsBody1", mocti::RejectedPackages, "OnValidate", "cdsBody1TI051Validate"},
    {"cdsBody1", mocti::PackagingUnit, "OnValidate", "cdsBody1TI049Validate"},
    {"cdsBody1", mocti::UnitPrice, "OnValidate", "cdsBody1TI024Validate"},
    {"cdsBody1", mocti::ProcessingAmount, "OnValidate", "cdsBody1TI025Validate"},
    {"cdsBody1", mocti::DeductionAmount, "OnValidate", "cdsBody1TI026Validate"},
    {"cdsBody1", mocti::TaxAmount, "OnValidate", "cdsBody1TI045Validate"},
    {"cdsBody1", mocti::LocalTaxAmount, "OnValidate", "cdsBody1TI047Validate"},
    {"cdsBody1", mocti::Item, "OnSetText", "cdsBody1TI004SetText"},
    // serial rows
    {"cdsFoot", "", "AfterPost", "cdsFootAfterPost"},
    {"cdsFoot", "", "BeforeDelete", "cdsFootBeforeDelete"},
};

void addUserDefinedFields(std::vector<TFieldDesign>& fields) {
    static const char* const texts[] = {"UDF01", "UDF02", "UDF03", "UDF04", "UDF05", "UDF06",
                                        "UDF07", "UDF08", "UDF09", "UDF10", "UDF11", "UDF12"};
    static const char* const numbers[] = {"UDF51", "UDF52", "UDF53", "UDF54", "UDF55", "UDF56",
                                          "UDF57", "UDF58", "UDF59", "UDF60", "UDF61", "UDF62"};
    for (const char* name : texts) fields.push_back({name, S, 255, "", 0, H});
    for (const char* name : numbers) fields.push_back({name, F, 0, "", 0, H});
}

TField* newField(plat::TComponent* owner, const TFieldDesign& d) {
    switch (d.kind) {
        case TKind::Text: {
            auto* f = new plat::TStringField(owner);
            f->SetSize(d.size);
            return f;
        }
        case TKind::Number:
            return new plat::TFloatField(owner);
        case TKind::Nested:
            return new plat::TDataSetField(owner);
    }
    return nullptr;
}

void createFields(plat::TComponent* owner, TDataSet* dataSet, std::vector<TFieldDesign> fields) {
    addUserDefinedFields(fields);
    for (const TFieldDesign& d : fields) {
        TField* f = newField(owner, d);
        f->SetName(dataSet->Name() + d.name);
        f->SetFieldName(d.name);
        if (*d.label) f->SetDisplayLabel(d.label);
        if (d.width > 0) f->SetDisplayWidth(d.width);
        f->SetVisible(!(d.flags & kHidden));
        f->SetReadOnly(d.flags & kReadOnly);
        f->SetDataSet(dataSet);
    }
}

}  // namespace

void TdmKtrb52::createDataSets() {
    MIDAS->ServerName = kAppServerProgID;
    MIDAS->SetAddress("127.0.0.1");

    cdsMain->SetProviderName("pvdMain");
    cdsMain->ControlType = kHeadControlTypes;
    createFields(this, cdsMain, kHeadFields);
    cdsMainqryBody = static_cast<plat::TDataSetField*>(cdsMain->FieldByName("qryBody"));

    cdsBody1->SetDataSetField(cdsMainqryBody);
    cdsBody1->ControlType = kLineControlTypes;
    createFields(this, cdsBody1, kLineFields);
    cdsBody1qryFoot = static_cast<plat::TDataSetField*>(cdsBody1->FieldByName("qryFoot"));

    cdsFoot = new TwwClientDataSet(this);
    cdsFoot->SetName("cdsFoot");
    cdsFoot->AutoCalcFields = false;
    cdsFoot->ValidateWithMask = true;
    cdsFoot->ControlType = {"CHECKED;CheckBox;Y;N"};
    createFields(this, cdsFoot, kSerialFields);
    cdsFoot->SetDataSetField(cdsBody1qryFoot);
    dsFoot = new TwwDataSource(this);
    dsFoot->SetName("dsFoot");
    dsFoot->SetDataSet(cdsFoot);
}

void TdmKtrb52::bindHandlers() {
    for (const TBinding& b : kBindings) {
        auto* dataSet = dynamic_cast<TDataSet*>(FindComponent(b.dataSet));
        plat::TObject* target = dataSet;
        if (dataSet && *b.field) target = dataSet->FindField(b.field);
        plat::EventHandle handler = plat::MethodAddress(this, b.handler);
        if (!target || !handler)
            throw plat::EInternalError(std::string("Ktrb52CD-101: cannot bind ") + b.handler +
                                       " to " + b.dataSet + "." + b.field);
        plat::SetMethodProp(target, b.event, handler);
    }
}

PLAT_PUBLISH(TdmKtrb52) {
    p.Method("cdsBody1BeforePost", &TdmKtrb52::cdsBody1BeforePost);
    p.Method("cdsBody1BeforeDelete", &TdmKtrb52::cdsBody1BeforeDelete);
    p.Method("cdsBody1AfterScroll", &TdmKtrb52::cdsBody1AfterScroll);
    p.Method("cdsBody1TI035Validate", &TdmKtrb52::cdsBody1TI035Validate);
    p.Method("cdsBody1TI054Validate", &TdmKtrb52::cdsBody1TI054Validate);
    p.Method("cdsBody1TI060Validate", &TdmKtrb52::cdsBody1TI060Validate);
    p.Method("cdsBody1TI062Validate", &TdmKtrb52::cdsBody1TI062Validate);
    p.Method("cdsMainAfterScroll", &TdmKtrb52::cdsMainAfterScroll);
    p.Method("cdsMainTH001Validate", &TdmKtrb52::cdsMainTH001Validate);
    p.Method("cdsMainTH002Validate", &TdmKtrb52::cdsMainTH002Validate);
    p.Method("cdsMainTH029Validate", &TdmKtrb52::cdsMainTH029Validate);
    p.Method("cdsMainTH004Validate", &TdmKtrb52::cdsMainTH004Validate);
    p.Method("cdsMainTH005Validate", &TdmKtrb52::cdsMainTH005Validate);
    p.Method("cdsMainTH007Validate", &TdmKtrb52::cdsMainTH007Validate);
    p.Method("cdsMainTH008Validate", &TdmKtrb52::cdsMainTH008Validate);
    p.Method("cdsMainTH009Validate", &TdmKtrb52::cdsMainTH009Validate);
    p.Method("cdsMainTH011Validate", &TdmKtrb52::cdsMainTH011Validate);
    p.Method("cdsMainTH012Validate", &TdmKtrb52::cdsMainTH012Validate);
    p.Method("cdsMainTH013Validate", &TdmKtrb52::cdsMainTH013Validate);
    p.Method("cdsMainTH015Validate", &TdmKtrb52::cdsMainTH015Validate);
    p.Method("cdsMainTH030Validate", &TdmKtrb52::cdsMainTH030Validate);
    p.Method("cdsMainTH033Validate", &TdmKtrb52::cdsMainTH033Validate);
    p.Method("cdsMainTH038Validate", &TdmKtrb52::cdsMainTH038Validate);
    p.Method("cdsMainTH006Validate", &TdmKtrb52::cdsMainTH006Validate);
    p.Method("cdsMainTH045Validate", &TdmKtrb52::cdsMainTH045Validate);
    p.Method("cdsMainTH005SetText", &TdmKtrb52::cdsMainTH005SetText);
    p.Method("cdsBody1TIC01Validate", &TdmKtrb52::cdsBody1TIC01Validate);
    p.Method("cdsBody1TIC02Validate", &TdmKtrb52::cdsBody1TIC02Validate);
    p.Method("cdsBody1TIC03Validate", &TdmKtrb52::cdsBody1TIC03Validate);
    p.Method("cdsBody1TIC04Validate", &TdmKtrb52::cdsBody1TIC04Validate);
    p.Method("cdsBody1TIC05Validate", &TdmKtrb52::cdsBody1TIC05Validate);
    p.Method("cdsBody1TI004Validate", &TdmKtrb52::cdsBody1TI004Validate);
    p.Method("cdsBody1TI013Validate", &TdmKtrb52::cdsBody1TI013Validate);
    p.Method("cdsBody1TI014Validate", &TdmKtrb52::cdsBody1TI014Validate);
    p.Method("cdsBody1TI009Validate", &TdmKtrb52::cdsBody1TI009Validate);
    p.Method("cdsBody1TI010Validate", &TdmKtrb52::cdsBody1TI010Validate);
    p.Method("cdsBody1TI015Validate", &TdmKtrb52::cdsBody1TI015Validate);
    p.Method("cdsBody1TI007Validate", &TdmKtrb52::cdsBody1TI007Validate);
    p.Method("cdsBody1TI008Validate", &TdmKtrb52::cdsBody1TI008Validate);
    p.Method("cdsBody1TI018Validate", &TdmKtrb52::cdsBody1TI018Validate);
    p.Method("cdsBody1TI019Validate", &TdmKtrb52::cdsBody1TI019Validate);
    p.Method("cdsBody1TI021Validate", &TdmKtrb52::cdsBody1TI021Validate);
    p.Method("cdsBody1TI056Validate", &TdmKtrb52::cdsBody1TI056Validate);
    p.Method("cdsBody1TI022Validate", &TdmKtrb52::cdsBody1TI022Validate);
    p.Method("cdsBody1TI020Validate", &TdmKtrb52::cdsBody1TI020Validate);
    p.Method("cdsBody1TI023Validate", &TdmKtrb52::cdsBody1TI023Validate);
    p.Method("cdsBody1TI016Validate", &TdmKtrb52::cdsBody1TI016Validate);
    p.Method("cdsBody1TI017Validate", &TdmKtrb52::cdsBody1TI017Validate);
    p.Method("cdsBody1TI050Validate", &TdmKtrb52::cdsBody1TI050Validate);
    p.Method("cdsBody1TI057Validate", &TdmKtrb52::cdsBody1TI057Validate);
    p.Method("cdsBody1TI051Validate", &TdmKtrb52::cdsBody1TI051Validate);
    p.Method("cdsBody1TI049Validate", &TdmKtrb52::cdsBody1TI049Validate);
    p.Method("cdsBody1TI024Validate", &TdmKtrb52::cdsBody1TI024Validate);
    p.Method("cdsBody1TI025Validate", &TdmKtrb52::cdsBody1TI025Validate);
    p.Method("cdsBody1TI026Validate", &TdmKtrb52::cdsBody1TI026Validate);
    p.Method("cdsBody1TI045Validate", &TdmKtrb52::cdsBody1TI045Validate);
    p.Method("cdsBody1TI047Validate", &TdmKtrb52::cdsBody1TI047Validate);
    p.Method("cdsBody1TI004SetText", &TdmKtrb52::cdsBody1TI004SetText);
    p.Method("cdsFootAfterPost", &TdmKtrb52::cdsFootAfterPost);
    p.Method("cdsFootBeforeDelete", &TdmKtrb52::cdsFootBeforeDelete);
}

}  // namespace ktrb
