#!/usr/bin/env python3
"""Makes the DogPak/QuickDog, Derby Lane and QAV TEST sample inputs in data/samples/.

The files are committed; run this only to change them:
    python3 tools/samples/dogpak_qav_derbylane_samples.py
Every name, track and number is made up. Prints what an import into an empty
dog database must count (the QAV TEST years as seen on 8 December 2026).
"""

import datetime
import os
import random
import struct

from trackinfo_and_rosnet_samples import PastRaces

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "samples")

FIRST = ["Swift", "Blue", "Jay", "Red", "Copper", "Lucky", "Silver", "Midnight", "Prairie",
         "Rocket", "Sandy", "Storm", "Windy", "Brave", "Dusty", "Gold", "Iron", "Maple",
         "Nova", "Quiet", "Rusty", "Shadow", "Tiger", "Velvet", "Wild", "Zesty", "Amber",
         "Bold", "Cedar", "Dandy", "Ember", "Frosty", "Hazel", "Indigo", "Lone"]
SECOND = ["Arrow", "Comet", "Dancer", "Flash", "Runner", "Spirit", "Bandit", "Blaze",
          "Breeze", "Charm", "Dash", "Echo", "Fable", "Gale", "Hawk", "Jet", "Legend",
          "Magic", "Ranger", "Rebel", "Rose", "Scout", "Sparks", "Streak", "Thunder",
          "Tonic", "Venture", "Whisper", "Wonder", "Zephyr", "Pilot", "Rascal"]

CARD = datetime.date(2026, 12, 8)


def names(rng, count, special):
    out = list(special)
    seen = {n.upper() for n in out}
    while len(out) < count:
        n = f"{rng.choice(FIRST)} {rng.choice(SECOND)}"
        if len(n) > 16:
            continue
        if rng.random() < 0.25:
            n = n.upper()
        if n.upper() not in seen:
            seen.add(n.upper())
            out.append(n)
    rng.shuffle(out)
    return out


def put(line, col, text):
    """Places text at a 1-based column, padding with blanks."""
    at = col - 1
    if len(line) < at:
        line += " " * (at - len(line))
    return line[:at] + text + line[at + len(text):]


def fit(text, width):
    return text[:width].ljust(width)


def time_text(hundredths):
    return f"{hundredths // 100:02d}.{hundredths % 100:02d}"


class Counts:
    """What an import of the sample into an empty dog database adds."""

    def __init__(self):
        self.dogs = set()      # upper-case names
        self.dates = {}        # upper-case name -> set of dates
        self.lines = 0
        self.duplicates = 0
        self.starts = 0
        self.schooling = 0
        self.races = 0
        self.posts = 0

    def dog(self, name):
        self.dogs.add(name.upper())
        self.dates.setdefault(name.upper(), set())

    def line(self, name, date, counted, tested=True):
        """A past line of a known dog; returns whether it is stored."""
        seen = self.dates[name.upper()]
        if tested and date in seen:
            self.duplicates += 1
            return False
        seen.add(date)
        self.lines += 1
        if counted:
            self.starts += 1
        else:
            self.schooling += 1
        return True

    def report(self, label):
        print(f"{label}: dogs {len(self.dogs)}, lines {self.lines}, duplicates "
              f"{self.duplicates}, races {self.races}, posts {self.posts}, starts "
              f"{self.starts}, schooling {self.schooling}")


# Distances: (DogPak lines code, published distance, base time in hundredths)
DISTANCES = [("5", "5/16", 3050), ("3", "3/8", 3790), ("5", "550", 3110), ("3", "660", 3740),
             ("7", "7/16", 4420), ("6", "770", 4480)]


def past_days(rng, n):
    day = CARD - datetime.timedelta(days=rng.randint(2, 5))
    out = []
    for _ in range(n):
        out.append(day)
        day -= datetime.timedelta(days=rng.randint(3, 8))
    return out


# ---------------------------------------------------------------------------
# DogPak/QuickDog: setup.txt and lines.txt

def dogpak(rng):
    counts = Counts()
    special = ["Blue \"Ace\" Comet", "Caf\u00e9 Noir", "O'Malley's Joy"]
    short_fields = {4: 7, 9: 6}  # race -> runners (the other slots stay empty)
    dogs = names(rng, 12 * 8 - sum(8 - n for n in short_fields.values()), special)
    # (distance code, grade) of each race of the card; 6 and 7 are long here.
    races = [("5", "C"), ("3", "B"), ("5", "A"), ("6", "AA"), ("5", "M"), ("7", "D"),
             ("5", "TC"), ("3", "C"), ("5", "E"), ("5", "J"), ("6", "B"), ("5", "A")]
    awkward = {1: "as", 2: "schooling", 3: "notime", 4: "baddate", 5: "sameday",
               6: "case", 7: "longcodes", 8: "tb", 9: "blank"}

    # Distances as (lines code, published distance, base time).
    past = PastRaces(rng, dogs, CARD, DISTANCES, ["A ", "B ", "C ", "D ", "AA", "E ", "M "])
    setup = []
    lines = []
    dog_no = 0
    for race, (code, grade) in enumerate(races, start=1):
        runners = short_fields.get(race, 8)
        slots = []
        for post in range(1, 9):
            if post > runners:
                slots.append("")
                continue
            name = dogs[dog_no]
            dog_no += 1
            slots.append(name)
            counts.dog(name)
            kind = awkward.get(dog_no)
            prev = None
            for i, run in enumerate(past.runs[name]):
                day = run.day
                dcode, _, _ = run.distance
                if kind == "longcodes" and i < 2:
                    dcode = ["6", "7"][i]  # short in the lines file
                win = run.win
                fin = run.fin
                own = run.own
                gr = run.grade
                date_text = day.strftime("%m/%d/%y")
                line_name = name
                date = day
                win_text, own_text = time_text(win), time_text(own)
                if kind == "as" and i == 0:
                    gr = "SA"
                elif kind == "tb" and i == 1:
                    gr = "TB"
                elif kind == "schooling" and i in (0, 3):
                    gr = "L "
                elif kind == "notime" and i == 0:
                    own_text = "     "
                elif kind == "baddate" and i == 2:
                    date_text = "  /  /  "
                    date = prev
                elif kind == "sameday" and i == 1:
                    date_text = prev.strftime("%m/%d/%y")
                    date = prev
                elif kind == "case" and i >= 3:
                    line_name = name.upper() if name != name.upper() else name.lower()
                line = ""
                line = put(line, 1, f"{dog_no:05d}")
                line = put(line, 6, fit(line_name, 16))
                line = put(line, 22, rng.choice(["WD ", "SX ", "LK "]))
                line = put(line, 25, date_text)
                line = put(line, 33, f"{run.race:>2}")
                line = put(line, 35, rng.choice(["f ", "s ", "m "]))
                line = put(line, 37, dcode)
                line = put(line, 38, gr)
                line = put(line, 40, f"{rng.randint(56, 76):>3}  ")
                line = put(line, 45, win_text)
                line = put(line, 50, f"{run.post}{run.brk}{run.eighth}{run.stretch}{fin}")
                line = put(line, 55, own_text)
                line = put(line, 60, f"{run.odds:<4}"[:4])
                lines.append(line)
                if kind == "blank" and i == 2:
                    lines.append("")
                    lines.append("      ")
                counts.line(name, date, not gr.startswith("L"))
                if date is day:
                    prev = day
        line = "".join(fit(n, 16) + " " for n in slots)
        line = put(line, 217, code)
        line = put(line, 218, fit(grade, 2))
        line = put(line, 221, CARD.strftime("%m/%d/%y"))
        line = put(line, 229, f"{race:>2}")
        setup.append(line)
        counts.races += 1
        counts.posts += 8
        if race == 6:
            setup.append("")
    for name, rows in (("dogpak_setup.txt", setup), ("dogpak_lines.txt", lines)):
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(("\r\n".join(rows) + "\r\n").encode("cp1252"))
    return counts


# ---------------------------------------------------------------------------
# Derby Lane

def derbylane(rng):
    counts = Counts()
    special = ["Mister \"Q\" Jet", "Jos\u00e9's Rose", "O'Brien Flyer"]
    dogs = names(rng, 12 * 8, special)
    past = PastRaces(rng, dogs, CARD, DISTANCES, ["A ", "B ", "C ", "D ", "AA", "E "])
    headers = [("C", "5/16"), ("TB", "3/8"), ("B", "550"), ("MDN", "5/16"), ("A", "660"),
               ("D", "7/16"), ("TC", "5/16"), ("AA", "770"), ("M", "3/8"), ("E", "5/16"),
               ("J", "550"), ("C", "3/8")]
    awkward = {1: "schooling", 2: "tb", 3: "lengths", 4: "tenths", 5: "sameday",
               6: "baddate", 7: "comment", 8: "notime"}
    out = ["DERBY LANE  *  St. Petersburg Kennel Club  *  Official Program  *  Evening"]
    dog_no = 0
    for race, (grade, dist) in enumerate(headers, start=1):
        when = CARD.strftime("%B %-d, %Y")
        if race == 5:
            when = "Decembre 8, 2026"  # not a date: the previous header's stays
        header = (f"DERBY LANE St. Petersburg, {when} "
                  f"{'Matinee' if race <= 6 else 'Evening'} Race {race:<2}  Grade {grade:<3} "
                  f"Distance {dist}")
        if race == 9:
            header = header.lower()
        out.append(header)
        out.append(f"  Purse ${rng.choice([400, 450, 500, 600])}   Post time "
                   f"{1 + race // 2}:{(race * 17) % 60:02d}   Trifecta  Superfecta")
        out.append("  Track record: 29.61 (5/16)  37.05 (3/8)")
        out.append("=" * 80)
        out.append("  PP Dog               Kennel                Wt  Sire x Dam")
        counts.races += 1
        for post in range(1, 9):
            name = dogs[dog_no]
            dog_no += 1
            counts.dog(name)
            counts.posts += 1
            out.append(f"{post:<2}{fit(name, 17)} "
                       f"{fit(rng.choice(['Bayside', 'Lone Pine', 'Hilltop', 'Tri-Star']), 20)}"
                       f"{rng.randint(56, 76):>3}  {rng.choice(FIRST)} x {rng.choice(SECOND)}")
            out.append(f"  {rng.choice(['bk', 'bd', 'f', 'w'])} {rng.choice('mf')} "
                       f"{rng.randint(1, 12)}/{rng.randint(22, 24)}   Trainer "
                       f"{rng.choice(['A. Ruiz', 'B. Cole', 'P. Tran'])}")
            out.append("  Date     Race Dist    Win       P B E    Str  Fin    Time  Odds  Gr")
            kind = awkward.get(dog_no) if race <= 2 else None
            prev = None
            for i, run in enumerate(past.runs[name]):
                day = run.day
                _, d_text, _ = run.distance
                win = run.win
                fin = run.fin
                own = run.own
                gr = run.grade
                lengths = f"{rng.randint(1, 14):>2}" if fin != 1 else rng.choice(["00", " 2"])
                date_text = day.strftime("%m-%d-%y")
                date = day
                win_text, own_text = time_text(win), time_text(own)
                if kind == "schooling" and i in (0, 2):
                    gr = "S "
                elif kind == "tb" and i == 0:
                    gr = "TB"
                elif kind == "lengths" and i < 2:
                    lengths = ["00", "  "][i]
                elif kind == "tenths" and i == 0:
                    win_text = win_text[:4] + " "  # 30.4 is 30.40
                    own_text = own_text[:3] + "5 "  # 30.5 is 30.50
                elif kind == "sameday" and i == 1:
                    date_text = prev.strftime("%m-%d-%y")
                    date = prev
                elif kind == "baddate" and i == 2:
                    date_text = "  -  -  "
                    date = prev
                elif kind == "notime" and i == 0:
                    own_text = "     "
                line = ""
                line = put(line, 1, rng.choice(["SP", "DL", "TC", "OR"]))
                line = put(line, 3, date_text)
                line = put(line, 12, rng.choice(["E", "A", "M"]))
                line = put(line, 14, f"{run.race:>2}")
                line = put(line, 17, fit(d_text, 5))
                line = put(line, 23, rng.choice(["f", "s", "m"]))
                line = put(line, 25, win_text)
                line = put(line, 35, str(run.post))
                line = put(line, 37, str(run.brk))
                line = put(line, 39, str(run.eighth))
                line = put(line, 44, str(run.stretch))
                line = put(line, 49, str(fin))
                line = put(line, 51, lengths)
                line = put(line, 54, own_text)
                line = put(line, 61, f"{run.odds:>5.2f}")
                line = put(line, 67, gr)
                line = put(line, 70, rng.choice(["Closed well", "Blocked 1st", "Set pace",
                                                 "Wide early", "Rail trip"]))
                out.append(line)
                counts.line(name, date, gr[0] != "S")
                if date is day:
                    prev = day
                if kind == "comment" and i == 1:
                    out.append("  Note: moved up in grade, watch for a closing run")
                    out.append("_" * 40)
            out.append("")
    with open(os.path.join(HERE, "derbylane_sample.txt"), "wb") as f:
        f.write(("\r\n".join(out) + "\r\n").encode("cp1252"))
    return counts


# ---------------------------------------------------------------------------
# QAV TEST: 825-byte records

def qav_entry(month, day, code, post, brk, eighth, stretch, race, fin, lengths, time, odds,
              grade):
    e = (f"{month:02d}{day:02d}{code}     {post}{brk}{eighth}{stretch}{race}{fin}"
         f"{lengths:02d}{time:04d}{odds:04d} {grade:<2} ")
    assert len(e) == 30, e
    return e.encode("ascii")


def qav_date(month, day, today=CARD):
    """The date a QAV TEST entry stands for, as the import reads it."""
    try:
        d = datetime.date(today.year, month, day)
    except ValueError:
        return None
    if d <= today:
        return d
    try:
        return datetime.date(today.year - 1, month, day)
    except ValueError:
        return None


def qav(rng):
    counts = Counts()
    special = ["Blue \"Ace\" Comet", "Caf\u00e9 Noir", "O'Malley's Joy"]
    dogs = names(rng, 10 * 8, special)
    records = []
    record_starts = 0
    # A dog met twice: its second record reads with the other letter set.
    repeat = dogs[5]
    order = dogs[:]
    order.insert(40, repeat)
    seen_once = set()
    for n, name in enumerate(order, start=1):
        new_dog = name.upper() not in seen_once
        seen_once.add(name.upper())
        starts = rng.randint(6, 60)
        wins = rng.randint(0, starts // 3)
        seconds = rng.randint(0, starts // 4)
        thirds = rng.randint(0, starts // 4)
        if new_dog:
            counts.dog(name)
            record_starts += starts
        rec = bytearray(b" " * 825)
        rec[0:16] = fit(name, 16).encode("cp1252")
        rec[16:23] = fit(f"K{n:03d}", 7).encode("ascii")
        rec[23:24] = rng.choice("RMW").encode("ascii")
        struct.pack_into("<hhhh", rec, 24, starts, wins, seconds, thirds)
        count = rng.randint(6, 8)
        days = past_days(rng, count)
        if n == 3:
            # December entries of last year, and one of today.
            days[0] = CARD
            days[-1] = datetime.date(2025, 12, 24)
        entries = []
        for i, day in enumerate(days):
            month, dd = day.month, day.day
            code = rng.choice("SSSSBPAEHKCRM ")
            fin = rng.randint(1, 8)
            base = 3050 if code in "SBPAEHK" else 3790
            e = qav_entry(month, dd, code, rng.randint(1, 8), rng.randint(1, 8),
                          rng.randint(1, 8), rng.randint(1, 8), rng.randint(1, 9), fin,
                          0 if fin == 1 else rng.randint(1, 15), base + rng.randint(-40, 120),
                          rng.choice([60, 150, 250, 350, 480, 990, 1430]),
                          rng.choice(["A", "B", "C", "D", "AA", "TA", "E"]))
            if n == 1 and i == 1:
                e = b"    " + e[4:]  # blank month and day: an empty entry
            elif n == 2 and i == 2:
                e = b"1340" + e[4:]  # no such month: skipped
            elif n == 4 and i == 1:
                e = e[:4] + b"B" + e[5:]  # B is short for a dog read the first time
            elif n == 7 and i == 1:
                e = entries[0][:4] + e[4:]  # two races of one day: both kept
            entries.append(e)
        if name == repeat and not new_dog:
            # Two dates of the first record again, and one new one.
            first = records[dogs.index(repeat)]
            entries = [bytes(first[32:62]), bytes(first[62:92]),
                       qav_entry(12, 7, "B", 1, 2, 3, 4, 5, 6, 3, 3110, 250, "C")]
        # A new dog's entries are not tested against each other.
        for i, e in enumerate(entries):
            rec[32 + 30 * i:62 + 30 * i] = e
            text = e.decode("ascii")
            if not text[:4].strip(" "):
                continue
            d = qav_date(int(text[0:2]), int(text[2:4]))
            if d is None:
                continue
            counts.line(name, d, False, tested=not new_dog)
        rec[272:282] = b"0123456789"
        rec[282:300] = fit(f"Sire {n}", 18).encode("ascii")
        records.append(bytes(rec))
    data = b"".join(records) + b"QAV-END" + b" " * 93  # a short tail, no record
    with open(os.path.join(HERE, "qav_TEST"), "wb") as f:
        f.write(data)
    counts.starts = record_starts
    print(f"qav_TEST: {len(records)} records, {len(data)} bytes")
    return counts


def main():
    for label, fn, seed in (("dogpak", dogpak, 3), ("derbylane_sample.txt", derbylane, 5),
                            ("qav_TEST", qav, 13)):
        fn(random.Random(seed)).report(label)


if __name__ == "__main__":
    main()
