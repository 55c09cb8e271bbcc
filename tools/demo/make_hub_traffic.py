#!/usr/bin/env python3
"""Writes the demo's hub traffic: a day of departures at Rome Fiumicino (LIRF, the demo's default
airport) busy enough to look like a real airport on the first start, from nine airlines with
flags, to airports in many time zones.

Run from anywhere: python3 tools/demo/make_hub_traffic.py
It replaces everything after the marker line in data/demo/flightplans.txt (the hand-written
lines above it show the conversion's special cases and stay as they are). The output is the same
at every run: the only randomness comes from a fixed seed. Times are Greenwich time, as the
simulator keeps them; every plan starts and ends at the hub, so each rotation is one departure
there.
"""
import os
import random

HUB = "LIRF"
MARKER = "// The hub's daily traffic, written by tools/demo/make_hub_traffic.py: edit that, not this."

# Destination, block time in minutes.
DOMESTIC = [("LIMC", 70), ("LIML", 65), ("LIRN", 50), ("LICC", 75), ("LICJ", 65), ("LIPZ", 65),
            ("LIPE", 55), ("LIBD", 60), ("LIEO", 55), ("LIEE", 60), ("LIMF", 75), ("LIPX", 60),
            ("LICA", 60), ("LIBR", 65)]
WESTERN = [("LFPG", 125), ("LFML", 80), ("LFLL", 90), ("LFMN", 75), ("EGLL", 155), ("EBBR", 130),
           ("EHAM", 140), ("EDDF", 110), ("EDDM", 95), ("LSZH", 85), ("LOWW", 95)]
IBERIAN = [("LEMD", 145), ("LEBL", 105), ("LPPT", 175), ("GCLP", 230)]
NORDIC = [("EKCH", 150), ("ENGM", 170), ("ESSA", 170), ("EFHK", 190)]
EASTERN = [("LGAV", 105), ("LTFM", 145), ("LLBG", 205), ("HECA", 200), ("LCLK", 175)]
AFRICAN = [("GMMN", 175), ("DTTA", 75), ("DAAG", 100)]

# Airline, flight number prefix, registration prefix, short-haul aircraft number, network,
# aircraft on it. The aircraft numbers are those of data/demo/aircraft.txt.
SHORT_HAUL = [
    ("ALP", "I-A", "AC#1", DOMESTIC, 20),
    ("ALP", "I-B", "AC#2", DOMESTIC + WESTERN[:4], 16),
    ("AZL", "F-H", "AC#3", WESTERN, 18),
    ("TAT", "EC-M", "AC#7", IBERIAN, 10),
    ("NSK", "LN-R", "AC#5", NORDIC, 8),
    ("CVX", "I-C", "AC#9", DOMESTIC[::2] + EASTERN + AFRICAN, 20),
    ("CDR", "A6-Q", "AC#15", EASTERN[:3], 4),
    ("SVA", "ZS-V", "AC#17", AFRICAN, 5),
]

# Long haul: airline, registration prefix, aircraft number, destination, departure (Greenwich
# hh:mm), block out, block back, turnaround at the far end, all in minutes.
LONG_HAUL = [
    ("AZL", "F-G", "AC#4", "KJFK", "10:40", 560, 500, 150),
    ("TAT", "EC-L", "AC#8", "SAEZ", "21:50", 800, 770, 180),
    ("TAT", "EC-L", "AC#8", "KBOS", "09:35", 545, 485, 140),
    ("SKP", "JA-8", "AC#13", "RJAA", "12:05", 740, 790, 150),
    ("SKP", "JA-8", "AC#13", "VHHH", "13:30", 700, 760, 150),
    ("SKP", "JA-8", "AC#13", "WSSS", "20:15", 715, 770, 160),
    ("CDR", "A6-P", "AC#14", "OMDB", "08:45", 345, 380, 120),
    ("CDR", "A6-P", "AC#14", "OTHH", "14:20", 320, 350, 110),
    ("CDR", "A6-P", "AC#14", "OERK", "11:10", 330, 360, 110),
    ("CDR", "A6-P", "AC#14", "OMAA", "19:55", 350, 385, 120),
    ("MRD", "N7", "AC#16", "KJFK", "09:10", 570, 505, 140),
    ("MRD", "N7", "AC#16", "KORD", "10:25", 620, 560, 150),
    ("MRD", "N7", "AC#16", "KATL", "11:05", 640, 580, 150),
    ("MRD", "N7", "AC#16", "CYYZ", "12:50", 560, 500, 140),
    ("MRD", "N7", "AC#16", "KMIA", "10:00", 650, 590, 150),
    ("SVA", "ZS-W", "AC#18", "FAOR", "20:40", 645, 655, 150),
    ("SVA", "ZS-W", "AC#18", "HKJK", "21:30", 420, 450, 120),
]

TURNAROUND = 40          # minutes on the ground between two legs of a short-haul rotation
FIRST_DEPARTURE = 4 * 60  # 05:00 in Rome in winter
LAST_DEPARTURE = 20 * 60


def clock(minutes):
    minutes %= 24 * 60
    return f"{minutes // 60:02d}:{minutes % 60:02d}:00"


def leg(departure, block, level, number, destination):
    return f"{clock(departure)},{clock(departure + block)},{level},F,{number},{destination}"


def short_haul_lines(rng, numbers):
    lines = []
    for airline, registration, aircraft, network, fleet in SHORT_HAUL:
        for tail in range(fleet):
            start = FIRST_DEPARTURE + rng.randrange(0, 150, 5)
            departure, legs = start, []
            while departure <= LAST_DEPARTURE:
                destination, block = rng.choice(network)
                level = rng.choice((210, 230, 250, 270, 290, 330, 350))
                out, back = numbers.next(airline), numbers.next(airline)
                legs.append(leg(departure, block, level, out, destination))
                turn = departure + block + TURNAROUND
                legs.append(leg(turn, block, level, back, HUB))
                departure = turn + block + TURNAROUND
            percent = rng.choice((100, 100, 100, 100, 80, 60))
            lines.append(f"{aircraft},{registration}{chr(65 + tail // 26)}{chr(65 + tail % 26)},{percent}%,24Hr,IFR,"
                         + ",".join(legs))
    return lines


def long_haul_lines(rng, numbers):
    lines = []
    for tail, (airline, registration, aircraft, destination, departure, out, back, turn) in enumerate(LONG_HAUL):
        hours, minutes = map(int, departure.split(":"))
        start = hours * 60 + minutes
        level = rng.choice((330, 350, 370, 390))
        legs = [leg(start, out, level, numbers.next(airline), destination),
                leg(start + out + turn, back, level + 20, numbers.next(airline), HUB)]
        lines.append(f"{aircraft},{registration}{tail:02d}Q,100%,24Hr,IFR," + ",".join(legs))
    return lines


class FlightNumbers:
    def __init__(self):
        self.last = {}

    def next(self, airline):
        self.last[airline] = self.last.get(airline, 1000) + 1
        return f"{airline}{self.last[airline]}"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, "..", "..", "data", "demo", "flightplans.txt")
    with open(path, newline="") as plans:
        text = plans.read()
    ending = "\r\n" if "\r\n" in text else "\n"
    kept = text.split(MARKER)[0].rstrip("\r\n") + ending + ending
    rng = random.Random(2026)
    numbers = FlightNumbers()
    lines = [MARKER] + long_haul_lines(rng, numbers) + short_haul_lines(rng, numbers)
    with open(path, "w", newline="") as plans:
        plans.write(kept + ending.join(lines) + ending)
    departures = sum(line.count(",") // 6 for line in lines[1:]) // 2
    print(f"{path}: {len(lines) - 1} plans, {departures} departures a day at {HUB}")


if __name__ == "__main__":
    main()
