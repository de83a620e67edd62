#!/usr/bin/env python3
"""Writes standins/data/quarter.sql: a quarter of business (April to June
2024) for the demo company on top of demo.sql, so that a person working in
the demo database finds something in every look-up and query: suppliers in
several currencies, items (some lot- and some serial-controlled), work orders,
arrival notes with inspection results, and a few hundred subcontract receipts
with thousands of lines, confirmed, open and void, with the serial numbers of
their serial-controlled lines.

The same seed gives the same file; run again after a change:
    python3 tools/make_demo_quarter.py
"""
import datetime
import os
import random

SEED = 20240401
OUT = os.path.join(os.path.dirname(__file__), "..", "standins", "data", "quarter.sql")
FIRST_DAY = datetime.date(2024, 4, 1)
LAST_DAY = datetime.date(2024, 6, 28)
TODAY = datetime.date(2024, 6, 28)
NO_LOT = "*" * 20
NO_PROJECT = "*" * 20
NO_LOCATION = "#" * 10

rng = random.Random(SEED)

# code, short name, full name, tax id, currency, payment, invoice kind, tax type, tax rate
SUPPLIERS = [
    ("S011", "鑫盛机加", "东莞鑫盛精密机加工有限公司", "91441900MA4XYZ0011", "RMB", "M30", "2", "2", 0.13),
    ("S012", "宏远表面", "宁波宏远表面处理有限公司", "91330200MA2XYZ0012", "RMB", "M60", "2", "1", 0.13),
    ("S013", "立新注塑", "台州立新注塑制品厂", "91331000MA2XYZ0013", "RMB", "M30", "2", "2", 0.13),
    ("S014", "大和精工", "大和精工株式会社", "", "JPY", "M60", "3", "3", 0.0),
    ("S015", "欧特电子", "欧特电子(欧洲)有限公司", "", "EUR", "COD", "3", "3", 0.0),
    ("S016", "港昌五金", "香港港昌五金贸易有限公司", "", "HKD", "M30", "3", "3", 0.0),
    ("S017", "华鼎电路", "珠海华鼎电路板有限公司", "91440400MA4XYZ0017", "USD", "M30", "2", "2", 0.13),
    ("S018", "晨光热处理", "常州晨光热处理有限公司", "91320400MA1XYZ0018", "RMB", "M30", "2", "2", 0.13),
]
OLD_SUPPLIERS = {  # demo.sql's active suppliers that get business too
    "S001": ("91320594MA1XYZ0001", "RMB", "M30", "2", "2", 0.13),
    "S002": ("91320583MA1XYZ0002", "RMB", "M60", "2", "1", 0.13),
    "S003": ("91440300MA5XYZ0003", "USD", "COD", "3", "3", 0.0),
}

# code, name, spec, unit, warehouse, lot, inspection, package unit, per package, serial format
ITEMS = [
    ("P5001", "电机端盖", "Φ86 ADC12 压铸", "PCS", "W01", "Y", "1", "BOX", 50, ""),
    ("P5002", "散热器", "100x60x25 6063-T5", "PCS", "W01", "N", "1", "BOX", 40, ""),
    ("P5003", "传动齿轮", "m1.5 z32 40Cr 淬火", "PCS", "W01", "Y", "2", "BOX", 100, ""),
    ("P5004", "导轨滑块", "HGH20CA", "PCS", "W01", "N", "1", "", 0, ""),
    ("P5005", "仪表面板", "ABS 喷涂 哑光黑", "PCS", "W01", "N", "1", "BOX", 60, ""),
    ("P5006", "注塑外壳", "PC+ABS 阻燃V0", "PCS", "W01", "Y", "1", "BOX", 80, ""),
    ("P5007", "硅胶按键", "12键 丝印", "PCS", "W01", "N", "0", "BAG", 200, ""),
    ("P5008", "镀镍垫片", "M8 SPCC 镀镍", "KG", "W02", "N", "0", "BAG", 5, ""),
    ("P5009", "阳极氧化型材", "6063 黑色 L=1200", "PCS", "W01", "N", "1", "", 0, ""),
    ("P5010", "热处理轴", "Φ20x180 45#调质", "PCS", "W01", "Y", "2", "BOX", 30, ""),
    ("P5011", "控制板", "PCBA V3.0 主控", "PCS", "W01", "Y", "2", "", 0, "SN01"),
    ("P5012", "电源模块", "AC220V/DC24V 150W", "PCS", "W01", "Y", "2", "", 0, "SN01"),
    ("P5013", "伺服驱动器", "400W 总线型", "SET", "W01", "Y", "2", "", 0, "SN02"),
    ("P5014", "线束组件", "8芯 L=500 带端子", "PCS", "W01", "N", "1", "BAG", 100, ""),
    ("P5015", "钣金机箱", "1.2mm SGCC 喷粉", "PCS", "W01", "N", "1", "", 0, ""),
    ("P5016", "精密衬套", "Φ16 青铜 铰孔", "PCS", "W01", "N", "1", "BOX", 200, ""),
]
SERIAL_FORMAT_PREFIX = {"SN01": "{item}-{date}-{n:04d}", "SN02": "{lot}{n:04d}"}

# which suppliers work on which items, and at what price (in their currency)
SUPPLIER_ITEMS = {
    "S001": ["P5001", "P5002", "P5016"],
    "S002": ["P5008", "P5009"],
    "S003": ["P5011", "P5012"],
    "S011": ["P5001", "P5003", "P5004", "P5016"],
    "S012": ["P5008", "P5009", "P5002"],
    "S013": ["P5005", "P5006", "P5007"],
    "S014": ["P5003", "P5004", "P5010"],
    "S015": ["P5013", "P5012"],
    "S016": ["P5014", "P5015"],
    "S017": ["P5011", "P5014"],
    "S018": ["P5010", "P5003"],
}
BASE_PRICE = {  # RMB
    "P5001": 18.6, "P5002": 12.4, "P5003": 9.8, "P5004": 46.0, "P5005": 7.2, "P5006": 15.5,
    "P5007": 1.35, "P5008": 26.0, "P5009": 38.0, "P5010": 21.0, "P5011": 168.0, "P5012": 96.0,
    "P5013": 820.0, "P5014": 6.4, "P5015": 75.0, "P5016": 2.6,
}
RATES = {  # RMB per unit of the currency, April to June
    "USD": [("20240401", 7.09, 7.13), ("20240501", 7.10, 7.14), ("20240603", 7.11, 7.15)],
    "JPY": [("20240401", 0.0467, 0.0471), ("20240501", 0.0455, 0.0459), ("20240603", 0.0452, 0.0456)],
    "EUR": [("20240401", 7.64, 7.70), ("20240501", 7.62, 7.68), ("20240603", 7.70, 7.76)],
    "HKD": [("20240401", 0.906, 0.910), ("20240501", 0.908, 0.912), ("20240603", 0.909, 0.913)],
}
CLERKS = [("DS", "ADMIN"), ("ZHANGW", "PUR"), ("LIMEI", "PUR")]
NOTES = ["", "", "", "按时到货", "部分到货", "加急", "质量良好", "包装破损已拍照", "月底结算", "补货",
         "客户急单", "试产批", "返工后送回", "分两车送达"]
LOCATIONS = ["A-01-01", "A-01-02", "B-02-01"]
RAW_LOCATIONS = [("R-01-01", "原料区1排1层"), ("R-01-02", "原料区1排2层")]


def q(v):
    if isinstance(v, str):
        return "'" + v.replace("'", "''") + "'"
    if isinstance(v, float):
        return repr(round(v, 6))
    return str(v)


def ymd(d):
    return d.strftime("%Y%m%d")


def round2(x):
    return float(f"{x + (1e-9 if x >= 0 else -1e-9):.2f}")


def rate_on(currency, day):
    if currency == "RMB":
        return 1.0
    rate = RATES[currency][0][2]
    for start, _, sell in RATES[currency]:
        if start <= day:
            rate = sell
    return rate


def price_in(currency, item):
    rmb = BASE_PRICE[item] * rng.uniform(0.92, 1.08)
    return round(rmb / rate_on(currency, "20240401"), 4 if currency != "JPY" else 2)


def work_days():
    d = FIRST_DAY
    while d <= LAST_DAY:
        if d.weekday() < 6:  # Monday to Saturday
            yield d
        d += datetime.timedelta(days=1)


class Writer:
    def __init__(self):
        self.parts = []

    def comment(self, text):
        self.parts.append("\n-- " + text + "\n")

    def insert(self, table, columns, rows, chunk=200):
        for i in range(0, len(rows), chunk):
            values = ",\n ".join("(" + ", ".join(q(v) for v in r) + ")" for r in rows[i:i + chunk])
            self.parts.append(f"INSERT INTO {table} ({', '.join(columns)}) VALUES\n {values};\n")

    def text(self):
        return "".join(self.parts)


def main():
    w = Writer()
    w.parts.append(
        "-- A quarter of business of the demo company (April to June 2024), loaded after\n"
        "-- demo.sql into the demo database of the host program and the network server.\n"
        "-- Generated by tools/make_demo_quarter.py (seeded); do not edit by hand.\n")

    supplier_info = dict(OLD_SUPPLIERS)
    for s in SUPPLIERS:
        supplier_info[s[0]] = (s[3], s[4], s[5], s[6], s[7], s[8])

    w.comment("币种、汇率、供应商")
    w.insert("CMSMF", ["MF001", "MF002", "MF003", "MF004", "MF005", "MF006"],
             [("EUR", "欧元", 4, 2, 4, 2), ("HKD", "港币", 4, 2, 4, 2)])
    w.insert("CMSMG", ["MG001", "MG002", "MG003", "MG004"],
             [(c, d, buy, sell) for c, rows in RATES.items() for d, buy, sell in rows])
    w.insert("PURMA", ["MA001", "MA002", "MA003", "MA005", "MA016", "MA017", "MA021", "MA025",
                       "MA030", "MA044", "MA064"],
             [(s[0], s[1], s[2], s[3], "1", "Y", s[4], s[5], s[6], s[7], s[8]) for s in SUPPLIERS])

    w.comment("原料仓库位")
    w.insert("CMSNI", ["NI001", "NI002", "NI003"], [("W02", c, n) for c, n in RAW_LOCATIONS])

    w.comment("品号、单位换算、品号仓库")
    w.insert("INVMB", ["MB001", "MB002", "MB003", "MB004", "MB017", "MB022", "MB025", "MB035",
                       "MB043", "MB064", "MB090", "MB148", "MB149", "MB402", "MB453", "MB454"],
             [(i[0], i[1], i[2], i[3], i[4], i[5], "S", 0.13, i[6], rng.randint(0, 3000), i[7],
               i[3], i[3], 1, i[9], "Y" if i[9] else "N") for i in ITEMS])
    w.insert("INVMD", ["MD001", "MD002", "MD003", "MD004"],
             [(i[0], i[7], 1, i[8]) for i in ITEMS if i[7]])
    w.insert("INVMC", ["MC001", "MC002", "MC007", "MC015"],
             [(i[0], i[4], rng.randint(0, 3000), rng.choice(LOCATIONS) if i[4] == "W01" else "")
              for i in ITEMS])
    items = {i[0]: i for i in ITEMS}

    prices = {}
    purmd = []
    for s, its in SUPPLIER_ITEMS.items():
        for it in its:
            prices[(s, it)] = price_in(supplier_info[s][1], it)
            purmd.append((s, it, "****", items[it][6], prices[(s, it)]))
    w.insert("PURMD", ["MD001", "MD002", "MD003", "MD004", "MD005"], purmd)

    # Work orders: a few per supplier and item, opened from March to June.
    orders = []  # dicts
    day_list = list(work_days())
    seq_by_day = {}
    for s, its in SUPPLIER_ITEMS.items():
        for it in its:
            for _ in range(rng.randint(4, 6)):
                opened = FIRST_DAY - datetime.timedelta(days=20) + datetime.timedelta(
                    days=rng.randint(0, 75))
                key = ymd(opened)
                seq_by_day[key] = seq_by_day.get(key, 0) + 1
                serial = bool(items[it][9])
                qty = rng.randint(2, 12) * 10 if serial else rng.randint(4, 60) * 100
                orders.append({
                    "no": key + f"{seq_by_day[key]:03d}", "date": opened, "supplier": s, "item": it,
                    "qty": qty, "left": qty, "received": 0.0, "lot": "L" + key[2:] if items[it][5] == "Y"
                    else NO_LOT})
    orders.sort(key=lambda o: o["no"])

    # Arrival notes with inspection results, against the work orders.
    arrivals = []  # (order, arrival no, line no, qty, accepted, returned, scrapped)
    arrival_heads = []
    arr_seq = {}
    for o in orders:
        if rng.random() < 0.35:
            day = o["date"] + datetime.timedelta(days=rng.randint(5, 30))
            if day > LAST_DAY:
                continue
            key = ymd(day)
            arr_seq[key] = arr_seq.get(key, 0) + 1
            no = key + f"{arr_seq[key]:03d}"
            qty = min(o["left"], max(10, int(o["qty"] * rng.uniform(0.2, 0.5))))
            returned = int(qty * rng.choice([0, 0, 0, 0.01, 0.02]))
            scrapped = int(qty * rng.choice([0, 0, 0.01]))
            accepted = qty - returned - scrapped
            arrival_heads.append(("5A01", no, key, "01", o["supplier"], "Y"))
            arrivals.append({"order": o, "no": no, "qty": qty, "accepted": accepted,
                             "returned": returned, "scrapped": scrapped, "day": day, "used": False})
            o["left"] -= qty

    # Receipts: day by day, a few per day, each from one supplier.
    receipts = []
    rec_seq = {}
    month_seq = {}
    pending_arrivals = sorted(arrivals, key=lambda a: a["day"])
    for day in day_list:
        for _ in range(rng.choice([3, 4, 4, 5, 5])):
            supplier = rng.choice(list(SUPPLIER_ITEMS))
            lines = []
            kind = "5901"
            ready = [a for a in pending_arrivals if not a["used"] and a["day"] <= day
                     and a["order"]["supplier"] == supplier]
            if ready and rng.random() < 0.6:
                kind = "5902"
                for a in ready[:rng.randint(1, 6)]:
                    a["used"] = True
                    lines.append(("arrival", a))
            else:
                open_orders = [o for o in orders if o["supplier"] == supplier and o["date"] <= day
                               and o["left"] > 0]
                if not open_orders:
                    continue
                for _ in range(rng.randint(4, 18)):
                    o = rng.choice(open_orders)
                    serial = bool(items[o["item"]][9])
                    want = rng.randint(1, 6) if serial else rng.randint(1, 20) * 10
                    qty = min(o["left"], want)
                    if qty <= 0:
                        continue
                    o["left"] -= qty
                    lines.append(("order", o, qty))
            if not lines:
                continue
            if kind == "5901":
                key = ymd(day)
                rec_seq[key] = rec_seq.get(key, 0) + 1
                no = key + f"{rec_seq[key]:03d}"
            else:
                key = ymd(day)[:6]
                month_seq[key] = month_seq.get(key, 0) + 1
                no = key + f"{month_seq[key]:05d}"
            receipts.append((kind, no, day, supplier, lines))

    heads, body, serials, serial_master, lots, tracks = [], [], [], [], set(), []
    serial_next = {}
    for kind, no, day, supplier, lines in receipts:
        tax_id, currency, payment, invoice, tax_type, tax_rate = supplier_info[supplier]
        age = (TODAY - day).days
        roll = rng.random()
        status = "V" if roll < 0.05 else ("Y" if age > 14 and roll < 0.93 else "N")
        if age <= 14 and roll > 0.5 and status != "V":
            status = "Y"
        clerk, group = rng.choice(CLERKS)
        stamp = ymd(day) + f"{rng.randint(8, 17):02d}{rng.randint(0, 59):02d}00000"
        xrate = rate_on(currency, ymd(day))
        tot = {"amount": 0.0, "tax": 0.0, "pre": 0.0, "lpre": 0.0, "ltax": 0.0, "acc": 0.0,
               "qty": 0.0, "pkg": 0.0, "apkg": 0.0}
        for n, line in enumerate(lines, 1):
            if line[0] == "arrival":
                a = line[1]
                o = a["order"]
                qty, accepted, returned, scrapped = a["qty"], a["accepted"], a["returned"], a["scrapped"]
                link = ("5A01", a["no"], "0001", "0001", "1")
                inspected = "2" if returned == 0 else "3"
            else:
                o, qty = line[1], line[2]
                scrapped = 1 if bool(items[o["item"]][9]) and qty >= 3 and rng.random() < 0.2 else 0
                returned = 0
                accepted = qty - scrapped
                link = ("", "", "", "", "")
                inspected = "0" if items[o["item"]][6] == "0" else "2"
            it = items[o["item"]]
            price = prices[(supplier, o["item"])]
            amount = round2(accepted * price) if currency != "JPY" else float(round(accepted * price))
            if tax_type == "1":
                pre = round2(amount / (1 + tax_rate))
                tax = round2(amount - pre)
            elif tax_type == "2":
                pre, tax = amount, round2(amount * tax_rate)
            else:
                pre, tax = amount, 0.0
            lpre, ltax = round2(pre * xrate), round2(tax * xrate)
            per_pkg = it[8]
            pkg = round(qty / per_pkg, 3) if per_pkg else 0
            apkg = round(accepted / per_pkg, 3) if per_pkg else 0
            lot = o["lot"]
            if lot != NO_LOT:
                lots.add((o["item"], lot, ymd(o["date"])))
            location = rng.choice(LOCATIONS if it[4] == "W01" else [c for c, _ in RAW_LOCATIONS])
            line_no = f"{n:04d}"
            confirmed = "Y" if status == "Y" else ("V" if status == "V" else "N")
            body.append((kind, no, line_no, o["item"], it[1], it[2], qty, it[3], it[4], lot, "", "",
                         "5201", o["no"], "****", pkg, apkg, ymd(day), accepted, accepted, scrapped,
                         returned, it[3], price, amount, 0, 0, "", "N", "N", inspected,
                         "Y" if returned else "N", confirmed, "N", clerk if status == "Y" else "",
                         pre, tax, lpre, ltax, "N", it[7], "", "", 0, 1, location, it[3], accepted,
                         "2", link[0], link[1], link[2], link[3], link[4],
                         "DEMO", clerk, group, stamp, clerk, stamp, 1))
            if status == "Y":
                o["received"] += accepted
                tracks.append(("2", kind, no, line_no, o["item"], accepted, lot))
            if it[9]:
                fmt = SERIAL_FORMAT_PREFIX[it[9]]
                for k in range(int(accepted + scrapped)):
                    # numbered on per item, so that no two lines share one
                    serial_next[o["item"]] = serial_next.get(o["item"], 0) + 1
                    sn = fmt.format(item=o["item"], date=o["no"][2:8], n=serial_next[o["item"]],
                                    lot=(lot if lot != NO_LOT else o["item"]) + "-")
                    kind_letter = "A" if k < accepted else "B"
                    serials.append((kind, no, line_no, sn, "1", kind_letter, "N",
                                    "DEMO", clerk, group, stamp, clerk, stamp, 1))
                    serial_master.append((sn, o["item"], lot if lot != NO_LOT else "",
                                          "1" if status == "Y" and kind_letter == "A" else "2",
                                          kind, no, "N"))
            tot["amount"] += amount
            tot["tax"] += tax
            tot["pre"] += pre
            tot["lpre"] += lpre
            tot["ltax"] += ltax
            tot["acc"] += accepted
            tot["qty"] += qty
            tot["pkg"] += pkg
            tot["apkg"] += apkg
            if line[0] == "arrival":
                a = line[1]
                a["receipt"] = (kind, no, line_no, status)
        note = rng.choice(NOTES)
        heads.append((kind, no, ymd(day), "01", supplier, f"SH{ymd(day)[2:]}{rng.randint(10, 99)}",
                      currency, xrate, round(tot["apkg"], 3), note, tax_id, invoice, "", "",
                      tax_type, "1", round2(tot["amount"]), 0, round2(tot["tax"]), 0, tot["acc"],
                      status, "N", 0, "N", round2(tot["pre"]), ymd(day)[:6], ymd(day), tax_rate,
                      round2(tot["lpre"]), round2(tot["ltax"]), payment, round(tot["apkg"], 3),
                      "N", "N", 0, "PUR", tot["qty"], round(tot["pkg"], 3), NO_PROJECT,
                      "DEMO", clerk, group, stamp, clerk, stamp, 2 if status != "N" else 1))

    w.comment("批号")
    w.insert("INVME", ["ME001", "ME002", "ME003", "ME004", "ME011"],
             [(i, l, d, "委外批次 " + d, d) for i, l, d in sorted(lots)])

    w.comment("委外工单")
    wo_rows = []
    for o in orders:
        it = items[o["item"]]
        s = supplier_info[o["supplier"]]
        done = o["received"] >= o["qty"]
        state = "Y" if done else ("3" if o["received"] > 0 else rng.choice(["1", "2"]))
        wo_rows.append(("5201", o["no"], ymd(o["date"]), o["item"], it[3],
                        ymd(o["date"] + datetime.timedelta(days=1)),
                        ymd(o["date"] + datetime.timedelta(days=45)), state,
                        ymd(LAST_DAY) if done else "", "Y", o["qty"], o["received"], 0, it[4], "01",
                        prices[(o["supplier"], o["item"])], "2", o["supplier"], it[1], it[2], s[1],
                        "0", it[3], it[6], "N", round(o["qty"] / it[8], 3) if it[8] else 0,
                        round(o["received"] / it[8], 3) if it[8] else 0, it[7], s[5], s[4],
                        o["lot"] if o["lot"] != NO_LOT else "", o["qty"], NO_PROJECT))
    w.insert("MOCTA", ["TA001", "TA002", "TA003", "TA006", "TA007", "TA009", "TA010", "TA011",
                       "TA012", "TA013", "TA015", "TA017", "TA018", "TA020", "TA021", "TA022",
                       "TA030", "TA032", "TA034", "TA035", "TA042", "TA045", "TA046", "TA047",
                       "TA048", "TA049", "TA050", "TA052", "TA053", "TA054", "TA055", "TA059",
                       "TA060"], wo_rows)

    w.comment("委外到货单与检验结果")
    w.insert("MOCCC", ["CC001", "CC002", "CC003", "CC004", "CC005", "CC006"], arrival_heads)
    cd_rows, td_rows = [], []
    for a in arrivals:
        o = a["order"]
        it = items[o["item"]]
        rec = a.get("receipt")
        taken = a["qty"] if rec and rec[3] == "Y" else 0
        per = it[8]
        cd_rows.append(("5A01", a["no"], "0001", o["item"], it[1], it[2], it[4], a["qty"], it[3],
                        taken, "5201", o["no"], "", a["accepted"], a["returned"], NO_PROJECT,
                        it[3], it[7], "Y" if taken else "N",
                        round(a["accepted"] / per, 3) if per else 0,
                        round(a["returned"] / per, 3) if per else 0, a["scrapped"],
                        round(a["scrapped"] / per, 3) if per else 0, 0, 0))
        td_rows.append(("5A01", a["no"], "0001", "0001", o["item"], "Y", a["accepted"], 0,
                        a["returned"], a["scrapped"], round(a["accepted"] / per, 3) if per else 0,
                        0, round(a["returned"] / per, 3) if per else 0,
                        round(a["scrapped"] / per, 3) if per else 0, "1",
                        ymd(a["day"]) + "100000", rec[0] if rec else "", rec[1] if rec else "",
                        rec[2] if rec else ""))
    w.insert("MOCCD", ["CD001", "CD002", "CD003", "CD004", "CD005", "CD006", "CD007", "CD008",
                       "CD009", "CD010", "CD011", "CD012", "CD013", "CD014", "CD015", "CD016",
                       "CD017", "CD018", "CD019", "CD020", "CD021", "CD022", "CD023", "CD024",
                       "CD025"], cd_rows)
    w.insert("QMSTD", ["TD001", "TD002", "TD003", "TDC01", "TD004", "TD006", "TDC02", "TD007",
                       "TD008", "TD025", "TDC03", "TD031", "TD041", "TD042", "TDC04", "TD026",
                       "TD020", "TD021", "TD022"], td_rows)

    w.comment("委外进货单")
    w.insert("MOCTH", ["TH001", "TH002", "TH003", "TH004", "TH005", "TH006", "TH007", "TH008",
                       "TH009", "TH010", "TH011", "TH012", "TH013", "TH014", "TH015", "TH016",
                       "TH018", "TH019", "TH020", "TH021", "TH022", "TH023", "TH024", "TH025",
                       "TH026", "TH027", "TH028", "TH029", "TH030", "TH031", "TH032", "TH033",
                       "TH034", "TH035", "TH036", "TH037", "TH038", "TH042", "TH043", "TH045",
                       "COMPANY", "CREATOR", "USR_GROUP", "CREATE_DATE", "MODIFIER", "MODI_DATE",
                       "FLAG"], heads)
    w.insert("MOCTI", ["TI001", "TI002", "TI003", "TI004", "TI005", "TI006", "TI007", "TI008",
                       "TI009", "TI010", "TI011", "TI012", "TI013", "TI014", "TI015", "TI016",
                       "TI017", "TI018", "TI019", "TI020", "TI021", "TI022", "TI023", "TI024",
                       "TI025", "TI026", "TI027", "TI032", "TI033", "TI034", "TI035", "TI036",
                       "TI037", "TI038", "TI043", "TI044", "TI045", "TI046", "TI047", "TI048",
                       "TI049", "TI054", "TI055", "TI056", "TI058", "TI060", "TI061", "TI062",
                       "TIC01", "TIC02", "TIC03", "TIC04", "TIC05", "TIC06",
                       "COMPANY", "CREATOR", "USR_GROUP", "CREATE_DATE", "MODIFIER", "MODI_DATE",
                       "FLAG"], body)

    w.comment("产品序号")
    w.insert("PSMMB", ["MB001", "MB002", "MB003", "MB004", "MB005", "MB006", "MB007", "COMPANY",
                       "CREATOR", "USR_GROUP", "CREATE_DATE", "MODIFIER", "MODI_DATE", "FLAG"],
             serials)
    w.insert("PSMMA", ["MA001", "MA002", "MA003", "MA004", "MA005", "MA006", "MA007"],
             serial_master)
    w.insert("GMPTG", ["TG001", "TG002", "TG003", "TG004", "TG005", "TG006", "TG007"], tracks)

    w.comment("编号已发放到的流水号")
    seqs = [("MOCTH", "5901", k, v) for k, v in sorted(rec_seq.items())]
    seqs += [("MOCTH", "5902", k, v) for k, v in sorted(month_seq.items())]
    w.insert("NUMSEQ", ["SQ001", "SQ002", "SQ003", "SQ004"], seqs)

    with open(OUT, "w", encoding="utf-8", newline="\n") as f:
        f.write(w.text())
    print(f"{os.path.normpath(OUT)}: {len(heads)} receipts, {len(body)} lines, "
          f"{len(serials)} serial numbers, {len(orders)} work orders, {len(arrivals)} arrival notes")


if __name__ == "__main__":
    main()
