#!/usr/bin/env python3
"""Writes the sample SatCoDX data shipped with the program: data/sample/satcodx.imp and data/sample/import/*.sdx.

The transponders (frequency, polarisation, symbol rate, FEC, delivery system) are real facts taken from Debian's
dtv-scan-tables (/usr/share/dvb/dvb-s, LGPL-2.1+); channel names and PIDs are made up. Each transponder becomes
one to four channel records in the fixed-column listing format; DVB-S transponders carry "MPG2" records, DVB-S2
ones "MPG4" records (which the import passes over, as it takes MPEG-2 only). The index addresses point at a
listing server on 127.0.0.1:18123 (satcodx/tools/listing_server.py serves data/sample/import there).

Run from the repository root:  python3 satcodx/tools/make_sample_data.py [--scan-tables DIR] [--out DIR]
The output is deterministic; commit it together with any change to this script.
"""
import argparse
import os
import sys

# (scan table file, satellite name in the index, east position in tenths of a degree, listing file name)
SATELLITES = [
    ("Hotbird-13.0E", "Hot Bird 13", 130, "hotbird13e.sdx"),
    ("Astra-1L-19.2E", "Astra 1L", 192, "astra192e.sdx"),
    ("Eutelsat-10A-10.0E", "Eutelsat 10A", 100, "eutel10e.sdx"),
    ("Eutelsat-16A-16.0E", "Eutelsat 16A", 160, "eutel16e.sdx"),
    ("Eutelsat-7B-7.0E", "Eutelsat 7B", 70, "eutel7e.sdx"),
    ("Astra-28.2E", "Astra 2", 282, "astra282e.sdx"),
    ("Thor-1.0W", "Thor", 3590, "thor1w.sdx"),
    ("Trksat-3A-42.0E", "Turksat 3A", 420, "turksat42e.sdx"),
    ("Express-AM7-40.0E", "Express AM7", 400, "express40e.sdx"),
    ("Intelsat-20-68.5E", "Intelsat 20", 685, "intel685e.sdx"),
    ("AsiaSat-5-100.5E", "AsiaSat 5", 1005, "asiasat1005e.sdx"),
    ("SES-6-40.5W", "SES 6", 3195, "ses405w.sdx"),
]

LISTING_HOST = "127.0.0.1:18123"
# Index columns: address at 1 (48 wide), file name at 50 (20 wide), satellite name at 71 (25 wide). The position
# sits 23 characters into the address: "127.0.0.1:18123/sdxpos/" is 23 characters long.
INDEX_HEADER = "01 48 50 20 71 25"
ADDRESS_WIDTH, FILE_WIDTH = 48, 20

POLARISATION_DIGIT = {"VERTICAL": "0", "HORIZONTAL": "1", "LEFT": "2", "RIGHT": "3"}
FEC_DIGIT = {"AUTO": "0", "1/2": "1", "2/3": "2", "3/4": "3", "4/5": "4", "5/6": "5", "6/7": "6", "7/8": "7",
             "8/9": "8", "9/10": "9", "3/5": "0"}
RECORD_LENGTH = 128


def read_scan_table(path):
    """Returns the transponders of one dvb-s scan table as dicts of its keys."""
    tps, cur = [], None
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.strip()
            if line.startswith("["):
                cur = {}
                tps.append(cur)
            elif "=" in line and cur is not None and not line.startswith("#"):
                key, value = (part.strip() for part in line.split("=", 1))
                cur[key] = value
    return [t for t in tps if "FREQUENCY" in t and "SYMBOL_RATE" in t and "POLARIZATION" in t]


def position_text(p):
    return "%d.%dE" % (p // 10, p % 10) if p <= 1800 else "%d.%dW" % ((3600 - p) // 10, (3600 - p) % 10)


def record(sat_name, position, tp, index, channel):
    khz = int(tp["FREQUENCY"])
    sr = int(tp["SYMBOL_RATE"]) // 1000
    s2 = tp.get("DELIVERY_SYSTEM", "DVBS") == "DVBS2"
    radio = channel == 3
    fields = [
        "SATCODX103",                                          # 1-10 format and version
        ("%s (%s)" % (sat_name, position_text(position)))[:18].ljust(18),  # 11-28 satellite
        "R" if radio else "T",                                 # 29 radio or TV
        "MPG4" if s2 else "MPG2",                              # 30-33 broadcast system
        "%09d" % khz,                                          # 34-42 frequency in kHz
        POLARISATION_DIGIT[tp["POLARIZATION"]],                # 43 polarisation
        ("SVC%03d-%d" % (index % 1000, channel))[:8].ljust(8),  # 44-51 channel name
        "%04d" % position,                                     # 52-55 east position
        "___",                                                 # 56-58 country
        "     ",                                               # 59-63
        "___", "___",                                          # 64-69 analog audio sub-carriers
        "%05d" % sr,                                           # 70-74 symbol rate
        FEC_DIGIT.get(tp.get("INNER_FEC", "AUTO"), "0"),       # 75 FEC
        "____________",                                        # 76-87
        "%04d%04d%05d01" % (0 if radio else 160 + channel, 80 + channel, (index * 10 + channel) % 100000),
        "_____________",
    ]
    line = "".join(fields)
    assert len(line) <= RECORD_LENGTH, line
    return line.ljust(RECORD_LENGTH)


def listing(sat_name, position, tps, file_name):
    lines = []
    for i, tp in enumerate(tps):
        channels = 1 + (int(tp["FREQUENCY"]) // 1000) % 4  # one to four channels per transponder
        for c in range(channels):
            lines.append(record(sat_name, position, tp, i + 1, c))
    # Vary the ends as real files do: one listing in CR LF, one ending in a NUL and a run of blanks.
    eol = "\r\n" if file_name.startswith("thor") else "\n"
    data = eol.join(lines) + eol
    if file_name.startswith("eutel7e"):
        data += "\0" + " " * 300
    return data.encode("latin-1")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--scan-tables", default="/usr/share/dvb/dvb-s")
    ap.add_argument("--out", default="data/sample")
    args = ap.parse_args()
    os.makedirs(os.path.join(args.out, "import"), exist_ok=True)
    index_lines = [INDEX_HEADER]
    for table, name, position, file_name in SATELLITES:
        tps = read_scan_table(os.path.join(args.scan_tables, table))
        if not tps:
            sys.exit("no transponders in " + table)
        with open(os.path.join(args.out, "import", file_name), "wb") as f:
            f.write(listing(name, position, tps, file_name))
        address = "%s/sdxpos/%04d/%s" % (LISTING_HOST, position, file_name)
        assert len(address) <= ADDRESS_WIDTH and len(file_name) <= FILE_WIDTH
        index_lines.append(address.ljust(ADDRESS_WIDTH) + " " + file_name.ljust(FILE_WIDTH) + " " + name)
    with open(os.path.join(args.out, "satcodx.imp"), "wb") as f:
        f.write(("\r\n".join(index_lines) + "\r\n").encode("ascii"))
    print("wrote %d listings to %s" % (len(SATELLITES), args.out))


if __name__ == "__main__":
    main()
