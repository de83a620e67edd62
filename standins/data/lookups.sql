-- Lookup windows and lookup combos served by the lookup provider.
-- Each entry: "-- @lookup KIND SUBKIND  description", directive lines, one
-- SELECT. Its parameters ?1, ?2 ... are the request's extra values (a single
-- value or an array) in order; :text is the text the lookup starts from.
-- Directives: @display (captions of the columns in order, ";"-separated, a
-- caption may carry "$" and a display code), @display-eng (the same for the
-- English user interface), @return (the fields handed back), @money and
-- @price (fields hidden without the matching right), @map FIELD (lines of
-- "shown text|stored value" joined by ";"), @search (the code and the name
-- column the host's lookup window filters on, "code,name"; without it the
-- first two columns).

-- @lookup CMSMQ 01  document types of a nature
-- @display 单别;单别名称;单据性质;编码方式
-- @display-eng Type;Name;Nature;Numbering
-- @return MQ001,MQ002
-- @map MQ004 日编|1;月编|2;流水号|3;手动|4
SELECT MQ001, MQ002, MQ003, MQ004 FROM CMSMQ WHERE MQ003 = ?1 ORDER BY MQ001

-- @lookup CMSMB 01  factories
-- @display 工厂;工厂名称;地址
-- @display-eng Factory;Name;Address
-- @return MB001,MB002
SELECT MB001, MB002, MB003 FROM CMSMB ORDER BY MB001

-- @lookup CMSME 01  departments
-- @display 部门;部门名称
-- @display-eng Department;Name
-- @return ME001,ME002
SELECT ME001, ME002 FROM CMSME ORDER BY ME001

-- @lookup PURMA 02  suppliers that may trade
-- @display 供应商;简称;全称;币种;付款条件;税率$%
-- @display-eng Supplier;Short name;Name;Currency;Terms;Tax rate$%
-- @return MA001,MA002
SELECT MA001, MA002, MA003, MA021, MA025, MA064 FROM PURMA WHERE MA016 <> '3' ORDER BY MA001

-- @lookup PURMA 01  suppliers
-- @display 供应商;简称;全称
-- @display-eng Supplier;Short name;Name
-- @return MA001,MA002
SELECT MA001, MA002, MA003 FROM PURMA ORDER BY MA001

-- @lookup CMSMF 01  currencies
-- @display 币种;币种名称;单价小数;金额小数
-- @display-eng Currency;Name;Price decimals;Amount decimals
-- @return MF001,MF002
SELECT MF001, MF002, MF003, MF004 FROM CMSMF ORDER BY MF001

-- @lookup CMSNA 01  payment terms of a kind
-- @display 付款条件;名称;天数
-- @display-eng Terms;Name;Days
-- @return NA002,NA003
SELECT NA002, NA003, NA004 FROM CMSNA WHERE NA001 = ?1 ORDER BY NA002

-- @lookup CMSNO 01  projects
-- @display 项目编号;项目名称
-- @display-eng Project;Name
-- @return NO001,NO002
SELECT NO001, NO002 FROM CMSNO ORDER BY NO001

-- @lookup INVMB 01  items
-- @display 品号;品名;规格;库存单位;主要仓库;库存数量;库存金额
-- @display-eng Item;Name;Specification;Unit;Warehouse;Stock;Stock value
-- @return MB001,MB002,MB003
-- @money MB065
SELECT MB001, MB002, MB003, MB004, MB017, MB064, MB065 FROM INVMB ORDER BY MB001

-- @lookup BOMMI 01  engineering items
-- @display 工程品号;品名;规格;单位;参考单价
-- @display-eng Engineering item;Name;Specification;Unit;Reference price
-- @return MI001,MI002,MI003
-- @price MI010
SELECT MI001, MI002, MI003, MI004, MI010 FROM BOMMI ORDER BY MI001

-- @lookup INVMD 01  units of an item: its stock unit and its converted units
-- @display 单位;换算分子;换算分母
-- @display-eng Unit;Numerator;Denominator
-- @return MD002
SELECT MB004 AS MD002, 1 AS MD003, 1 AS MD004 FROM INVMB WHERE MB001 = ?1
UNION ALL
SELECT MD002, MD003, MD004 FROM INVMD WHERE MD001 = ?1

-- @lookup CMSMC 01  warehouses of a factory
-- @display 仓库;仓库名称;工厂;仓库性质
-- @display-eng Warehouse;Name;Factory;Kind
-- @return MC001,MC002
-- @map MC004 存货仓|1;非存货仓|2;报废仓|3
SELECT MC001, MC002, MC003, MC004 FROM CMSMC WHERE (IFNULL(?1, '') = '' OR MC003 = ?1) ORDER BY MC001

-- @lookup CMSMC 06  stock warehouses of a factory (lines with a work order)
-- @display 仓库;仓库名称;工厂
-- @display-eng Warehouse;Name;Factory
-- @return MC001,MC002
SELECT MC001, MC002, MC003 FROM CMSMC WHERE (IFNULL(?1, '') = '' OR MC003 = ?1) AND MC004 = '1' ORDER BY MC001

-- @lookup CMSNI 01  storage locations of a warehouse
-- @display 库位;库位名称
-- @display-eng Location;Name
-- @return NI002,NI003
SELECT NI002, NI003 FROM CMSNI WHERE NI001 = ?1 ORDER BY NI002

-- @lookup MOCTA 72  open subcontract work orders for a receipt line
-- @display 工单单别;工单单号;开单日期;品号;品名;规格;预计产量;已入库;加工单价;币种;状态
-- @display-eng Type;Number;Date$D;Item;Name;Specification;Planned;Received;Price;Currency;Status
-- @return TA001,TA002
-- @search TA002,TA034
-- @price TA022
-- @map TA011 未生产|1;已发料|2;生产中|3;已完工|Y;指定完工|y
SELECT TA001, TA002, TA003, TA006, TA034, TA035, TA015, TA017, TA022, TA042, TA011 FROM MOCTA
WHERE TA030 = ?1 AND TA013 = 'Y' AND TA011 NOT IN ('Y', 'y')
  AND (IFNULL(?2, '') = '' OR TA021 = ?2) AND (IFNULL(?6, '') = '' OR TA032 = ?6)
  AND (IFNULL(?8, '') = '' OR TA042 = ?8)
  AND (IFNULL(?11, '') IN ('', '********************') OR TA060 = ?11)
ORDER BY TA001, TA002

-- @lookup MOCTA 71  open subcontract work orders of an item for a receipt line
-- @display 工单单别;工单单号;开单日期;品号;品名;预计产量;已入库;加工单价
-- @display-eng Type;Number;Date$D;Item;Name;Planned;Received;Price
-- @return TA001,TA002
-- @search TA002,TA034
-- @price TA022
SELECT TA001, TA002, TA003, TA006, TA034, TA015, TA017, TA022 FROM MOCTA
WHERE TA030 = ?1 AND TA013 = 'Y' AND TA011 NOT IN ('Y', 'y')
  AND (IFNULL(?2, '') = '' OR TA021 = ?2) AND (IFNULL(?6, '') = '' OR TA032 = ?6)
  AND (IFNULL(?7, '') = '' OR TA042 = ?7)
ORDER BY TA001, TA002

-- @lookup SFCTA 06  processes of a work order
-- @display 工艺;工艺名称;加工顺序;加工单价
-- @display-eng Process;Name;Sequence;Price
-- @return TA004,TA024
-- @search TA004,MW002
-- @price TA024
SELECT TA004, IFNULL(MW002, '') AS MW002, TA003, TA024 FROM SFCTA LEFT JOIN CMSMW ON MW001 = TA004
WHERE TA001 = ?1 AND TA002 = ?2 ORDER BY TA003

-- @lookup MOCCD 01  open arrival lines of the supplier
-- @display 到货单别;到货单号;序号;品号;品名;规格;到货数量;已进货;工单单别;工单单号
-- @display-eng Type;Number;Line;Item;Name;Specification;Arrived;Received;WO type;WO number
-- @return CD001,CD002,CD003
-- @search CD002,CD005
SELECT CD001, CD002, CD003, CD004, CD005, CD006, CD008, CD010, CD011, CD012
FROM MOCCD JOIN MOCCC ON CC001 = CD001 AND CC002 = CD002
WHERE CC005 = ?1 AND (IFNULL(?2, '') = '' OR CC004 = ?2) AND (IFNULL(?3, '') = '' OR CD004 = ?3)
  AND (IFNULL(?4, '') = '' OR CD001 = ?4) AND (IFNULL(?5, '') = '' OR CD002 = ?5)
  AND (IFNULL(?6, '') IN ('', '********************') OR CD016 = ?6)
  AND CD019 <> 'Y' AND CC006 = 'Y'
ORDER BY CD001, CD002, CD003

-- @lookup QMSTD 04  confirmed inspection results of the supplier's arrival lines
-- @display 到货单别;到货单号;序号;检验批次;品号;验收数量;验退数量;报废数量;破坏数量
-- @display-eng Type;Number;Line;Batch;Item;Accepted;Returned;Scrapped;Destroyed
-- @return TD001,TD002,TD003,TDC01
-- @search TD002,TD004
SELECT TD001, TD002, TD003, TDC01, TD004, TDC02, TD008, TD025, TD007
FROM QMSTD JOIN MOCCC ON CC001 = TD001 AND CC002 = TD002
WHERE TD006 = 'Y' AND CC005 = ?1 AND (IFNULL(?2, '') = '' OR CC004 = ?2)
ORDER BY TD001, TD002, TD003, TDC01

-- @lookup MOCTI 60  lines of a receipt (lookup window header)
-- @display 进货单别;进货单号;序号;品号;品名;进货数量;验收数量;委外单价;加工金额;工单单别;工单单号;审核码
-- @display-eng Type;Number;Line;Item;Name;Received;Accepted;Price;Amount;WO type;WO number;Confirmed
-- @return TI001,TI002,TI003
-- @search TI004,TI005
-- @price TI024
-- @money TI025
-- @pmid KTRB52
-- @link MOCB02,TI013,TI014,TA001,TA002
-- @map TI037 未审核|N;已审核|Y;作废|V
SELECT TI001, TI002, TI003, TI004, TI005, TI007, TI019, TI024, TI025, TI013, TI014, TI037 FROM MOCTI
WHERE TI001 = ?1 AND TI002 = ?2 ORDER BY TI003

-- @lookup ACPTB 60  payable state of the lines of a receipt (lookup window body, by TI003)
-- @display 序号;应付凭单别;应付凭单号;应付凭单序号;开票码;已开票数量;已开票扣款;原币税前金额;原币税额
-- @display-eng Line;AP type;AP number;AP line;Invoiced$L;Invoiced qty;Invoiced deduction;Amount;Tax
-- @return TI003,TI029,TI030,TI031
-- @search TI003,TI029
-- @money TI053,TI044,TI045
-- @pmid KTRB52
SELECT TI003, TI029, TI030, TI031, TI038, TI052, TI053, TI044, TI045 FROM MOCTI
WHERE TI001 = ?1 AND TI002 = ?2 ORDER BY TI003

-- @lookup CMSMG 01  exchange rates of a currency
-- @display 币种;生效日期$D;银行买进汇率;银行卖出汇率
-- @display-eng Currency;Effective$D;Buying rate;Selling rate
-- @return MG004,MG002
-- @search MG002,MG001
SELECT MG001, MG002, MG003, MG004 FROM CMSMG WHERE MG001 = ?1 ORDER BY MG002 DESC

-- @lookup INVML 03  lots of an item (a receipt line's lot number)
-- @display 批号;批号说明;最早入库日$D;有效日期$D;复检日期$D
-- @display-eng Lot;Description;First receipt$D;Expiry$D;Re-test$D
-- @return ME002
-- @search ME002,ME004
SELECT ME002, ME004, ME003, ME009, ME010 FROM INVME WHERE ME001 = ?1 ORDER BY ME002

-- @lookup INVML 01  stock of an item by warehouse (lookup window)
-- @display 品号;仓库;仓库名称;库存数量;默认库位;工厂
-- @display-eng Item;Warehouse;Name;Stock;Location;Factory
-- @return MC001,MC002
-- @search MC002,MC002C
-- @link INVB01,MC001,MC001,MB001,MB001
SELECT INVMC.MC001 AS MC001, INVMC.MC002 AS MC002, IFNULL(CMSMC.MC002, '') AS MC002C, MC007, MC015,
       IFNULL(CMSMC.MC003, '') AS MC003
FROM INVMC LEFT JOIN CMSMC ON CMSMC.MC001 = INVMC.MC002
WHERE INVMC.MC001 = ?1 AND (IFNULL(?3, '') = '' OR IFNULL(CMSMC.MC003, '') IN ('', ?3))
ORDER BY INVMC.MC002

-- @lookup MOCMA 01  subcontract prices of an item at a supplier (unit, price, process, tax)
-- @display 计价单位;单价;供应商;工艺;工艺名称;品号;品名;币种;检验方式;单价含税
-- @display-eng Unit;Price;Supplier;Process;Process name;Item;Name;Currency;Inspection;Tax incl.$L
-- @return MB004,MD005,MD001,MD003,MW002,MD002,MB002,MA021,MD004,MA017
-- @search MD003,MW002
-- @price MD005
-- @pmid KTRB52
-- @map MD004 免检|0;抽检|1;全检|2
SELECT IFNULL(MB004, '') AS MB004, MD005, MD001, MD003, IFNULL(MW002, '') AS MW002, MD002,
       IFNULL(MB002, '') AS MB002, IFNULL(MA021, '') AS MA021, MD004, IFNULL(MA017, 'N') AS MA017
FROM PURMD LEFT JOIN INVMB ON MB001 = MD002 LEFT JOIN PURMA ON MA001 = MD001
LEFT JOIN CMSMW ON MW001 = MD003
WHERE MD002 = ?1 AND (IFNULL(?2, '') = '' OR MD001 = ?2) AND (IFNULL(?3, '') = '' OR IFNULL(MA021, '') = ?3)
ORDER BY MD001, MD003

-- @lookup MOCMA 02  subcontract prices of an item's process at a supplier
-- @display 品号;工艺;单价;供应商
-- @display-eng Item;Process;Price;Supplier
-- @return MD002,MD003,MD005
-- @search MD003,MD001
-- @price MD005
SELECT MD002, MD003, MD005, MD001 FROM PURMD LEFT JOIN PURMA ON MA001 = MD001
WHERE MD002 = ?1 AND (IFNULL(?2, '') = '' OR MD001 = ?2) AND (IFNULL(?3, '') = '' OR IFNULL(MA021, '') = ?3)
  AND (IFNULL(?4, '') IN ('', '****') OR MD003 = ?4)
ORDER BY MD001, MD003

-- @lookup BOMMF 02  processes of an item with their subcontract price
-- @display 工艺;单价;工艺名称;供应商
-- @display-eng Process;Price;Process name;Supplier
-- @return MD003,MD005
-- @search MD003,MW002
-- @price MD005
SELECT MD003, MD005, IFNULL(MW002, '') AS MW002, MD001 FROM PURMD LEFT JOIN CMSMW ON MW001 = MD003
LEFT JOIN PURMA ON MA001 = MD001
WHERE MD002 = ?1 AND (IFNULL(?3, '') = '' OR IFNULL(MA021, '') = ?3) ORDER BY MD003, MD001

-- @lookup MOCTN 01  subcontract price history of an item (lookup window)
-- @display 进货单别;进货单号;序号;进货日期$D;供应商;供应商简称;委外单价;计价单位;币种;验收数量
-- @display-eng Type;Number;Line;Date$D;Supplier;Supplier name;Price;Unit;Currency;Accepted
-- @return TI001,TI002,TI003
-- @search TI002,MA002
-- @price TI024
-- @pmid KTRB52
-- @link KTRB52,TI001,TI002,TH001,TH002
SELECT TI001, TI002, TI003, TH003, TH005, IFNULL(MA002, '') AS MA002, TI024, TI023, TH007, TI019
FROM MOCTI JOIN MOCTH ON TH001 = TI001 AND TH002 = TI002 LEFT JOIN PURMA ON MA001 = TH005
WHERE TI004 = ?1 AND TH023 <> 'V' ORDER BY TH003 DESC, TI001, TI002, TI003

-- @lookup INVLD 01  projects (a receipt line without the project parameter)
-- @display 项目编号;项目名称
-- @display-eng Project;Name
-- @return NO001,NO002
SELECT NO001, NO002 FROM CMSNO ORDER BY NO001

-- @lookup BMSMB 01  serial encoding formats
-- @display 编码格式;格式名称
-- @display-eng Format;Name
-- @return MB001,MB002
SELECT MB001, MB002 FROM BMSMB ORDER BY MB001

-- @lookup INVME 01  lots
-- @display 批号;品号;批号说明;有效日期
-- @display-eng Lot;Item;Description;Expiry date
-- @return ME002,ME004
-- @search ME002,ME004
SELECT ME002, ME001, ME004, ME009 FROM INVME ORDER BY ME001, ME002

-- @lookup COPMA 05  customers that may trade
-- @display 客户;简称;全称
-- @display-eng Customer;Short name;Name
-- @return MA001,MA002
SELECT MA001, MA002, MA003 FROM COPMA WHERE MA012 = '1' AND MA013 = 'Y' ORDER BY MA001
