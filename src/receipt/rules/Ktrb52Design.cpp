// The design of the receipt data module: the three nested data sets with
// their persistent fields (the record formats the provider "pvdMain"
// delivers), the editor settings of their fields, and the one table that
// binds every handler of the module to its field or data set by name.
#include <cstdint>
#include <vector>

#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
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
    {"TH001", S, 4, "委外进货单别", 4, kNone},
    {"TH001C", S, 10, "单别名称", 10, kNone},
    {"TH002", S, 11, "委外进货单号", 11, kNone},
    {"TH029", S, 8, "单据日期", 10, kNone},
    {"TH005", S, 10, "委外供应商", 10, kNone},
    {"TH005C", S, 20, "供应商名称", 20, kNone},
    {"TH004", S, 6, "工厂", 6, kNone},
    {"TH004C", S, 20, "工厂名称", 20, kNone},
    {"TH038", S, 6, "部门编码", 0, kNone},
    {"TH038C", S, 20, "部门名称", 0, kNone},
    {"TH025", F, 0, "打印", 1, kNone},
    {"TH011", S, 20, "税号", 20, kNone},
    {"TH012", S, 1, "发票种类", 18, kNone},
    {"TH013", S, 8, "发票日期", 10, kNone},
    {"TH014", S, 10, "发票号码", 10, kNone},
    {"TH015", S, 1, "税种", 10, kNone},
    {"TH016", S, 1, "扣抵区分", 20, H},
    {"TH028", S, 6, "申报年月", 6, H},
    {"TH030", F, 0, "税率", 10, kNone},
    {"TH007", S, 4, "币种", 6, kNone},
    {"TH008", F, 0, "汇率", 0, kNone},
    {"TH006", S, 20, "供应商单号", 20, kNone},
    {"TH033", S, 6, "付款条件编号", 6, kNone},
    {"TH033C", S, 30, "付款条件名称", 30, kNone},
    {"TH010", S, 255, "备注", 20, kNone},
    {"TH009", F, 0, "件数", 10, kNone},
    {"TH026", S, 1, "自动扣料", 1, R},
    {"TH035", S, 1, "厂供料自动扣料", 1, R},
    {"TH022", F, 0, "总验收数量", 10, kNone},
    {"TH021", F, 0, "本币进货费用", 10, kNone},
    {"TH018", F, 0, "原币加工金额", 10, kNone},
    {"TH019", F, 0, "原币扣款金额", 10, kNone},
    {"TH027", F, 0, "原币税前金额", 10, kNone},
    {"TH020", F, 0, "原币税额", 10, kNone},
    {"TH027C", F, 0, "原币金额合计", 10, kNone},
    {"TH031", F, 0, "本币税前金额", 10, kNone},
    {"TH032", F, 0, "本币税额", 10, kNone},
    {"TH032C", F, 0, "本币金额合计", 10, kNone},
    {"TH023", S, 1, "审核码", 10, kNone},
    {"TH036", S, 1, "签核状态", 20, R},
    {"COMPANY", S, 10, "", 0, H},
    {"CREATOR", S, 10, "", 0, H},
    {"USR_GROUP", S, 10, "", 0, H},
    {"CREATE_DATE", S, 17, "", 23, H},
    {"MODIFIER", S, 10, "", 0, H},
    {"MODI_DATE", S, 17, "", 23, H},
    {"FLAG", F, 0, "", 0, H},
    {"qryBody", N, 0, "", 0, H},
    {"MQ024C", S, 1, "品号输入方式", 0, H},
    {"TH001C2", S, 2, "单据性质", 0, H},
    {"TH017", S, 1, "保留字段", 0, H},
    {"TH001C1", S, 1, "核对工单", 0, H},
    {"TH024", S, 1, "生产记录更新码", 0, H},
    {"TH034", F, 0, "总验收包装量", 0, H},
    {"TH042", F, 0, "总进货数量", 0, R},
    {"TH043", F, 0, "总进货包装量", 0, HR},
    {"TH005C1", S, 1, "税额", 0, H},
    {"TH003", S, 8, "委外进货日期", 10, H},
    {"TH037", F, 0, "传送次数", 0, R},
    {"MQ042C", S, 1, "", 0, H},
    {"MQ043C", S, 1, "", 0, H},
    {"TH001C3", S, 1, "单据输入工程品号", 0, H},
    {"MQC03C", S, 1, "核对到货", 0, H},
    {"MQC04C", S, 1, "核对检验", 0, H},
    {"TH045", S, 20, "项目编号", 0, kNone},
    {"TH045C", S, 255, "项目名称", 20, kNone},
};

// Lines (MOCTI), in the order of the data set.
const std::vector<TFieldDesign> kLineFields = {
    {"TI003", S, 4, "序号", 4, kNone},
    {"TIC01", S, 1, "类型", 10, kNone},
    {"TI004", S, 20, "品号", 20, kNone},
    {"TI005", S, 60, "品名", 30, R},
    {"TI006", S, 60, "规格", 30, R},
    {"TI007", F, 0, "进货数量", 10, kNone},
    {"TI008", S, 4, "单位", 6, kNone},
    {"TI009", S, 10, "进货仓库", 10, kNone},
    {"TI009C", S, 20, "仓库名称", 20, R},
    {"TI060", S, 10, "库位", 10, kNone},
    {"TI010", S, 20, "批号", 20, kNone},
    {"TI055", S, 80, "批号说明", 20, kNone},
    {"TI054", S, 8, "生产日期", 12, kNone},
    {"TI011", S, 8, "有效日期", 12, R},
    {"TI012", S, 8, "复检日期", 12, R},
    {"TI013", S, 4, "工单单别", 4, kNone},
    {"TI014", S, 11, "工单单号", 11, kNone},
    {"TI014C1", S, 4, "订单单别", 4, R},
    {"TI014C2", S, 11, "订单单号", 11, R},
    {"TI014C3", S, 4, "订单序号", 4, R},
    {"TI048", S, 1, "急料", 1, kNone},
    {"TI015", S, 4, "工艺", 4, kNone},
    {"TI015C", S, 12, "工艺名称", 12, R},
    {"TI018", S, 8, "验收日期", 12, kNone},
    {"TI019", F, 0, "验收数量", 10, kNone},
    {"TI021", F, 0, "报废数量", 10, kNone},
    {"TI056", F, 0, "破坏数量", 10, kNone},
    {"TI022", F, 0, "验退数量", 10, kNone},
    {"TI020", F, 0, "计价数量", 10, kNone},
    {"TI023", S, 4, "计价单位", 6, kNone},
    {"TIC02", S, 4, "委外到货单别", 4, kNone},
    {"TIC03", S, 11, "委外到货单号", 11, kNone},
    {"TIC04", S, 4, "委外到货序号", 4, kNone},
    {"TIC05", S, 4, "检验批次", 4, kNone},
    {"TI016", F, 0, "进货包装数量", 10, kNone},
    {"TI017", F, 0, "验收包装数量", 10, kNone},
    {"TI050", F, 0, "报废包装数量", 10, kNone},
    {"TI057", F, 0, "破坏包装数量", 10, kNone},
    {"TI051", F, 0, "验退包装数量", 10, kNone},
    {"TI049", S, 4, "包装单位", 4, R},
    {"TI024", F, 0, "委外单价", 10, kNone},
    {"TI025", F, 0, "加工金额", 10, kNone},
    {"TI026", F, 0, "扣款金额", 10, kNone},
    {"TI027", F, 0, "进货费用", 10, R},
    {"TI044", F, 0, "原币税前金额", 10, R},
    {"TI045", F, 0, "原币税额", 10, kNone},
    {"TI046", F, 0, "本币税前金额", 10, kNone},
    {"TI047", F, 0, "本币税额", 10, kNone},
    {"TI028", S, 20, "扣款说明", 20, kNone},
    {"TI033", S, 1, "暂不付款", 1, R},
    {"TI034", S, 1, "超期码", 1, kNone},
    {"TI035", S, 1, "检验状态", 1, R},
    {"TI036", S, 1, "验退码", 1, R},
    {"TI032", S, 20, "项目编号", 20, kNone},
    {"TI040", S, 255, "备注", 20, kNone},
    {"TI038", S, 1, "开票码", 1, R},
    {"TI052", F, 0, "已开票数量", 10, R},
    {"TI053", F, 0, "已开票扣款金额", 10, R},
    {"TI041", S, 1, "生成分录-成本", 1, R},
    {"TI042", S, 1, "生成分录-费用", 1, R},
    {"TI043", S, 10, "审核者", 10, R},
    {"TI043C", S, 10, "审核者名称", 10, R},
    {"TI037", S, 1, "审核码", 10, R},
    {"TI059", S, 1, "报废码", 1, R},
    {"TI069", S, 1, "暂估码", 1, R},
    {"TI004MB454", S, 1, "产品序号管理", 1, R},
    {"TI062", F, 0, "库存数量", 0, HR},
    {"TI061", S, 4, "库存单位", 0, HR},
    {"TI058", F, 0, "折算率", 10, H},
    {"FLAG", F, 0, "", 0, H},
    {"MODI_DATE", S, 17, "", 23, H},
    {"MODIFIER", S, 10, "", 0, H},
    {"CREATE_DATE", S, 17, "", 23, H},
    {"USR_GROUP", S, 10, "", 0, H},
    {"CREATOR", S, 10, "", 0, H},
    {"COMPANY", S, 10, "", 0, H},
    {"TI031", S, 4, "应付凭单序号", 4, HR},
    {"TI030", S, 11, "应付凭单号", 11, HR},
    {"TI029", S, 4, "应付凭单别", 4, HR},
    {"TI004C2", S, 20, "库存品号", 0, H},
    {"TI007C", F, 0, "进货数量旧值", 0, H},
    {"TI004C1", S, 1, "检验码", 0, H},
    {"TI004C", S, 1, "批号管理", 0, H},
    {"TI002", S, 11, "委外进货单号", 0, H},
    {"TI001", S, 4, "委外进货单别", 0, H},
    {"TI039", S, 1, "更新码", 1, H},
    {"TI016C", F, 0, "进货包装数量旧值", 0, H},
    {"MB091C", S, 1, "定重", 0, H},
    {"TI004C3", F, 0, "", 0, H},
    {"TI004C4", F, 0, "", 0, H},
    {"TI004C7", F, 0, "", 0, H},
    {"TI004C8", F, 0, "", 0, H},
    {"TI004C9", F, 0, "", 0, H},
    {"TI004C5", F, 0, "", 0, H},
    {"TI004C6", F, 0, "", 0, H},
    {"TI011C", F, 0, "", 0, H},
    {"TI012C", F, 0, "", 0, H},
    {"TI004C10", S, 1, "", 0, H},
    {"TI004C11", F, 0, "品号税率", 0, H},
    {"TI004C12", S, 20, "", 0, H},
    {"TI004C13", F, 0, "INVMB402", 0, H},
    {"TI004C14", F, 0, "INVMB403", 0, H},
    {"TI013C1", S, 1, "", 0, H},
    {"TI013C2", S, 8, "", 0, H},
    {"TI004C15", F, 0, "", 0, H},
    {"TI004C16", F, 0, "", 0, H},
    {"TI004C17", S, 4, "", 0, H},
    {"TA073C", S, 15, "配置方案", 0, H},
    {"TIC06", S, 4, "检验次数", 0, H},
    {"TI010_OLD", S, 20, "", 0, H},
    {"qryFoot", N, 0, "", 0, H},
    {"TI004_OLD", S, 20, "", 0, H},
};

// Serial numbers (PSMMB), in the order of the data set.
const std::vector<TFieldDesign> kSerialFields = {
    {"CHECKED", S, 1, "选择", 5, kNone}, {"MB004", S, 255, "产品序号", 20, kNone},
    {"MB007", S, 1, "供应商序号", 0, H}, {"MB005", S, 1, "", 0, H},
    {"MB006", S, 1, "", 0, H},           {"COMPANY", S, 10, "", 0, H},
    {"CREATOR", S, 10, "", 0, H},        {"CREATE_DATE", S, 17, "", 0, H},
    {"USR_GROUP", S, 10, "", 0, H},      {"MODIFIER", S, 10, "", 0, H},
    {"MODI_DATE", S, 17, "", 0, H},      {"FLAG", F, 0, "", 0, H},
    {"MB003", S, 4, "", 0, H},           {"MB002", S, 15, "", 0, H},
    {"MB001", S, 4, "", 0, H},
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
    {"cdsMain", "TH029", "OnSetText", "DateFieldSetText"},
    {"cdsMain", "TH029", "OnGetText", "DateFieldGetText"},
    {"cdsMain", "TH013", "OnSetText", "DateFieldSetText"},
    {"cdsMain", "TH013", "OnGetText", "DateFieldGetText"},
    {"cdsMain", "TH028", "OnValidate", "YMFieldValidate"},
    {"cdsMain", "TH028", "OnSetText", "YMFieldSetText"},
    {"cdsMain", "TH028", "OnGetText", "YMFieldGetText"},
    {"cdsMain", "TH030", "OnSetText", "PercentFieldSetText"},
    {"cdsMain", "TH030", "OnGetText", "PercentFieldGetText"},
    {"cdsMain", "TH003", "OnValidate", "DateFieldValidate"},
    {"cdsMain", "TH003", "OnSetText", "DateFieldSetText"},
    {"cdsMain", "TH003", "OnGetText", "DateFieldGetText"},
    // lines
    {"cdsBody1", "", "BeforePost", "cdsBody1BeforePost"},
    {"cdsBody1", "", "BeforeDelete", "cdsBody1BeforeDelete"},
    {"cdsBody1", "", "AfterScroll", "cdsBody1AfterScroll"},
    {"cdsBody1", "TI054", "OnValidate", "cdsBody1TI054Validate"},
    {"cdsBody1", "TI054", "OnSetText", "DateFieldSetText"},
    {"cdsBody1", "TI054", "OnGetText", "DateFieldGetText"},
    {"cdsBody1", "TI011", "OnValidate", "DateFieldValidate"},
    {"cdsBody1", "TI011", "OnSetText", "DateFieldSetText"},
    {"cdsBody1", "TI011", "OnGetText", "DateFieldGetText"},
    {"cdsBody1", "TI012", "OnValidate", "DateFieldValidate"},
    {"cdsBody1", "TI012", "OnSetText", "DateFieldSetText"},
    {"cdsBody1", "TI012", "OnGetText", "DateFieldGetText"},
    {"cdsBody1", "TI018", "OnSetText", "DateFieldSetText"},
    {"cdsBody1", "TI018", "OnGetText", "DateFieldGetText"},
    {"cdsBody1", "TI035", "OnValidate", "cdsBody1TI035Validate"},
    {"cdsBody1", "TI060", "OnValidate", "cdsBody1TI060Validate"},
    {"cdsBody1", "TI062", "OnValidate", "cdsBody1TI062Validate"},
    {"cdsBody1", "TI004C11", "OnSetText", "PercentFieldSetText"},
    {"cdsBody1", "TI004C11", "OnGetText", "PercentFieldGetText"},
    // header rules
    {"cdsMain", "", "AfterScroll", "cdsMainAfterScroll"},
    {"cdsMain", "TH001", "OnValidate", "cdsMainTH001Validate"},
    {"cdsMain", "TH002", "OnValidate", "cdsMainTH002Validate"},
    {"cdsMain", "TH029", "OnValidate", "cdsMainTH029Validate"},
    {"cdsMain", "TH004", "OnValidate", "cdsMainTH004Validate"},
    {"cdsMain", "TH005", "OnValidate", "cdsMainTH005Validate"},
    {"cdsMain", "TH007", "OnValidate", "cdsMainTH007Validate"},
    {"cdsMain", "TH008", "OnValidate", "cdsMainTH008Validate"},
    {"cdsMain", "TH009", "OnValidate", "cdsMainTH009Validate"},
    {"cdsMain", "TH011", "OnValidate", "cdsMainTH011Validate"},
    {"cdsMain", "TH012", "OnValidate", "cdsMainTH012Validate"},
    {"cdsMain", "TH013", "OnValidate", "cdsMainTH013Validate"},
    {"cdsMain", "TH015", "OnValidate", "cdsMainTH015Validate"},
    {"cdsMain", "TH030", "OnValidate", "cdsMainTH030Validate"},
    {"cdsMain", "TH033", "OnValidate", "cdsMainTH033Validate"},
    {"cdsMain", "TH038", "OnValidate", "cdsMainTH038Validate"},
    {"cdsMain", "TH006", "OnValidate", "cdsMainTH006Validate"},
    {"cdsMain", "TH045", "OnValidate", "cdsMainTH045Validate"},
    {"cdsMain", "TH005", "OnSetText", "cdsMainTH005SetText"},
    // line rules
    {"cdsBody1", "TIC01", "OnValidate", "cdsBody1TIC01Validate"},
    {"cdsBody1", "TIC02", "OnValidate", "cdsBody1TIC02Validate"},
    {"cdsBody1", "TIC03", "OnValidate", "cdsBody1TIC03Validate"},
    {"cdsBody1", "TIC04", "OnValidate", "cdsBody1TIC04Validate"},
    {"cdsBody1", "TIC05", "OnValidate", "cdsBody1TIC05Validate"},
    {"cdsBody1", "TI004", "OnValidate", "cdsBody1TI004Validate"},
    {"cdsBody1", "TI013", "OnValidate", "cdsBody1TI013Validate"},
    {"cdsBody1", "TI014", "OnValidate", "cdsBody1TI014Validate"},
    {"cdsBody1", "TI009", "OnValidate", "cdsBody1TI009Validate"},
    {"cdsBody1", "TI010", "OnValidate", "cdsBody1TI010Validate"},
    {"cdsBody1", "TI015", "OnValidate", "cdsBody1TI015Validate"},
    {"cdsBody1", "TI007", "OnValidate", "cdsBody1TI007Validate"},
    {"cdsBody1", "TI008", "OnValidate", "cdsBody1TI008Validate"},
    {"cdsBody1", "TI018", "OnValidate", "cdsBody1TI018Validate"},
    {"cdsBody1", "TI019", "OnValidate", "cdsBody1TI019Validate"},
    {"cdsBody1", "TI021", "OnValidate", "cdsBody1TI021Validate"},
    {"cdsBody1", "TI056", "OnValidate", "cdsBody1TI056Validate"},
    {"cdsBody1", "TI022", "OnValidate", "cdsBody1TI022Validate"},
    {"cdsBody1", "TI020", "OnValidate", "cdsBody1TI020Validate"},
    {"cdsBody1", "TI023", "OnValidate", "cdsBody1TI023Validate"},
    {"cdsBody1", "TI016", "OnValidate", "cdsBody1TI016Validate"},
    {"cdsBody1", "TI017", "OnValidate", "cdsBody1TI017Validate"},
    {"cdsBody1", "TI050", "OnValidate", "cdsBody1TI050Validate"},
    {"cdsBody1", "TI057", "OnValidate", "cdsBody1TI057Validate"},
    {"cdsBody1", "TI051", "OnValidate", "cdsBody1TI051Validate"},
    {"cdsBody1", "TI049", "OnValidate", "cdsBody1TI049Validate"},
    {"cdsBody1", "TI024", "OnValidate", "cdsBody1TI024Validate"},
    {"cdsBody1", "TI025", "OnValidate", "cdsBody1TI025Validate"},
    {"cdsBody1", "TI026", "OnValidate", "cdsBody1TI026Validate"},
    {"cdsBody1", "TI045", "OnValidate", "cdsBody1TI045Validate"},
    {"cdsBody1", "TI047", "OnValidate", "cdsBody1TI047Validate"},
    {"cdsBody1", "TI004", "OnSetText", "cdsBody1TI004SetText"},
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
