#!/usr/bin/env python3
# Writes the seed corpus of the fuzz harnesses (fuzz/corpus/<harness>/) from
# the modem-sim profiles: each profile's answers, as the query would read
# them, become replies for the extraction, decoder and field-walk harnesses,
# and each whole profile one modem for fuzz_query. Run it again after adding
# or changing a profile; it replaces the corpus it wrote before.
#
# Usage: fuzz/make-corpus.py   (from anywhere; standard library only)
import hashlib
import glob
import os
import re
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROFILES = os.path.join(ROOT, "tools", "modem-sim", "profiles")
CORPUS = os.path.join(ROOT, "fuzz", "corpus")

# The query's commands in order (report/query.cpp), each with the prefixes
# its reply is read with and the row each prefix fills (None: a decoder
# reads it, and its rows are not chosen by the input).
QUERY = [
    ("ATE0", []),
    ("ATI", [("Manufacturer", 0), ("Model", 1), ("Revision", 2), ("IMEI", 5), ("+GCAP", 7)]),
    ("AT^FHVER", [("^FHVER", 4)]),
    ("AT+CGMI", [("", 0)]),
    ("AT+CGMM", [("", 1)]),
    ("AT+CGMR", [("", 2)]),
    ("AT+CIMI", [("", 6)]),
    ("AT+CGSN", [("", 5)]),
    ("AT^HWVER", [("^HWVER", 3)]),
    ("AT^SYSINFO", [("^SYSINFO", None)]),
    ("AT+CPIN?", [("+CPIN", 15)]),
    ("AT+CFUN?", [("+CFUN", None)]),
    ("AT+CSQ", [("+CSQ", None)]),
    ("AT+COPS?", [("+COPS", None)]),
    ("AT^SYSCFG?", [("^SYSCFG", None)]),
    ("AT^VERSION?", [("^VERSION:BDT", 24), ("^VERSION:EXTD", 25)]),
    ("AT^CARDLOCK?", [("^CARDLOCK", None)]),
    # The commands an LTE stick may get besides (FollowUpSequence): their
    # replies come after the 17 in a fuzz_query input.
    ("AT^SYSINFOEX", [("^SYSINFOEX", None)]),
    ("AT^HCSQ?", [("^HCSQ", None)]),
    ("AT^SYSCFGEX?", [("^SYSCFGEX", None)]),
]

# fuzz_extract chooses its prefix by index in this list (fuzz_extract.cpp).
EXTRACT_PREFIXES = ["", "Manufacturer", "Model", "Revision", "IMEI", "+GCAP", "^FHVER", "^HWVER",
                    "^SYSINFO", "+CPIN", "+CFUN", "+CSQ", "+COPS", "^SYSCFG", "^VERSION:BDT",
                    "^VERSION:EXTD", "^CARDLOCK"]

# fuzz_query.cpp: a 2-byte length, a repeat byte, the bytes; 65,535 bytes at most
# per piece, and no reply longer than this after the repeats.
MAX_PIECE = 0xFFFF
MAX_FUZZ_REPLY = 70000
# An answer longer than one read is kept as its first bytes sent 256 times:
# small in the corpus, and still past the 65,535-byte cut.
LONG_REPLY_HEAD = 300

# The profiles whose single replies seed the extraction, decoder and
# field-walk harnesses: one of each kind of answer (plain, echoed, odd codes,
# binary noise, errors, over-long, a long model) keeps the corpus small. A
# profile missing from this list still seeds fuzz_query.
REPLY_SEED_PROFILES = ["e1550", "echoing", "odd-replies", "garbage", "no-sim", "huge-reply",
                       "long-model", "lte-e3372"]

SHOP_SEEDS = [
    ("E1550", "11.608.12.02.143"),
    ("E3372h", "22.315.01.00.143"),
    ("E3272", "21.436.03.00.00"),
    ("E3272", "21.436.03.00.01"),
    ("E31310", "1.0"),
    ("E155", ""),
    ("E173u-1", "11.126.85.00.209"),
    ("M21-4", "4.2.1"),
]


def fail(where, message):
    sys.exit(f"make-corpus: {where}: {message}")


def decode_string(text, pos, where):
    """The quoted string starting at text[pos] ('"'): its bytes and the index after it."""
    out = bytearray()
    pos += 1
    while True:
        if pos >= len(text):
            fail(where, "unclosed string")
        c = text[pos]
        if c == '"':
            return bytes(out), pos + 1
        if c != "\\":
            out += c.encode("utf-8")
            pos += 1
            continue
        escape = text[pos + 1:pos + 2]
        simple = {"r": b"\r", "n": b"\n", "t": b"\t", "\\": b"\\", '"': b'"'}
        if escape in simple:
            out += simple[escape]
            pos += 2
        elif escape == "x" and re.fullmatch(r"[0-9A-Fa-f]{2}", text[pos + 2:pos + 4]):
            out.append(int(text[pos + 2:pos + 4], 16))
            pos += 4
        else:
            fail(where, f"bad escape \\{escape}")


def strip_comment(line):
    """The line without a # comment; a # inside a quoted string stays."""
    quoted = False
    i = 0
    while i < len(line):
        c = line[i]
        if quoted and c == "\\":
            i += 2
            continue
        if c == '"':
            quoted = not quoted
        elif c == "#" and not quoted:
            return line[:i]
        i += 1
    return line


def parse_profile(path):
    """Globals (echo, locked, disconnect-after) and the rules: command -> actions."""
    profile = {"echo": True, "locked": False, "disconnect": None, "rules": {}}
    current = None
    with open(path, encoding="utf-8") as source:
        lines = source.read().splitlines()
    for number, raw in enumerate(lines, 1):
        where = f"{os.path.basename(path)}:{number}"
        stripped = raw.strip()
        if stripped.startswith(">"):
            current = stripped[1:].strip().upper()
            profile["rules"][current] = []
            continue
        line = strip_comment(stripped).strip()
        if not line:
            continue
        if current is None:
            words = line.split()
            if words[0] == "echo":
                profile["echo"] = "off" not in words[1:]
                profile["locked"] = "locked" in words[1:]
            elif words[0] == "disconnect-after":
                profile["disconnect"] = int(words[1])
            elif words[0] not in ("delay", "drip", "reports", "report-on-command"):
                fail(where, f"unknown directive {words[0]}")
            continue
        pos = 0
        actions = profile["rules"][current]
        while pos < len(line):
            if line[pos].isspace():
                pos += 1
                continue
            if line[pos] == '"':
                data, pos = decode_string(line, pos, where)
                actions.append(("send", data))
                continue
            word = re.match(r"\S+", line[pos:]).group(0)
            pos += len(word)
            if word == "wait":
                pos += len(re.match(r"\s*\d+", line[pos:]).group(0))
            elif word == "repeat":
                count = re.match(r"\s*(\d+)\s*", line[pos:])
                pos += len(count.group(0))
                data, pos = decode_string(line, pos, where)
                actions.append(("send", data * min(int(count.group(1)), MAX_FUZZ_REPLY)))
            elif word in ("silent", "hangup"):
                actions.append((word, b""))
            else:
                fail(where, f"unknown action {word}")
    return profile


def query_replies(profile):
    """The bytes the query reads after each of its commands: echo, answer,
    nothing at all once the device has hung up."""
    replies = []
    echo = profile["echo"]
    gone = False
    for index, (command, _) in enumerate(QUERY):
        if gone:
            replies.append(b"")
            continue
        reply = command.encode() + b"\r" if echo else b""
        rule = profile["rules"].get(command)
        if rule is None and command not in ("ATE0", "ATE1"):
            rule = profile["rules"].get("*")
        if rule is None:
            reply += b"\r\nOK\r\n" if command in ("ATE0", "ATE1") else b"\r\nERROR\r\n"
        else:
            for kind, data in rule:
                if kind == "hangup":
                    gone = True
                    break
                reply += data
        if command == "ATE0" and not profile["locked"]:
            echo = False
        replies.append(reply)
        if profile["disconnect"] is not None and index + 1 >= profile["disconnect"]:
            gone = True
    return replies


def encode_reply(reply):
    if len(reply) > MAX_PIECE:
        head = reply[:LONG_REPLY_HEAD]
        return struct.pack("<HB", len(head), 255) + head
    return struct.pack("<HB", len(reply), 0) + reply


def value_of(reply, prefix):
    """The value ExtractReplyValue takes for prefix, for the field-walk seeds."""
    text = reply.split(b"\0", 1)[0]
    at = text.find(prefix.encode())
    if at < 0:
        return None
    rest = text[at + len(prefix) + 1:]
    rest = rest[1:] if rest.startswith(b" ") else rest
    rest = rest[1:] if rest.startswith(b'"') else rest
    value = re.split(rb"[\r\n]", rest, 1)[0]
    return value[:-1] if value.endswith(b'"') else value


def safe_name(text):
    return re.sub(r"[^A-Za-z0-9]+", "_", text).strip("_") or "empty"


def new_corpus(harness):
    """One harness's directory, emptied of the seeds written before."""
    directory = os.path.join(CORPUS, harness)
    os.makedirs(directory, exist_ok=True)
    for name in os.listdir(directory):
        os.remove(os.path.join(directory, name))
    return {"directory": directory, "seen": set()}


def add_seed(corpus, name, data, key=None):
    """Writes a seed unless one with the same key (its bytes by default) exists."""
    digest = hashlib.sha1(data if key is None else key).hexdigest()
    if digest in corpus["seen"]:
        return
    corpus["seen"].add(digest)
    with open(os.path.join(corpus["directory"], name), "wb") as out:
        out.write(data)


def main():
    extract = new_corpus("fuzz_extract")
    decoders = new_corpus("fuzz_decoders")
    field_walk = new_corpus("fuzz_field_walk")
    query = new_corpus("fuzz_query")
    shop = new_corpus("fuzz_shop_link")

    stick_replies = []
    for file_name in sorted(os.listdir(PROFILES), key=lambda name: name.split(".")[0]):
        if not file_name.endswith(".profile"):
            continue
        profile = parse_profile(os.path.join(PROFILES, file_name))
        stem = safe_name(file_name[:-len(".profile")])
        replies = query_replies(profile)
        if file_name == "e1550.profile":
            stick_replies = replies
        add_seed(query, stem, b"".join(encode_reply(reply) for reply in replies))
        if file_name[:-len(".profile")] not in REPLY_SEED_PROFILES:
            continue

        for (command, reads), reply in zip(QUERY, replies):
            reply = reply[:0xFFFF]
            for prefix, row in reads:
                name = f"{stem}-{safe_name(command)}-{safe_name(prefix) if prefix else 'line'}"
                if row is None:
                    # The signal number and text size of fuzz_decoders come first.
                    add_seed(decoders, name, struct.pack("<iB", 20, 255) + reply)
                    value = value_of(reply, prefix)
                    if value:
                        add_seed(field_walk, name, value)
                elif prefix == reads[0][0]:
                    # One seed per reply: the fuzzer reaches the command's
                    # other prefixes by changing the first byte.
                    add_seed(extract, name, bytes([EXTRACT_PREFIXES.index(prefix), row + 1]) + reply,
                                key=reply)

    # A prefix of the input's own, past the list (selector 255, 2-byte length).
    own = b"+CGMM"
    add_seed(extract, "own-prefix", bytes([255]) + struct.pack("<H", len(own)) + own + bytes([2]) +
                b"\r\n+CGMM: \"E1550\"\r\n\r\nOK\r\n")

    # The vendor's unsolicited reports: in the same read as the answer, in a
    # read of their own before it (a form feed ends a read in fuzz_port.cpp),
    # and reads that hold nothing but reports.
    reports = [b"\r\n^RSSI:17\r\n", b"\r\r^BOOT:20952084,0,0,0,72\r\r", b"\r\n^CSNR: -145,-32\r\n",
               b"\r\n^DSFLOWRPT:00000210,00000000,00000000,0000000000000C58,0000000000000C5E,0010E000,0010E000\r\n"]
    def with_reports(joiner):
        return b"".join(encode_reply(reports[i % len(reports)] + joiner + reply)
                        for i, reply in enumerate(stick_replies))
    add_seed(query, "reports-inside-replies", with_reports(b""))
    add_seed(query, "reports-before-replies", with_reports(b"\f"))
    add_seed(query, "reports-only", b"".join(encode_reply(reports[i % len(reports)] + b"\f" + reports[0])
                                             for i in range(len(QUERY))))
    for i, report in enumerate(reports):
        add_seed(extract, f"report-before-line-{i}", bytes([0, 2]) + report + b"\r\nE1550\r\n\r\nOK\r\n")

    for model, versions in SHOP_SEEDS:
        data = model.encode() + versions.encode()
        add_seed(shop, safe_name(f"{model}-{versions}"), bytes([4]) + struct.pack("<H", len(model)) + data)

    # The stick readers' inputs: a routing table as the router-firmware
    # fixture has it, hardware IDs of the vendor's sticks, and sticks in
    # each state (kind byte, then driver, name and gateway with a length
    # byte each).
    sticks = new_corpus("fuzz_stick_sources")
    route = (b"Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
             b"eth0\t00000000\t0100000A\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
             b"usb0\t0008A8C0\t00000000\t0001\t0\t0\t700\t00FFFFFF\t0\t0\t0\n"
             b"usb0\t00000000\t0108A8C0\t0003\t0\t0\t700\t00000000\t0\t0\t0\n")
    add_seed(sticks, "route-usb0", bytes([0, 4]) + b"usb0" + route)
    for hardware_id in ("USB\\VID_12D1&PID_1001&MI_02", "USB\\VID_12D1&PID_14DC\\0123456789ABCDEF",
                        "USBSTOR\\CdRom&Ven_Vendor&Prod_Mass_Storage", "Ports", "DiskDrive"):
        add_seed(sticks, "id-" + safe_name(hardware_id), bytes([1]) + hardware_id.encode())
    def part(kind, driver, name, gateway):
        return bytes([kind]) + b"".join(bytes([len(t)]) + t.encode() for t in (driver, name, gateway))
    header = struct.pack("<HHBBH", 0x1001, 1, 0, 0, 300)
    add_seed(sticks, "stick-ports", bytes([2]) + header + part(1, "option", "/dev/ttyUSB0", "") +
             part(1, "option", "/dev/ttyUSB1", "") + part(3, "usb-storage", "", ""))
    add_seed(sticks, "stick-router", bytes([2]) + struct.pack("<HHBBH", 0x14DC, 1, 0, 2, 300) +
             part(2, "cdc_ether", "usb0", "192.168.8.1") + part(3, "usb-storage", "", ""))
    add_seed(sticks, "stick-storage", bytes([2]) + struct.pack("<HHBBH", 0x1446, 1, 0, 1, 300) +
             part(3, "usb-storage", "", ""))
    add_seed(sticks, "stick-no-driver", bytes([2]) + struct.pack("<HHBBH", 0x1506, 29, 0, 2, 300))

    # The router report's documents: every reply of the router profiles, as
    # the XML reader's input (high bit of the first byte) of its own path,
    # and the same elements as a list (depth byte, name, text).
    routers = new_corpus("fuzz_router_rows")
    paths = ["/api/device/information", "/api/monitoring/status", "/api/net/current-plmn",
             "/api/device/signal", "/api/pin/status", "/api/pin/simlock", "/api/net/net-mode"]
    for profile in sorted(glob.glob(os.path.join(ROOT, "tools", "modem-sim", "routers", "*.router"))):
        name = os.path.basename(profile)[:-len(".router")]
        with open(profile, encoding="utf-8") as f:
            lines = f.read().split("\n")
        i = 0
        while i < len(lines):
            words = lines[i].split()
            i += 1
            if len(words) < 2 or words[0] != "GET":
                continue
            body = []
            while i < len(lines) and lines[i] != ".":
                body.append(lines[i])
                i += 1
            if words[1] not in paths:
                continue
            index = paths.index(words[1])
            document = "\r\n".join(body).encode("utf-8")
            add_seed(routers, f"{name}-{index}-xml", bytes([0x80 | index]) + document)
            elements = b"".join(bytes([1]) + tag.encode() + b"\0" + text.encode("utf-8") + b"\0"
                                for tag, text in re.findall(r"<(\w+)>([^<]*)</\1>", "\n".join(body)))
            add_seed(routers, f"{name}-{index}-elements", bytes([index]) + elements)

    for corpus in (extract, decoders, field_walk, query, shop, sticks, routers):
        print(f"{os.path.relpath(corpus['directory'], ROOT)}: {len(corpus['seen'])} seeds")


if __name__ == "__main__":
    main()
