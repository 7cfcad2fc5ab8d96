#!/usr/bin/env python3
"""Writes the converter's built-in tables: tcp00_data.cpp (the code page
list) and tcp01_data.cpp (the character table). Run it from this folder; its
output is committed.

Code page list: one record of 97 characters per code page, in ascending
order, and an end record of blanks. Columns (position, width): code page
(0, 4), vendor (4, 3), character-set type (7, 2) and subtype (9, 2), class
(11, 2), reference code page (13, 5), description (18, 50), number (68, 5),
two related code pages (73, 4 and 77, 4), major (81, 2), minor (83, 2),
status (85, 1), segment mark (86, 1), four marks (87, 4), class digit
(91, 1), segment id (92, 5).

The rows in KNOWN are given in full. Every other row is filled neutrally:
  - vendor by the ranges in VENDORS (the counts are checked below);
  - type and subtype "01" for IBM rows (EBCDIC), else "04" (8-bit ASCII);
  - class "00", reference "0" and the code page, number "00000", both
    related code pages the code page itself, major and minor "00";
  - description "Code page NNNN", status "4", marks "-----", no class
    digit, segment id the code page and "T";
  - the 50 rows of OBSOLETE: description "obsolete", status "1", blank
    segment id; the row BLANK_STATUS has a blank status.

Character table: 5 bytes per character number (2 bytes big-endian) and its
Unicode value (3 bytes big-endian), ended by a number 0. The numbers run
from 1 to 4990 without the multiples of 63 (4911 records). Character 1 has
the value 0x110000; every other character N the neutral value 0xF0000 + N
(private use, plane 15).
"""

CODE_PAGES = """
0100 0101 0102 0110 0112 0120 0121 0122 0123 0124 0125 0126 0148 0160 0161 0199 0400 0401 0410
0411 0415 0500 0501 0505 0610 0611 0615 0700 0701 0705 0800 0801 0805 0860 0861 0865 1100 1101
1102 1103 1104 1105 1106 1107 1110 1111 1113 1114 1115 1116 1117 1118 1119 1120 1121 1122 1123
1124 1125 1126 1127 1128 1129 1130 1131 1132 1133 1134 1135 1136 1137 1138 1139 1140 1141 1142
1143 1144 1145 1146 1147 1148 1150 1151 1152 1153 1154 1155 1156 1157 1160 1161 1162 1163 1164
1180 1181 1249 1349 1400 1401 1402 1403 1404 1405 1406 1407 1408 1409 1410 1416 1417 1500 1501
1502 1503 1504 1505 1507 1508 1509 1510 1513 1516 1517 1600 1601 1602 1603 1607 1610 1611 1612
1613 1614 1616 1617 1634 1700 1701 1702 1703 1704 1705 1707 1717 1800 1801 1802 1803 1804 1807
1810 1816 1823 1824 1834 1844 1900 1901 1902 1904 1914 1916 1917 2010 2101 2102 2103 2104 2105
2108 2222 4000 4001 4002 4003 4004 4005 4010 4011 4013 4014 4015 4016 4020 4021 4022 4023 4030
4031 4032 4033 4034 4035 4036 4037 4038 4100 4101 4102 4103 4104 4105 4110 4111 4112 4113 4114
4115 4116 4117 4118 4120 4121 4122 4123 4124 4125 4126 4127 4128 4130 4131 4210 4211 4213 4214
4215 4216 4217 4218 4220 4310 6100 6101 6102 6103 6110 6111 6112 6113 6114 6115 6116 6117 6120
6122 6123 6124 6125 6126 6127 6130 6132 6134 6136 6137 6140 6142 6144 6146 6147 6150 6151 6152
6154 6156 6157 6170 6172 6173 6174 6175 6176 6177 6180 6190 6192 6193 6194 6195 6196 6197 6200
6202 6230 6240 6250 6280 6300 6301 6310 6311 6312 6313 6314 6316 6317 6322 6334 6400 6472 6473
6474 6476 6477 6500 6502 6510 6512 6513 6514 6516 6517 6570 6572 6573 6574 6576 6577 6600 6700
6754 8000 8001 8004 8008 8010 8011 8012 8013 8014 8015 8016 8017 8034 8100 8101 8200 8201 8210
8211 8212 8220 8300 8304 8308 8311 8316 8317 8334 8340 8341 8344 8345 8346 8348 8349 8400 8401
8402 8404 8408 8411 8416 8417 8434 8450 8500 8504 8508 8510 8516 8517 8520 8521 8534 8599 8600
8604 8607 8611 8616 8617 8634 8652 8653 8700 8701 8704 8716 8717 8734 8805
""".split()

# code page: vendor, type, subtype, major, class digit, description
KNOWN = {
    "0100": ("IBM", "01", "01", "00", " ", "IBM EBCDIC Codepage 00697/00273 (wie K/4)"),
    "1100": ("ISO", "04", "04", "00", "0", "QOR internal, like ISO 8859-1       (00697/00819)"),
    "1101": ("ISO", "04", "01", "00", " ", "7-Bit USA ASCII  pur"),
    "1160": ("MS ", "04", "01", "00", " ", "Microsoft 1252, Superset of ISO 8859-1"),
    "4000": ("QOR", "00", "02", "19", " ", "QOR-Code als 16-Bit Codepage"),
    "4102": ("ISO", "06", "06", "13", "1", "UTF-16BE Unicode / ISO/IEC 10646"),
    "4103": ("ISO", "06", "06", "16", "1", "UTF-16LE Unicode / ISO/IEC 10646"),
    "4110": ("ISO", "04", "04", "12", "1", "Unicode UTF-8"),
    "6100": ("QOR", "04", "04", "30", " ", "QOR Unification (ISO2 with ISO7 D7F7 and ISO1 FF)"),
    "8000": ("QOR", "04", "04", "03", "0", "Shift JIS (based on Microsoft CP932)"),
}

# (first, last, vendor), first match wins; rows of KNOWN keep their vendor.
VENDORS = [
    ("0000", "0999", "IBM"), ("1100", "1199", "ISO"), ("1249", "1349", "IBM"),
    ("1400", "1499", "IBM"), ("1500", "1599", "MS "), ("1600", "1699", "ISO"),
    ("1700", "1704", "HP "), ("1705", "1707", "DEC"), ("1717", "1717", "SNI"),
    ("1800", "1801", "SNI"), ("1802", "1803", "IBM"), ("1804", "1807", "ISO"),
    ("1810", "1810", "MS "), ("1816", "1823", "   "), ("0000", "9999", "QOR"),
]
EXPECTED_VENDORS = {"ISO": 78, "IBM": 53, "MS ": 15, "HP ": 5, "SNI": 3, "DEC": 2, "   ": 2,
                    "QOR": 237}

# The fifty 6xxx rows after 6100 are obsolete.
OBSOLETE = [cp for cp in CODE_PAGES if cp.startswith("6") and cp != "6100"][:50]
BLANK_STATUS = "2222"


def vendor_of(cp):
    if cp in KNOWN:
        return KNOWN[cp][0]
    for first, last, vendor in VENDORS:
        if first <= cp <= last:
            return vendor
    raise AssertionError(cp)


def tcp00_record(cp):
    vendor = vendor_of(cp)
    if cp in KNOWN:
        _, typ, sub, major, digit, desc = KNOWN[cp]
    else:
        typ = sub = "01" if vendor == "IBM" else "04"
        major, digit, desc = "00", " ", "Code page " + cp
    status, segment = "4", cp + "T"
    if cp in OBSOLETE:
        desc, status, segment = "obsolete", "1", "     "
    if cp == BLANK_STATUS:
        status = " "
    record = (cp + vendor + typ + sub + "00" + "0" + cp + desc.ljust(50) + "00000" + cp + cp +
              major + "00" + status + "-" + "----" + digit + segment)
    assert len(record) == 97 and len(desc) <= 50, cp
    return record


def check_counts(records):
    assert len(records) == 395 and records == sorted(records)
    vendors = {}
    for r in records:
        vendors[r[4:7]] = vendors.get(r[4:7], 0) + 1
    assert vendors == EXPECTED_VENDORS, vendors
    statuses = [r[85] for r in records]
    assert statuses.count("4") == 344 and statuses.count("1") == 50 and statuses.count(" ") == 1
    assert sum(1 for r in records if "obsolete" in r[18:68]) == 50


def write_tcp00():
    records = [tcp00_record(cp) for cp in CODE_PAGES]
    check_counts(records)
    with open("tcp00_data.cpp", "w") as out:
        out.write("// The built-in code page list, written by gen_tables.py (which documents\n"
                  "// its columns and how the rows are filled); do not edit by hand.\n"
                  '#include "rscpc/tables.h"\n\n'
                  "// clang-format off\n"
                  "const char* const tcp00_records[] = {\n")
        for r in records + [" " * 97]:
            out.write('    "%s",\n' % r)
        out.write("};\n// clang-format on\n")


def write_tcp01():
    numbers = [n for n in range(1, 4991) if n % 63 != 0]
    assert len(numbers) == 4911
    data = bytearray()
    for n in numbers:
        value = 0x110000 if n == 1 else 0xF0000 + n
        data += bytes([n >> 8, n & 0xFF, value >> 16, (value >> 8) & 0xFF, value & 0xFF])
    data += bytes(5)
    with open("tcp01_data.cpp", "w") as out:
        out.write("// The built-in character table, written by gen_tables.py (which documents\n"
                  "// its records and values); do not edit by hand.\n"
                  '#include "rscpc/tables.h"\n\n'
                  "const uint32_t TCP01_last_qorcode_max = 65278;\n\n"
                  "// clang-format off\n"
                  "const unsigned char tcp01_records[] =\n")
        per_line = 20
        for i in range(0, len(data), per_line):
            chunk = data[i:i + per_line]
            out.write('    "%s"\n' % "".join("\\x%02x" % b for b in chunk))
        out.write(";\n// clang-format on\n"
                  "const size_t tcp01_records_size = sizeof tcp01_records - 1;\n")


if __name__ == "__main__":
    write_tcp00()
    write_tcp01()
