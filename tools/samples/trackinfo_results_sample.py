#!/usr/bin/env python3
"""Makes data/samples/trackinfo_results.txt: the TrackInfo program of the week
after the TrackInfo sample card, whose past lines hold that card's results.

Each race of the card (12/08/26) is run once more on 12/15/26 with the same
dogs in the same posts; each dog's one past line is its run of 12/08: the
date and race number of the card's race, a finish, the winning and its own
time, and its odds. Importing it after the card, then checking the card,
gives the results check something to compare. The file is committed; run
this only to change it (after the TrackInfo sample, which it reads):
    python3 tools/samples/trackinfo_results_sample.py
Every name and number is made up.
"""

import datetime
import os
import random
import re

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "samples")

# The winning time, in hundredths, of each distance the card runs.
BASE = {"5/16": 3050, "3/8": 3790, "550": 3110, "660": 3740, "7/16": 4420, "770": 4480}
ODDS = [1.2, 2.2, 3.4, 4.5, 5.6, 7.9, 9.9, 14.3]

HEADER = re.compile(r"^\s*(\d+)\s+(\d\d/\d\d/\d\d)\s+RACE (\d+)\s+Grade: ([^,]+), Distance: (\S+)")
ENTRY = re.compile(r"^([ \d]\d) (.{17}) Trainer:")


def put(line, col, text):
    """Places text at a 1-based column, padding with blanks."""
    at = col - 1
    if len(line) < at:
        line += " " * (at - len(line))
    return line[:at] + text + line[at + len(text):]


def time_text(hundredths):
    return f"{hundredths // 100:02d}.{hundredths % 100:02d}"


def card_races():
    """The card's races as the sample prints them: number, grade, distance,
    and the dogs by post."""
    with open(os.path.join(HERE, "trackinfo_sample.txt"), "rb") as f:
        lines = f.read().decode("cp1252").splitlines()
    races = []
    for line in lines:
        h = HEADER.match(line)
        if h:
            races.append({"race": int(h.group(3)), "grade": h.group(4),
                          "distance": h.group(5), "dogs": []})
            continue
        e = ENTRY.match(line)
        if e and races:
            races[-1]["dogs"].append((int(e.group(1)), e.group(2).rstrip()))
    return races


def main():
    rng = random.Random(15)
    card = datetime.date(2026, 12, 8)
    later = card + datetime.timedelta(days=7)
    races = card_races()
    out = ["Track Handicapper: Dale Pruitt               Program Format 3.1    Page 1",
           "=" * 80, ""]
    lines = 0
    for r in races:
        out.append(f"{r['race']:>2}  {later.strftime('%m/%d/%y')}  RACE {r['race']}   "
                   f"Grade: {r['grade']}, Distance: {r['distance']}")
        out.append(f"    Purse $400   Post time {7 + r['race'] // 4}:{(r['race'] * 17) % 60:02d} "
                   "PM   Trifecta, Superfecta")
        out.append("_" * 80)
        field = r["dogs"]
        order = list(field)
        rng.shuffle(order)
        favourites = list(field)
        rng.shuffle(favourites)
        win = BASE[r["distance"]] + rng.randint(-40, 60)
        grade = r["grade"] if len(r["grade"]) <= 2 else "M"
        for post, name in field:
            fin = order.index((post, name)) + 1
            calls = [min(8, max(1, fin + rng.randint(-2, 2))) for _ in range(3)]
            odds = ODDS[favourites.index((post, name))] * rng.uniform(0.85, 1.2)
            out.append(f"{post:>2} {name[:17].ljust(17)} Trainer: K. Hale   Wt 66  (M)")
            out.append("   Owner: Lone Pine Kennels  bk m 6/23")
            out.append("   Date     Race  Dist  Win    Cond  P B E  Str  Fin         Time   "
                       "Odds  Gr")
            line = ""
            line = put(line, 1, card.strftime("%m/%d/%y"))
            line = put(line, 10, f"{r['race']:>2}")
            line = put(line, 13, "WD")
            line = put(line, 17, r["distance"])
            line = put(line, 23, time_text(win))
            line = put(line, 29, "fst")
            line = put(line, 35, str(post))
            line = put(line, 37, str(calls[0]))
            line = put(line, 39, str(calls[1]))
            line = put(line, 44, f"{calls[2]:>2}")
            line = put(line, 48, f"{fin}-{rng.choice(['1', '2', '3 1/2', '5', 'ns', 'hd'])}")
            line = put(line, 59, time_text(win + (fin - 1) * rng.randint(6, 14)))
            line = put(line, 66, f"{odds:.2f}")
            line = put(line, 73, grade)
            out.append(line)
            lines += 1
            out.append("")
    text = "\r\n".join(out) + "\r\n"
    with open(os.path.join(HERE, "trackinfo_results.txt"), "wb") as f:
        f.write(text.encode("cp1252"))
    print(f"trackinfo_results.txt: races {len(races)}, result lines {lines}")


if __name__ == "__main__":
    main()
