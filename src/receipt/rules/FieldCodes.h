// The names of the receipt's fields, one namespace per table, each with the
// caption the data module gives it (or, for a hidden field without one, what
// it holds). The values are the codes the server, its SQL and the design
// table use; code reads the names, so a mistyped field fails to compile
// instead of failing to find its field at run time.
#pragma once

namespace ktrb {

// Header, table MOCTH (data set cdsMain).
namespace mocth {
inline constexpr char DocType[] = "TH001";                    // 委外进货单别
inline constexpr char DocTypeName[] = "TH001C";               // 单别名称
inline constexpr char DocTypeChecksWorkOrder[] = "TH001C1";   // 核对工单
inline constexpr char DocNature[] = "TH001C2";                // 单据性质
inline constexpr char DocTypeEngineeringItems[] = "TH001C3";  // 单据输入工程品号
inline constexpr char DocNo[] = "TH002";                      // 委外进货单号
inline constexpr char ReceiptDate[] = "TH003";                // 委外进货日期
inline constexpr char Factory[] = "TH004";                    // 工厂
inline constexpr char FactoryName[] = "TH004C";               // 工厂名称
inline constexpr char Supplier[] = "TH005";                   // 委外供应商
inline constexpr char SupplierName[] = "TH005C";              // 供应商名称
inline constexpr char SupplierTaxSetting[] = "TH005C1";       // 税额 (the supplier's setting)
inline constexpr char SupplierDocNo[] = "TH006";              // 供应商单号
inline constexpr char Currency[] = "TH007";                   // 币种
inline constexpr char ExchangeRate[] = "TH008";               // 汇率
inline constexpr char PieceCount[] = "TH009";                 // 件数
inline constexpr char Remark[] = "TH010";                     // 备注
inline constexpr char TaxNo[] = "TH011";                      // 税号
inline constexpr char InvoiceKind[] = "TH012";                // 发票种类
inline constexpr char InvoiceDate[] = "TH013";                // 发票日期
inline constexpr char InvoiceNo[] = "TH014";                  // 发票号码
inline constexpr char TaxKind[] = "TH015";                    // 税种
inline constexpr char DeductionKind[] = "TH016";              // 扣抵区分
inline constexpr char Reserved[] = "TH017";                   // 保留字段
inline constexpr char ProcessingAmount[] = "TH018";           // 原币加工金额
inline constexpr char DeductionAmount[] = "TH019";            // 原币扣款金额
inline constexpr char TaxAmount[] = "TH020";                  // 原币税额
inline constexpr char LocalReceiptCost[] = "TH021";           // 本币进货费用
inline constexpr char TotalAccepted[] = "TH022";              // 总验收数量
inline constexpr char ConfirmCode[] = "TH023";                // 审核码
inline constexpr char ProductionUpdateCode[] = "TH024";       // 生产记录更新码
inline constexpr char PrintCount[] = "TH025";                 // 打印
inline constexpr char AutoIssue[] = "TH026";                  // 自动扣料
inline constexpr char NetAmount[] = "TH027";                  // 原币税前金额
inline constexpr char TotalAmount[] = "TH027C";               // 原币金额合计
inline constexpr char DeclarationMonth[] = "TH028";           // 申报年月
inline constexpr char DocDate[] = "TH029";                    // 单据日期
inline constexpr char TaxRate[] = "TH030";                    // 税率
inline constexpr char LocalNetAmount[] = "TH031";             // 本币税前金额
inline constexpr char LocalTaxAmount[] = "TH032";             // 本币税额
inline constexpr char LocalTotalAmount[] = "TH032C";          // 本币金额合计
inline constexpr char PaymentTerms[] = "TH033";               // 付款条件编号
inline constexpr char PaymentTermsName[] = "TH033C";          // 付款条件名称
inline constexpr char TotalAcceptedPackages[] = "TH034";      // 总验收包装量
inline constexpr char AutoIssueFactorySupplied[] = "TH035";   // 厂供料自动扣料
inline constexpr char SignOffState[] = "TH036";               // 签核状态
inline constexpr char TransferCount[] = "TH037";              // 传送次数
inline constexpr char Department[] = "TH038";                 // 部门编码
inline constexpr char DepartmentName[] = "TH038C";            // 部门名称
inline constexpr char TotalReceived[] = "TH042";              // 总进货数量
inline constexpr char TotalReceivedPackages[] = "TH043";      // 总进货包装量
inline constexpr char Project[] = "TH045";                    // 项目编号
inline constexpr char ProjectName[] = "TH045C";               // 项目名称
// The document type's settings, copied onto the header with it.
inline constexpr char ItemEntryMode[] = "MQ024C";         // 品号输入方式
inline constexpr char OverReceiptControl[] = "MQ042C";    // over-receipt: "Y" refuse, "W" warn
inline constexpr char MaterialIssueControl[] = "MQ043C";  // material shortage: "Y"/"W"
inline constexpr char ChecksArrival[] = "MQC03C";         // 核对到货
inline constexpr char ChecksInspection[] = "MQC04C";      // 核对检验
}  // namespace mocth

// Lines, table MOCTI (data set cdsBody1).
namespace mocti {
inline constexpr char DocType[] = "TI001";              // 委外进货单别
inline constexpr char DocNo[] = "TI002";                // 委外进货单号
inline constexpr char LineNo[] = "TI003";               // 序号
inline constexpr char Item[] = "TI004";                 // 品号
inline constexpr char PreviousItem[] = "TI004_OLD";     // the item last accepted on the line
inline constexpr char ItemLotManaged[] = "TI004C";      // 批号管理
inline constexpr char ItemInspection[] = "TI004C1";     // 检验码
inline constexpr char StockItem[] = "TI004C2";          // 库存品号
inline constexpr char WorkOrderPlanned[] = "TI004C3";   // the work order's planned quantity
inline constexpr char WorkOrderExtra4[] = "TI004C4";    // a work-order quantity no rule reads
inline constexpr char WorkOrderReceived[] = "TI004C5";  // the work order's quantity received
inline constexpr char WorkOrderScrapped[] = "TI004C6";  // the work order's quantity scrapped
inline constexpr char WorkOrderPackagesReceived[] = "TI004C7";  // its packages received
inline constexpr char WorkOrderPackages[] = "TI004C8";          // its planned packages
inline constexpr char WorkOrderPackagesScrapped[] = "TI004C9";  // its packages scrapped
inline constexpr char ItemDated[] = "TI004C10";    // the item carries production and expiry dates
inline constexpr char ItemTaxRate[] = "TI004C11";  // 品号税率
inline constexpr char WorkOrderProduct[] = "TI004C12";        // the work order's product item
inline constexpr char ItemOverReceiptRate[] = "TI004C13";     // INVMB402
inline constexpr char ItemRateMB403[] = "TI004C14";           // INVMB403
inline constexpr char WorkOrderReturned[] = "TI004C15";       // the work order's quantity returned
inline constexpr char WorkOrderExtra16[] = "TI004C16";        // a work-order quantity no rule reads
inline constexpr char ItemStockUnit[] = "TI004C17";           // the item's stock unit
inline constexpr char ItemSerialManaged[] = "TI004MB454";     // 产品序号管理
inline constexpr char ItemName[] = "TI005";                   // 品名
inline constexpr char ItemSpec[] = "TI006";                   // 规格
inline constexpr char ReceivedQuantity[] = "TI007";           // 进货数量
inline constexpr char PreviousReceivedQuantity[] = "TI007C";  // 进货数量旧值
inline constexpr char Unit[] = "TI008";                       // 单位
inline constexpr char Warehouse[] = "TI009";                  // 进货仓库
inline constexpr char WarehouseName[] = "TI009C";             // 仓库名称
inline constexpr char Lot[] = "TI010";                        // 批号
inline constexpr char PreviousLot[] = "TI010_OLD";            // the lot last accepted on the line
inline constexpr char ExpiryDate[] = "TI011";                 // 有效日期
inline constexpr char ValidityDays[] = "TI011C";              // the item's period of validity
inline constexpr char RecheckDate[] = "TI012";                // 复检日期
inline constexpr char RecheckDays[] = "TI012C";               // the item's period of re-inspection
inline constexpr char WorkOrderType[] = "TI013";              // 工单单别
inline constexpr char WorkOrderFlag[] = "TI013C1";            // a one-letter flag of the work order
inline constexpr char WorkOrderDate[] = "TI013C2";            // a date of the work order, YYYYMMDD
inline constexpr char WorkOrderNo[] = "TI014";                // 工单单号
inline constexpr char OrderType[] = "TI014C1";                // 订单单别
inline constexpr char OrderNo[] = "TI014C2";                  // 订单单号
inline constexpr char OrderLineNo[] = "TI014C3";              // 订单序号
inline constexpr char Process[] = "TI015";                    // 工艺
inline constexpr char ProcessName[] = "TI015C";               // 工艺名称
inline constexpr char ReceivedPackages[] = "TI016";           // 进货包装数量
inline constexpr char PreviousReceivedPackages[] = "TI016C";  // 进货包装数量旧值
inline constexpr char AcceptedPackages[] = "TI017";           // 验收包装数量
inline constexpr char AcceptanceDate[] = "TI018";             // 验收日期
inline constexpr char AcceptedQuantity[] = "TI019";           // 验收数量
inline constexpr char PricingQuantity[] = "TI020";            // 计价数量
inline constexpr char ScrappedQuantity[] = "TI021";           // 报废数量
inline constexpr char RejectedQuantity[] = "TI022";           // 验退数量
inline constexpr char PricingUnit[] = "TI023";                // 计价单位
inline constexpr char UnitPrice[] = "TI024";                  // 委外单价
inline constexpr char ProcessingAmount[] = "TI025";           // 加工金额
inline constexpr char DeductionAmount[] = "TI026";            // 扣款金额
inline constexpr char ReceiptCost[] = "TI027";                // 进货费用
inline constexpr char DeductionNote[] = "TI028";              // 扣款说明
inline constexpr char PayableType[] = "TI029";                // 应付凭单别
inline constexpr char PayableNo[] = "TI030";                  // 应付凭单号
inline constexpr char PayableLineNo[] = "TI031";              // 应付凭单序号
inline constexpr char Project[] = "TI032";                    // 项目编号
inline constexpr char PaymentHold[] = "TI033";                // 暂不付款
inline constexpr char Overdue[] = "TI034";                    // 超期码
inline constexpr char InspectionState[] = "TI035";            // 检验状态
inline constexpr char RejectCode[] = "TI036";                 // 验退码
inline constexpr char ConfirmCode[] = "TI037";                // 审核码
inline constexpr char InvoicedCode[] = "TI038";               // 开票码
inline constexpr char UpdateCode[] = "TI039";                 // 更新码
inline constexpr char Remark[] = "TI040";                     // 备注
inline constexpr char CostEntryMade[] = "TI041";              // 生成分录-成本
inline constexpr char ExpenseEntryMade[] = "TI042";           // 生成分录-费用
inline constexpr char Confirmer[] = "TI043";                  // 审核者
inline constexpr char ConfirmerName[] = "TI043C";             // 审核者名称
inline constexpr char NetAmount[] = "TI044";                  // 原币税前金额
inline constexpr char TaxAmount[] = "TI045";                  // 原币税额
inline constexpr char LocalNetAmount[] = "TI046";             // 本币税前金额
inline constexpr char LocalTaxAmount[] = "TI047";             // 本币税额
inline constexpr char Urgent[] = "TI048";                     // 急料
inline constexpr char PackagingUnit[] = "TI049";              // 包装单位
inline constexpr char ScrappedPackages[] = "TI050";           // 报废包装数量
inline constexpr char RejectedPackages[] = "TI051";           // 验退包装数量
inline constexpr char InvoicedQuantity[] = "TI052";           // 已开票数量
inline constexpr char InvoicedDeduction[] = "TI053";          // 已开票扣款金额
inline constexpr char ProductionDate[] = "TI054";             // 生产日期
inline constexpr char LotNote[] = "TI055";                    // 批号说明
inline constexpr char DestroyedQuantity[] = "TI056";          // 破坏数量
inline constexpr char DestroyedPackages[] = "TI057";          // 破坏包装数量
inline constexpr char ConversionRate[] = "TI058";             // 折算率
inline constexpr char ScrapCode[] = "TI059";                  // 报废码
inline constexpr char Location[] = "TI060";                   // 库位
inline constexpr char StockUnit[] = "TI061";                  // 库存单位
inline constexpr char StockQuantity[] = "TI062";              // 库存数量
inline constexpr char Estimated[] = "TI069";                  // 暂估码
inline constexpr char ItemKind[] = "TIC01";                   // 类型
inline constexpr char ArrivalType[] = "TIC02";                // 委外到货单别
inline constexpr char ArrivalNo[] = "TIC03";                  // 委外到货单号
inline constexpr char ArrivalLineNo[] = "TIC04";              // 委外到货序号
inline constexpr char InspectionBatch[] = "TIC05";            // 检验批次
inline constexpr char InspectionCount[] = "TIC06";            // 检验次数
inline constexpr char FixedWeight[] = "MB091C";               // 定重
inline constexpr char Configuration[] = "TA073C";             // 配置方案
}  // namespace mocti

// Serial numbers of a line, table PSMMB (data set cdsFoot).
namespace psmmb {
inline constexpr char DocType[] = "MB001";         // the line's 委外进货单别
inline constexpr char DocNo[] = "MB002";           // the line's 委外进货单号
inline constexpr char LineNo[] = "MB003";          // the line's 序号
inline constexpr char Serial[] = "MB004";          // 产品序号
inline constexpr char Status[] = "MB005";          // the serial's status flag
inline constexpr char QuantityKind[] = "MB006";    // "A" accepted, "B" scrapped, "C" destroyed
inline constexpr char SupplierSerial[] = "MB007";  // 供应商序号
}  // namespace psmmb

// Inspection results, table QMSTD: what a line's quantities must equal.
namespace qmstd {
inline constexpr char Accepted[] = "TDC02";           // accepted quantity
inline constexpr char AcceptedPackages[] = "TDC03";   // accepted packages
inline constexpr char Destroyed[] = "TD007";          // destroyed quantity
inline constexpr char Rejected[] = "TD008";           // rejected quantity
inline constexpr char Scrapped[] = "TD025";           // scrapped quantity
inline constexpr char DestroyedPackages[] = "TD031";  // destroyed packages
inline constexpr char RejectedPackages[] = "TD041";   // rejected packages
inline constexpr char ScrappedPackages[] = "TD042";   // scrapped packages
}  // namespace qmstd

// Arrival lines, table MOCCD: what a line's quantities must not exceed.
namespace moccd {
inline constexpr char Accepted[] = "CD014";           // accepted quantity
inline constexpr char Rejected[] = "CD015";           // rejected quantity
inline constexpr char AcceptedPackages[] = "CD020";   // accepted packages
inline constexpr char RejectedPackages[] = "CD021";   // rejected packages
inline constexpr char Scrapped[] = "CD022";           // scrapped quantity
inline constexpr char ScrappedPackages[] = "CD023";   // scrapped packages
inline constexpr char Destroyed[] = "CD024";          // destroyed quantity
inline constexpr char DestroyedPackages[] = "CD025";  // destroyed packages
}  // namespace moccd

}  // namespace ktrb
