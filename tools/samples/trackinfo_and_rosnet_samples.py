#!/usr/bin/env python3
"""Makes the TrackInfo and Rosnet sample programs in data/samples/.

The files are committed; run this only to change them:
    python3 tools/samples/trackinfo_and_rosnet_samples.py
Every name, track and number is made up. Prints what an import into an empty
dog database must count.
"""

import collections
import datetime
import os
import random

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "samples")

FIRST = ["Swift", "Blue", "Jay", "Red", "Copper", "Lucky", "Silver", "Midnight", "Prairie",
         "Rocket", "Sandy", "Storm", "Windy", "Brave", "Dusty", "Gold", "Iron", "Maple",
         "Nova", "Quiet", "Rusty", "Shadow", "Tiger", "Velvet", "Wild", "Zesty", "Amber",
         "Bold", "Cedar", "Dandy"]
SECOND = ["Arrow", "Comet", "Dancer", "Flash", "Runner", "Spirit", "Bandit", "Blaze",
          "Breeze", "Charm", "Dash", "Echo", "Fable", "Gale", "Hawk", "Jet", "Legend",
          "Magic", "Ranger", "Rebel", "Rose", "Scout", "Sparks", "Streak", "Thunder",
          "Tonic", "Venture", "Whisper", "Wonder", "Zephyr"]


def names(rng, count, special):
    out = list(special)
    seen = {n.upper() for n in out}
    while len(out) < count:
        n = f"{rng.choice(FIRST)} {rng.choice(SECOND)}"
        if rng.random() < 0.3:
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


Run = collections.namedtuple(
    "Run", "day race distance grade win post brk eighth stretch fin own odds")


class PastRaces:
    """The races a card's dogs ran before the card, as a real program lists
    them: on each race day the dogs still to run are drawn into fields of up
    to eight, and the lines of one race share its date, race number,
    distance, grade and winning time. Each dog has a strength of its own:
    stronger dogs tend to run in front and go off at shorter odds. A dog's
    runs come newest first."""

    ODDS = [1.2, 2.2, 3.4, 4.5, 5.6, 7.9, 9.9, 14.3]

    def __init__(self, rng, dogs, card, distances, grades, per_dog=(6, 10)):
        self.runs = {d: [] for d in dogs}
        left = {d: rng.randint(*per_dog) for d in dogs}
        strength = {d: rng.gauss(0, 1) for d in dogs}
        day = card - datetime.timedelta(days=rng.randint(2, 3))
        while any(left.values()):
            running = [d for d in dogs if left[d] > 0]
            rng.shuffle(running)
            for number, start in enumerate(range(0, len(running), 8), start=1):
                field = running[start:start + 8]
                distance = rng.choice(distances)
                grade = rng.choice(grades)
                win = distance[-1] + rng.randint(-40, 60)
                favourites = sorted(field, key=lambda d: -strength[d])
                order = sorted(field, key=lambda d: -(strength[d] + rng.gauss(0, 1.2)))
                posts = rng.sample(range(1, 9), len(field))
                for dog, post in zip(field, posts):
                    fin = order.index(dog) + 1
                    calls = [min(8, max(1, fin + rng.randint(-2, 2))) for _ in range(3)]
                    odds = self.ODDS[favourites.index(dog)] * rng.uniform(0.85, 1.2)
                    self.runs[dog].append(Run(
                        day=day, race=number, distance=distance, grade=grade, win=win,
                        post=post, brk=calls[0], eighth=calls[1], stretch=calls[2], fin=fin,
                        own=win + (fin - 1) * rng.randint(6, 14), odds=round(odds, 1)))
                    left[dog] -= 1
            day -= datetime.timedelta(days=rng.randint(3, 6))


class Counts:
    def __init__(self):
        self.dogs = 0
        self.lines = 0
        self.duplicates = 0
        self.races = 0
        self.posts = 0


# ---------------------------------------------------------------------------
# TrackInfo

TI_DISTANCES = [("5/16", 3050), ("3/8", 3790), ("550", 3110), ("660", 3740), ("7/16", 4420),
                ("770", 4480)]


def trackinfo(rng):
    card = datetime.date(2026, 12, 8)
    counts = Counts()
    special = ["Blue \"Ace\" Comet", "Caf\u00e9 Noir", "O'Malley's Pride"]
    dogs = names(rng, 12 * 8, special)
    past = PastRaces(rng, dogs, card, TI_DISTANCES, ["A", "B", "C", "D", "AA", "E"])
    out = []
    out.append("Track Handicapper: Dale Pruitt               Program Format 3.1    Page 1")
    out.append("=" * 80)
    out.append("")
    headers = [("C", "5/16"), ("TC", "3/8"), ("B", "550"), ("MA", "5/16"), ("A", "660"),
               ("D", "7/16"), ("TB", "5/16"), ("AA", "770"), ("Maiden", "3/8"), ("E", "5/16"),
               ("J", "550"), ("C", "3/8")]
    # Awkward past lines, placed on chosen dogs.
    awkward = {
        1: "split",        # finish 2, dash, 1 1/2
        2: "nose",         # 1 by a nose
        3: "fell",         # no dash: finish 9, lengths 99
        4: "notime",       # own time blank
        5: "schooling",    # SA: stored as L, no start
        6: "tb",           # TB: stored as BT
        7: "baddate",      # unreadable date: previous date kept, a duplicate
        8: "sameday",      # another race the same day: a duplicate
        9: "distances",    # 660, 770 and 3/8 on one dog
    }
    dog_no = 0
    for race in range(1, len(headers) + 1):
        grade, dist = headers[race - 1]
        if race == 7:
            out.append("Track Handicapper: Dale Pruitt               Program Format 3.1    Page 2")
            out.append("=" * 80)
        out.append(f"{race:>2}  {card.strftime('%m/%d/%y')}  RACE {race}   Grade: {grade}, "
                   f"Distance: {dist}")
        out.append(f"    Purse ${rng.choice([350, 400, 450, 500])}   Post time "
                   f"{7 + race // 4}:{(race * 17) % 60:02d} PM   Trifecta, Superfecta")
        out.append("_" * 80)
        counts.races += 1
        for post in range(1, 9):
            name = dogs[dog_no]
            dog_no += 1
            counts.posts += 1
            counts.dogs += 1
            out.append(f"{post:>2} {fit(name, 17)} Trainer: {rng.choice('KLMRST')}. "
                       f"{rng.choice(['Doe', 'Hale', 'Ortiz', 'Brandt', 'Kim'])}   "
                       f"Wt {rng.randint(56, 76)}  ({rng.choice('RMW')})")
            out.append(f"   Owner: {rng.choice(['Jay', 'Bay Ridge', 'Lone Pine', 'Tri-Star'])}"
                       f" Kennels  {rng.choice(['bk', 'bd', 'f', 'w'])} "
                       f"{rng.choice('mf')} {rng.randint(1, 12)}/{rng.randint(22, 24)}")
            out.append("   Date     Race  Dist  Win    Cond  P B E  Str  Fin         Time   "
                       "Odds  Gr")
            kind = awkward.get(dog_no) if race <= 2 else None
            prev_date = None
            for i, run in enumerate(past.runs[name]):
                d_text, base = run.distance
                if kind == "distances" and i < 3:
                    d_text, base = [("660", 3740), ("770", 4480), ("3/8", 3790)][i]
                win = run.win
                p = run.post
                fin = run.fin
                lengths = rng.choice(["1", "2", "3 1/2", "5", "ns", "hd", "nk", "1/2", "12"])
                own = run.own
                gr = run.grade
                date_text = run.day.strftime("%m/%d/%y")
                fin_text = f"{fin}-{lengths}"
                own_text = time_text(own)
                counted = True
                dup = False
                if kind == "split" and i == 0:
                    fin_text = "2-1 1/2"
                elif kind == "nose" and i == 0:
                    fin_text = "1-ns"
                elif kind == "fell" and i == 1:
                    fin_text = "fell"
                    own_text = ""
                elif kind == "notime" and i == 0:
                    own_text = ""
                elif kind == "schooling" and i in (0, 2):
                    gr = "SA"
                    counted = False
                elif kind == "tb" and i == 0:
                    gr = "TB"
                elif kind == "baddate" and i == 2:
                    date_text = "??/??/??"
                    dup = True
                elif kind == "sameday" and i == 1:
                    date_text = prev_date
                    dup = True
                line = ""
                line = put(line, 1, date_text)
                line = put(line, 10, f"{run.race:>2}")
                line = put(line, 13, "WD")
                line = put(line, 17, d_text)
                line = put(line, 23, time_text(win))
                line = put(line, 29, rng.choice(["fst", "fst", "slw", "my"]))
                line = put(line, 35, str(p))
                line = put(line, 37, str(run.brk))
                line = put(line, 39, str(run.eighth))
                line = put(line, 44, f"{run.stretch:>2}")
                line = put(line, 48, fin_text)
                line = put(line, 59, own_text)
                line = put(line, 66, f"{run.odds:.2f}")
                line = put(line, 73, gr)
                line = put(line, 77, rng.choice(["Closed well", "Blocked 1st", "Set pace",
                                                 "Wide early", "Even effort", "Rail trip"]))
                out.append(line)
                if dup:
                    counts.duplicates += 1
                else:
                    counts.lines += 1
                    prev_date = date_text
                _ = counted
            out.append("")
    text = "\r\n".join(out) + "\r\n"
    with open(os.path.join(HERE, "trackinfo_sample.txt"), "wb") as f:
        f.write(text.encode("cp1252"))
    return counts


# ---------------------------------------------------------------------------
# Rosnet

RN_DISTANCES = [("5/16", 3050), ("3/8", 3790), ("7/16", 4420), ("550", 3110), ("660", 3740)]


def rosnet(rng):
    card = datetime.date(2026, 12, 9)
    counts = Counts()
    special = ["Mister \"Q\" Jet", "Lady Jos\u00e9 Rose"]
    dogs = names(rng, 13 * 8, special)
    past = PastRaces(rng, dogs, card, RN_DISTANCES, ["A  ", "B  ", "C  ", "D  ", "E  "])
    out = [f"ROSNET GREYHOUND PROGRAM   Wednesday {card.strftime('%m/%d/%Y')}   "
           "Riverbend Park   Evening"]
    out.append("")
    headers = [("C", "5/16"), ("D", "5/16"), ("TB", "3/8"), ("B", "5/16"), ("MA", "5/16"),
               ("A", "3/8"), ("C", "7/16"), ("AA", "5/16"), ("TC", "550"), ("E", "660"),
               ("B", "5/16"), ("M", "3/8"), ("J", "5/16")]
    words = ["race", "RACE", "Race"]
    posts = ["post", "POST", "Post"]
    awkward = {1: "schooling", 2: "as", 3: "lengths", 4: "comment", 5: "sameday",
               6: "baddate", 7: "short"}
    dog_no = 0
    for race in range(1, len(headers) + 1):
        grade, dist = headers[race - 1]
        out.append(f"{words[race % 3]} {fit(str(race), 4)}{fit(grade, 4)}{fit(dist, 8)}"
                   f"Purse ${rng.choice([300, 350, 400])}  Post {6 + race // 3}:"
                   f"{(race * 13) % 60:02d}")
        counts.races += 1
        for post in range(1, 9):
            name = dogs[dog_no]
            dog_no += 1
            counts.posts += 1
            counts.dogs += 1
            out.append(f"{posts[post % 3]} {fit(str(post), 2)}{fit(name, 30)}"
                       f"Kennel: {rng.choice(['Bay Ridge', 'Lone Pine', 'Hilltop', 'Cross Q'])}")
            out.append(f"     {rng.choice(['bk', 'bd', 'f', 'w'])} {rng.choice('mf')} "
                       f"{rng.randint(1, 12)}/{rng.randint(22, 24)}  Wt {rng.randint(56, 76)}  "
                       f"Trainer {rng.choice(['A. Ruiz', 'B. Cole', 'P. Tran'])}")
            kind = awkward.get(dog_no) if race == 1 else None
            prev_date = None
            for i, run in enumerate(past.runs[name]):
                d_text, _ = run.distance
                win = run.win
                fin = run.fin
                own = run.own
                lengths = f"{rng.randint(1, 14):>2}"
                g = run.grade
                date_text = run.day.strftime("%m/%d/%y")
                dup = False
                if kind == "schooling" and i in (0, 1):
                    g = "C X"
                elif kind == "as" and i == 0:
                    g = "SA "
                elif kind == "lengths" and i < 3:
                    lengths = [" 0", "  ", "12"][i]
                elif kind == "sameday" and i == 1:
                    date_text = prev_date
                    dup = True
                elif kind == "baddate" and i == 1:
                    date_text = "  /  /  "
                    dup = True
                line = ""
                line = put(line, 3, date_text)
                line = put(line, 15, rng.choice(["E", "A", "M"]))
                line = put(line, 17, f"{run.race:>2}")
                line = put(line, 20, d_text)
                line = put(line, 26, rng.choice(["f", "s", "m"]))
                line = put(line, 29, time_text(win))
                line = put(line, 39, str(run.post))
                line = put(line, 41, str(run.brk))
                line = put(line, 43, str(run.eighth))
                line = put(line, 49, str(run.stretch))
                line = put(line, 55, str(fin))
                line = put(line, 57, lengths)
                line = put(line, 64, time_text(own))
                line = put(line, 72, f"{run.odds:<5.1f}")
                line = put(line, 78, g)
                if kind == "short" and i == 0:
                    line = line.rstrip()  # ends at column 78: no mark in column 80
                out.append(line)
                if dup:
                    counts.duplicates += 1
                else:
                    counts.lines += 1
                    prev_date = date_text
                if kind == "comment" and i == 2:
                    # Neither a race nor an entry line: read as a past line whose
                    # date cannot be read, so the previous one stays: a duplicate.
                    out.append("  Note: moved up in grade, watch for a closing run")
                    counts.duplicates += 1
        out.append("")
    text = "\n".join(out) + "\n"
    with open(os.path.join(HERE, "rosnet_sample.txt"), "wb") as f:
        f.write(text.encode("utf-8"))
    return counts


def main():
    for label, fn, seed in (("trackinfo_sample.txt", trackinfo, 7), ("rosnet_sample.txt", rosnet, 11)):
        c = fn(random.Random(seed))
        print(f"{label}: dogs {c.dogs}, lines {c.lines}, duplicates {c.duplicates}, "
              f"races {c.races}, posts {c.posts}")


if __name__ == "__main__":
    main()
