#!/usr/bin/env python3
"""Writes the three benchmark jobs of kroyna-cut (small, kitchen, large).

The parts are made up, drawn from a fixed seed so that the files never
change: cabinet-like sizes on standard 2800 x 2070 sheets, kerf 4, trims 10.
Run from this folder: python3 make_jobs.py
"""
import json
import random


def job(name, kinds, copies, seed, offcuts=()):
    rnd = random.Random(seed)
    parts = []
    # Quantities: every kind at least one copy, the rest spread at random.
    many = [1] * kinds
    for _ in range(copies - kinds):
        many[rnd.randrange(kinds)] += 1
    for i in range(kinds):
        shape = rnd.random()
        if shape < 0.25:      # sides and tall panels
            length, width = rnd.randrange(700, 2200, 2), rnd.randrange(300, 600, 2)
        elif shape < 0.6:     # shelves, bottoms, tops
            length, width = rnd.randrange(300, 1200, 2), rnd.randrange(250, 600, 2)
        elif shape < 0.85:    # doors and fronts
            length, width = rnd.randrange(350, 900, 2), rnd.randrange(140, 500, 2)
        else:                 # strips and rails
            length, width = rnd.randrange(400, 2700, 2), rnd.randrange(60, 140, 2)
        rotate = rnd.choices([0, 1, 2], weights=[6, 3, 1])[0]
        edges = [rnd.choice([0, 0, 1, 2]) for _ in range(4)]
        parts.append({"name": f"{name[0].upper()}{i + 1:03d}", "length": length, "width": width,
                      "many": many[i], "rotate": rotate, "edges": edges})
    return {
        "material": "ЛДСП 16 мм",
        "kerf": 4,
        "trims": {"left": 10, "right": 10, "top": 10, "bottom": 10},
        "sheet": {"length": 2800, "width": 2070},
        "variants": 1000,
        "search": "quick",
        "rule": "part-first",
        "oneSize": False,
        "machine": "none",
        "cutLength": 0,
        "criterion": 0,
        "stockControl": False,
        "stockCount": 0,
        "offcuts": list(offcuts),
        "parts": parts,
    }


JOBS = {
    "small": job("small", 10, 40, 1),
    "kitchen": job("kitchen", 40, 200, 2, offcuts=[
        {"name": "O-101", "length": 1200, "width": 600},
        {"name": "O-102", "length": 900, "width": 450},
    ]),
    "large": job("large", 150, 1500, 3),
}

for name, content in JOBS.items():
    with open(f"{name}.json", "w", encoding="utf-8") as f:
        json.dump(content, f, ensure_ascii=False, indent=1)
        f.write("\n")
