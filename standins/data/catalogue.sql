-- The validator's query catalogue: table name + two-digit query number.
-- Each entry is the line "-- @query TABLE NN  description" followed by one
-- SELECT. Its parameters ?1, ?2 ... are the caller's key values in order
-- (missing keys bind as empty text, Unassigned as NULL). Its result columns
-- are named V1, V2 ... : column Vn is look-up value n. The validator
-- answers the first row's values from element 0, [V1 .. Vn]; the data
-- module puts the count in front, so the rules read value n at position n.
-- An entry that names a column V0 answers [V0, V1 .. Vn] instead.
-- Positions without a column answer an empty text.

-- @query ADMMB 06  program master row of a program (plain reply)
SELECT MB002 AS V0, MB003 AS V1, MB004 AS V2, MB005 AS V3, MB006 AS V4, MB007 AS V5,
       MB008 AS V6, MB009 AS V7, MB010 AS V8, MB011 AS V9
FROM ADMMB WHERE MB001 = ?1

-- @query CMSMB 01  factory name
SELECT MB002 AS V1, MB003 AS V2 FROM CMSMB WHERE MB001 = ?1

-- @query CMSMB 02  default factory (keyed by the document date)
SELECT MB001 AS V1, MB002 AS V2 FROM CMSMB ORDER BY CASE WHEN MB010 = 'Y' THEN 0 ELSE 1 END, MB001 LIMIT 1

-- @query MOCTH 01  receipt number already taken
SELECT TH001 AS V1, TH002 AS V2 FROM MOCTH WHERE TH001 = ?1 AND TH002 = ?2

-- @query MOCTH 05  supplier document number used by a receipt (adding)
SELECT TH001 AS V1, TH002 AS V2 FROM MOCTH
WHERE TH006 = ?1 AND TRIM(TH006) <> '' AND TH023 <> 'V' LIMIT 1

-- @query MOCTH 06  supplier document number used by another receipt (changing)
SELECT TH001 AS V1, TH002 AS V2 FROM MOCTH
WHERE TH006 = ?1 AND TRIM(TH006) <> '' AND TH023 <> 'V' AND NOT (TH001 = ?2 AND TH002 = ?3) LIMIT 1

-- @query C 85  document type of a receipt: name, nature, numbering, checks
SELECT MQ002 AS V1, MQ003 AS V2, MQ004 AS V3, MQ007 AS V4, MQ008 AS V5, MQ009 AS V6, MQ024 AS V7
FROM CMSMQ WHERE MQ001 = ?1 AND MQ003 = ?2

-- @query ADMMQ 02  sign-off document type and fields, one row per field (flow 1, field 3, table 4, label 5)
SELECT MQ002 AS V0, MQ003 AS V1, MQ004 AS V2, IFNULL(MR004, '') AS V3, IFNULL(MR005, '') AS V4, IFNULL(MR007, '') AS V5
FROM ADMMQ LEFT JOIN ADMMR ON MR001 = MQ001 AND MR002 = MQ002
WHERE MQ001 = ?1 AND MQ002 = ?2 ORDER BY MR003

-- @query PURMA 01  supplier
SELECT MA002 AS V1, MA021 AS V2, MA025 AS V3, MA003 AS V4, MA005 AS V6, MA016 AS V13, MA017 AS V14,
       MA030 AS V17, MA044 AS V18, MA064 AS V31
FROM PURMA WHERE MA001 = ?1

-- @query CMSMF 01  currency
SELECT MF002 AS V1, MF003 AS V2, MF004 AS V3, MF005 AS V4, MF006 AS V5 FROM CMSMF WHERE MF001 = ?1

-- @query CMSNA 01  payment terms by kind
SELECT NA003 AS V1, NA004 AS V2 FROM CMSNA WHERE NA001 = ?1 AND NA002 = ?2

-- @query CMSME 01  department
SELECT ME002 AS V1 FROM CMSME WHERE ME001 = ?1

-- @query CMSNO 01  project
SELECT NO002 AS V1 FROM CMSNO WHERE NO001 = ?1

-- @query QMSMA 01  quality settings: value 5 inspection in use
SELECT MA001 AS V1, MA002 AS V2, MA005 AS V5 FROM QMSMA ORDER BY MA001 LIMIT 1

-- @query MOCTA 25  work order whose supplier, currency and tax terms match the receipt
SELECT TA001 AS V1, TA002 AS V2 FROM MOCTA
WHERE TA001 = ?1 AND TA002 = ?2 AND TA032 = ?3 AND TA042 = ?4 AND TA054 = ?5
  AND ABS(TA053 - CAST(?6 AS REAL)) < 0.0000001

-- @query INVMB 01  item name
SELECT MB002 AS V1, MB003 AS V2, MB004 AS V3 FROM INVMB WHERE MB001 = ?1

-- @query INVMB 03  item master row for a receipt line
SELECT MB002 AS V1, MB003 AS V2, MB022 AS V3, MB023 AS V4, MB024 AS V5, MB025 AS V6, MB004 AS V7,
       MB017 AS V8, MB042 AS V9, MB043 AS V10, IFNULL(MC002, '') AS V14, MB090 AS V27, MB091 AS V28,
       MB035 AS V36, MB198 AS V57, MB148 AS V69, MB149 AS V70, MB199 AS V72, MB454 AS V76
FROM INVMB LEFT JOIN CMSMC ON MC001 = MB017 WHERE MB001 = ?1

-- @query INVMB 04  item price control: 8 control "Y", 9 tolerance
SELECT MB002 AS V1, MB400 AS V8, MB401 AS V9 FROM INVMB WHERE MB001 = ?1

-- @query CMSMQ 14  document type: 3 price ceiling check
SELECT MQ002 AS V1, MQ003 AS V2, MQ010 AS V3 FROM CMSMQ WHERE MQ001 = ?1

-- @query CMSMQ 22  a work-order document type (one of the natures given)
SELECT MQ002 AS V1, MQ003 AS V2 FROM CMSMQ WHERE MQ001 = ?1 AND MQ003 IN (?2, ?3, ?4)

-- @query C 83  arrival line of the supplier: 1 item
SELECT CD004 AS V1, CD005 AS V2 FROM MOCCD JOIN MOCCC ON CC001 = CD001 AND CC002 = CD002
WHERE CD001 = ?1 AND CD002 = ?2 AND CD003 = ?3 AND CC005 = ?4

-- @query C 84  confirmed inspection result with quantity left for this receipt
SELECT TD001 AS V1,
       TDC02 - IFNULL((SELECT SUM(TI019) FROM MOCTI JOIN MOCTH ON TH001 = TI001 AND TH002 = TI002
                       WHERE TIC02 = ?5 AND TIC03 = ?6 AND TIC04 = ?7 AND TIC05 = ?13 AND TH023 <> 'V'
                         AND NOT (TI001 = ?8 AND TI002 = ?9)), 0) AS V2
FROM QMSTD WHERE TD001 = ?1 AND TD002 = ?2 AND TD003 = ?3 AND TDC01 = ?4 AND TD006 = 'Y'

-- @query C 04  engineering item: 2 warehouse, 3 warehouse name
SELECT MI001 AS V1, MI005 AS V2, IFNULL(MC002, '') AS V3 FROM BOMMI LEFT JOIN CMSMC ON MC001 = MI005
WHERE MI001 = ?1

-- @query C 48  engineering item price: 8 standard, 10 reference
SELECT MI001 AS V1, MI002 AS V2, MI008 AS V8, MI010 AS V10 FROM BOMMI WHERE MI001 = ?1

-- @query QMSTD 02  inspection results of a receipt line (blank line number: all lines); 3 state
SELECT TD001 AS V1, TD002 AS V2, TD006 AS V3, TD003 AS V4, TDC01 AS V5 FROM QMSTD
WHERE TD020 = ?1 AND TD021 = ?2 AND (IFNULL(?3, '') = '' OR TD022 = ?3)

-- @query MOCTJ 02  material returns that refer to a receipt line
SELECT TJ001 AS V1, TJ002 AS V2, TJ003 AS V3 FROM MOCTJ WHERE TJ004 = ?1 AND TJ005 = ?2 AND TJ006 = ?3

-- @query BOMMI 01  engineering item: name, spec, unit
SELECT MI002 AS V1, MI003 AS V2, MI004 AS V3 FROM BOMMI WHERE MI001 = ?1

-- @query PURMD 01  supplier terms of an item: 1 inspection code
SELECT MD004 AS V1, MD005 AS V2 FROM PURMD WHERE MD001 = ?1 AND MD002 = ?2 AND MD003 = ?3

-- @query GMPTG 01  lot traced for a document line: 4 item, 7 lot
SELECT TG002 AS V1, TG003 AS V2, TG004 AS V3, TG005 AS V4, TG006 AS V6, TG007 AS V7 FROM GMPTG
WHERE TG001 = ?1 AND TG002 = ?2 AND TG003 = ?3 AND TG004 = ?4

-- @query MOCTA 32  subcontract work order for a receipt line (formal items)
SELECT TA006 AS V1, TA007 AS V2, TA015 AS V3, TA017 AS V5, TA018 AS V6, TA011 AS V7, TA045 AS V8,
       TA021 AS V9, TA013 AS V10, TA034 AS V11, TA035 AS V12, TA032 AS V13, TA010 AS V14, TA020 AS V15,
       TA022 AS V16, TA046 AS V17, TA047 AS V18, IFNULL(MB022, 'N') AS V19, IFNULL(MC002, '') AS V20,
       IFNULL(MB023, 0) AS V21, IFNULL(MB024, 0) AS V22, TA042 AS V26, TA048 AS V27, TA049 AS V28,
       TA050 AS V29, TA051 AS V30, TA052 AS V31, IFNULL(MB091, 'N') AS V32, TA012 AS V33, TA003 AS V34,
       TA026 AS V35, TA027 AS V36, TA028 AS V37, TA053 AS V38, TA054 AS V39, TA055 AS V40, TA056 AS V41,
       IFNULL(MB402, 0) AS V43, TA057 AS V44, TA058 AS V45, TA059 AS V48, IFNULL(MB004, TA007) AS V49,
       IFNULL(MB198, 'N') AS V50, IFNULL(MB199, '1') AS V51, TA073 AS V52
FROM MOCTA LEFT JOIN INVMB ON MB001 = TA006 LEFT JOIN CMSMC ON MC001 = TA020
WHERE TA001 = ?1 AND TA002 = ?2 AND TA030 = ?3
  AND (IFNULL(?10, '') IN ('', '********************') OR TA060 = ?10)

-- @query MOCTA 33  work order for a receipt line (engineering items)
SELECT TA006 AS V1, TA007 AS V2, TA015 AS V3, TA017 AS V5, TA018 AS V6, TA011 AS V7, TA045 AS V8,
       TA021 AS V9, TA013 AS V10, TA034 AS V11, TA035 AS V12, TA032 AS V13, TA010 AS V14, TA020 AS V15,
       TA022 AS V16, TA046 AS V17, TA047 AS V18, IFNULL(MB022, 'N') AS V19, IFNULL(MC002, '') AS V20,
       IFNULL(MB023, 0) AS V21, IFNULL(MB024, 0) AS V22, TA042 AS V26, TA048 AS V27, TA049 AS V28,
       TA050 AS V29, TA051 AS V30, TA052 AS V31, IFNULL(MB091, 'N') AS V32, TA012 AS V33, TA003 AS V34,
       TA026 AS V35, TA027 AS V36, TA028 AS V37, TA053 AS V38, TA054 AS V39, TA055 AS V40, TA056 AS V41,
       IFNULL(MB402, 0) AS V43, TA057 AS V44, TA058 AS V45, TA059 AS V48, IFNULL(MB004, TA007) AS V49,
       IFNULL(MB198, 'N') AS V50, IFNULL(MB199, '1') AS V51, TA073 AS V52
FROM MOCTA LEFT JOIN INVMB ON MB001 = TA006 LEFT JOIN CMSMC ON MC001 = TA020
WHERE TA001 = ?1 AND TA002 = ?2
  AND (IFNULL(?3, '') IN ('', '********************') OR TA060 = ?3)

-- @query SFCTA 04  a process of the work order that is not finished
SELECT TA003 AS V1, TA004 AS V2 FROM SFCTA WHERE TA001 = ?1 AND TA002 = ?2 AND TA032 <> 'Y'
ORDER BY TA003 LIMIT 1

-- @query MOCTA 11  work-order quantities: 5 planned, 7 received, 8 scrapped, 19 rejected
SELECT TA006 AS V1, TA021 AS V2, TA015 AS V5, TA017 AS V7, TA018 AS V8, TA057 AS V19 FROM MOCTA
WHERE TA001 = ?1 AND TA002 = ?2 AND (IFNULL(?3, '') = '' OR TA021 = ?3)

-- @query MOCTA 01  work order: quantities, confirmation code (10), order reference, tax rate, lot (40), returned (44)
SELECT TA006 AS V1, TA007 AS V2, TA015 AS V3, TA017 AS V5, TA018 AS V6, TA013 AS V7, TA013 AS V10,
       TA049 AS V28, TA050 AS V29, TA051 AS V30, TA026 AS V35, TA027 AS V36, TA028 AS V37,
       TA053 AS V38, TA055 AS V40, IFNULL(MB402, 0) AS V43, TA057 AS V44
FROM MOCTA LEFT JOIN INVMB ON MB001 = TA006 WHERE TA001 = ?1 AND TA002 = ?2

-- @query MOCTA 08  work-order confirmation code (1) by factory and nature; 2 production status
SELECT TA013 AS V1, TA011 AS V2 FROM MOCTA WHERE TA001 = ?1 AND TA002 = ?2 AND TA021 = ?3 AND TA030 = ?4

-- @query INVMD 02  the unit is the item's stock unit or has a conversion
SELECT ?2 AS V1 FROM INVMB WHERE MB001 = ?1
  AND (MB004 = ?2 OR EXISTS (SELECT 1 FROM INVMD WHERE MD001 = ?3 AND MD002 = ?4))

-- @query CMSMC 01  warehouse
SELECT MC002 AS V1, MC003 AS V2, MC004 AS V3, MC005 AS V4 FROM CMSMC WHERE MC001 = ?1

-- @query CMSMC 02  warehouse of the factory: 1 name, 3 kind
SELECT MC002 AS V1, MC003 AS V2, MC004 AS V3, MC005 AS V4 FROM CMSMC
WHERE MC001 = ?2 AND (IFNULL(?1, '') = '' OR MC003 = ?1)

-- @query INVMC 01  item in a warehouse: default location (values 12 and 13)
SELECT MC001 AS V1, MC002 AS V2, MC007 AS V7, MC015 AS V12, MC015 AS V13 FROM INVMC
WHERE MC001 = ?1 AND MC002 = ?2

-- @query PSMMA 05  product serial number already registered for the item
SELECT MA001 AS V1, MA005 AS V2, MA006 AS V3, MA004 AS V4 FROM PSMMA WHERE MA001 = ?1 AND MA002 = ?2

-- @query INVME 01  lot: 2 expiry date, 4 re-inspection date, 6 production date, 7 description
SELECT ME003 AS V1, ME009 AS V2, ME010 AS V4, ME011 AS V6, ME004 AS V7 FROM INVME
WHERE ME001 = ?1 AND ME002 = ?2

-- @query CMSMW 01  process name
SELECT MW002 AS V1 FROM CMSMW WHERE MW001 = ?1

-- @query CMSNI 02  storage location of a warehouse
SELECT NI003 AS V1 FROM CMSNI WHERE NI001 = ?1 AND NI002 = ?2

-- @query MOCCD 01  arrival line of the supplier (and project)
SELECT CD004 AS V1, CD005 AS V2, CD006 AS V3, CD007 AS V4, CD008 AS V5, CD010 AS V7, CD009 AS V8,
       CD013 AS V15, CD016 AS V16, CD017 AS V19, CD018 AS V20, CD011 AS V25, CD012 AS V26
FROM MOCCD JOIN MOCCC ON CC001 = CD001 AND CC002 = CD002
WHERE CD001 = ?1 AND CD002 = ?2 AND CD003 = ?3 AND CC005 = ?4
  AND (IFNULL(?5, '') IN ('', '********************') OR CD016 = ?5)

-- @query QMSTD 09  inspection result less what other receipts booked: 2..9 quantities, 10 count
SELECT TD004 AS V1,
       TDC02 - IFNULL(B.Q19, 0) AS V2, TD008 - IFNULL(B.Q22, 0) AS V3, TD007 - IFNULL(B.Q56, 0) AS V4,
       TD025 - IFNULL(B.Q21, 0) AS V5, TDC03 - IFNULL(B.Q17, 0) AS V6, TD041 - IFNULL(B.Q51, 0) AS V7,
       TD031 - IFNULL(B.Q57, 0) AS V8, TD042 - IFNULL(B.Q50, 0) AS V9, TDC04 AS V10
FROM QMSTD LEFT JOIN (
    SELECT SUM(TI019) AS Q19, SUM(TI022) AS Q22, SUM(TI056) AS Q56, SUM(TI021) AS Q21,
           SUM(TI017) AS Q17, SUM(TI051) AS Q51, SUM(TI057) AS Q57, SUM(TI050) AS Q50
    FROM MOCTI JOIN MOCTH ON TH001 = TI001 AND TH002 = TI002
    WHERE TIC02 = ?5 AND TIC03 = ?6 AND TIC04 = ?7 AND TIC05 = ?13 AND TH023 <> 'V'
      AND NOT (TI001 = ?8 AND TI002 = ?9)) B ON 1 = 1
WHERE TD001 = ?1 AND TD002 = ?2 AND TD003 = ?3 AND TDC01 = ?4 AND TD006 = 'Y'

-- @query NUMFD 01  number formats of the columns of the listed tables (rows: column, precision, scale)
SELECT FD002 AS V0, FD003 AS V1, FD004 AS V2 FROM NUMFD
WHERE ',' || REPLACE(?1, ' ', '') || ',' LIKE '%,' || FD001 || ',%' ORDER BY FD001, FD002

-- @query DOCUS 01  saved query scheme of the user and program exists
SELECT NCONDITION AS V1, CREATE_DATE AS V2 FROM DOCUS WHERE NCONDITION = ?1 AND CREATOR = ?2 AND PROGRAMME = ?3

-- @query ADMMD 02  label of a user-defined column
SELECT MD003 AS V1, MD004 AS V2 FROM ADMMD WHERE MD001 = ?1 AND MD002 = ?2

-- @query ADMMD 03  labels of the user-defined columns of a table (rows: field, Chinese, other)
SELECT MD002 AS V0, MD003 AS V1, MD004 AS V2 FROM ADMMD WHERE MD001 = ?1 ORDER BY MD002

-- @query INVME 08  highest lot number of a pattern (keys: item, lowest, highest, length, pattern)
SELECT MAX(ME002) AS V1 FROM INVME
WHERE ME001 = ?1 AND ME002 BETWEEN ?2 AND ?3 AND LENGTH(ME002) = CAST(?4 AS INTEGER) AND ME002 GLOB ?5
HAVING MAX(ME002) IS NOT NULL

-- @query SVJOBQUE 02  sign-off job waiting for a document (keys: company, program, key text)
SELECT SV004 AS V1, SV005 AS V2 FROM SVJOBQUE WHERE SV001 = ?1 AND SV002 = ?2 AND SV003 = ?3

-- @query QRVMA 01  user (the sign-off system's person look-up)
SELECT MF002 AS V1, MF004 AS V2 FROM ADMMF WHERE MF001 = ?1

-- @query BMSMB 01  serial encoding format: 1 code, 2 name
SELECT MB001 AS V1, MB002 AS V2 FROM BMSMB WHERE MB001 = ?1

-- @query PSMMA 02  serial registered for the item and lot
SELECT MA001 AS V1, MA002 AS V2, MA003 AS V3, MA004 AS V4 FROM PSMMA
WHERE MA001 = ?1 AND MA002 = ?2 AND MA003 = ?3

-- @query MSGCHT 01  server message text (Chinese) by kind and code
SELECT MS003 AS V1 FROM MSGCHT WHERE MS001 = ?1 AND MS002 = ?2

-- @query MSGENG 01  server message text (English) by kind and code
SELECT MS003 AS V1 FROM MSGENG WHERE MS001 = ?1 AND MS002 = ?2

-- @query H 62  usable customer: 1 short name, 40 approval status
SELECT MA002 AS V1, MA003 AS V2, MA012 AS V40 FROM COPMA WHERE MA001 = ?1 AND MA013 = 'Y'

-- @query COPMA 13  any customer, usable or not
SELECT MA002 AS V1, MA013 AS V2 FROM COPMA WHERE MA001 = ?1

-- @query MOCTG 04  by-product of a work order (keys: order type, number, product, by-product)
SELECT TG004 AS V1 FROM MOCTG WHERE TG001 = ?1 AND TG002 = ?2 AND TG003 = ?3 AND TG004 = ?4

-- @query MOCTB 60  materials of a work order (rows: 0 material, 1 required, 2 issued, 3 loss rate, 5 composition)
SELECT TB003 AS V0, TB004 AS V1, TB005 AS V2, IFNULL(MB403, 0) AS V3, TB006 AS V4, TB027 AS V5
FROM MOCTB LEFT JOIN INVMB ON MB001 = TB003
WHERE TB001 = ?1 AND TB002 = ?2 AND TB011 NOT IN ('3', '4') AND TB004 <> 0 ORDER BY TB003

-- @query PSMMA 06  serial in the serial master (a supplier's serial is not)
SELECT MA001 AS V1, MA002 AS V2, MA003 AS V3 FROM PSMMA WHERE MA001 = ?1 LIMIT 1

-- @query PSMMA 08  serial in the serial master for the item
SELECT MA001 AS V1, MA002 AS V2, MA003 AS V3 FROM PSMMA WHERE MA001 = ?1 AND MA002 = ?2

-- @query PSMMA 32  serial registered for the item (work-order receipts): 4 batch
SELECT MA001 AS V1, MA002 AS V2, MA004 AS V3, MA005 AS V4, MA003 AS V5 FROM PSMMA
WHERE MA001 = ?1 AND MA002 = ?2

-- @query PSMMA 33  serial registered for the item: 4 batch
SELECT MA001 AS V1, MA002 AS V2, MA004 AS V3, MA005 AS V4, MA003 AS V5 FROM PSMMA
WHERE MA001 = ?1 AND MA002 = ?2

-- @query PSMMA 10  serial registered for the item and batch
SELECT MA001 AS V1, MA002 AS V2, MA003 AS V3 FROM PSMMA WHERE MA001 = ?1 AND MA002 = ?2 AND MA003 = ?3

-- @query PSMMB 08  supplier serial recorded on another receipt: 0 type, 1 number
SELECT MB001 AS V1, MB002 AS V2 FROM PSMMB
WHERE MB004 = ?1 AND MB007 = 'Y' AND substr(MB001 || '    ', 1, 4) || substr(MB002 || '           ', 1, 11) <> ?3
LIMIT 1

-- @query PSMMB 03  serial recorded on another receipt: 0 type, 1 number
SELECT MB001 AS V1, MB002 AS V2 FROM PSMMB
WHERE MB004 = ?1 AND substr(MB001 || '    ', 1, 4) || substr(MB002 || '           ', 1, 11) <> ?3
LIMIT 1

-- @query PSMMC 05  serial registered for the work order
SELECT MC004 AS V1 FROM PSMMC WHERE MC004 = ?1 AND MC001 = ?2 AND MC002 = ?3 LIMIT 1

-- @query PSMMC 10  serials registered for the work order (rows: 0 serial)
SELECT MC004 AS V1 FROM PSMMC WHERE MC001 = ?1 AND MC002 = ?2 AND MC003 = ?3 ORDER BY MC004

-- @query H 37  the line's item is the product of its work order (factory, subcontractor)
SELECT TA006 AS V1 FROM MOCTA
WHERE TA001 = ?1 AND TA002 = ?2 AND TA021 = ?3 AND (TA032 = '' OR TA032 = ?4) AND TA006 = ?5

-- @query ACPTB 01  payable voucher that uses a receipt line: 1 type, 2 number, 3 line
SELECT TB001 AS V1, TB002 AS V2, TB003 AS V3 FROM ACPTB
WHERE TB004 = '2' AND TB005 = ?1 AND TB006 = ?2 AND TB007 = ?3

-- @query ACPTQ 02  payment that uses a source line (kind, type, number, line): 1 type, 2 number, 3 line
SELECT TQ001 AS V1, TQ002 AS V2, TQ003 AS V3 FROM ACPTQ
WHERE TQ004 = ?1 AND TQ005 = ?2 AND TQ006 = ?3 AND TQ007 = ?4

-- @query MOCTI 02  payable voucher that uses any line of a receipt: 1 type, 2 number, 3 line
SELECT TB001 AS V1, TB002 AS V2, TB003 AS V3 FROM ACPTB
WHERE TB004 = '2' AND TB005 = ?1 AND TB006 = ?2
