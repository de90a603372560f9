#!/usr/bin/env python3
"""Writes the large cutting jobs the timing figures of bench/README.md use,
into the folder given (default: the current one). They are too large to
keep in the repository; the seed makes them the same every time.

  kinds5000.json    5,000 kinds, 10,000 copies (about 400 sheets)
  kinds20000.json   20,000 kinds, one copy each
  copies20000.json  20,000 copies of six small parts, about 10 sheets
  kinds100000.json  100,000 kinds, one copy each (beyond the improved
                    search's size; the quick search lays it out)

Cabinet-like parts as make_jobs.py makes them, standard 2800 x 2070 sheets,
kerf 4, trims 10, N = 0 (the quick search compared with is the plain
greedy).
"""
import json
import os
import random
import sys


def part(rnd, i, many):
    shape = rnd.random()
    if shape < 0.25:
        length, width = rnd.randrange(700, 2200, 2), rnd.randrange(300, 600, 2)
    elif shape < 0.6:
        length, width = rnd.randrange(300, 1200, 2), rnd.randrange(250, 600, 2)
    elif shape < 0.85:
        length, width = rnd.randrange(350, 900, 2), rnd.randrange(140, 500, 2)
    else:
        length, width = rnd.randrange(400, 2700, 2), rnd.randrange(60, 140, 2)
    return {"name": f"P{i + 1:06d}", "length": length, "width": width, "many": many,
            "rotate": rnd.choices([0, 1, 2], weights=[6, 3, 1])[0], "edges": [0, 0, 0, 0]}


def job(parts):
    return {"material": "ЛДСП 16 мм", "kerf": 4, "trims": {"left": 10, "right": 10, "top": 10, "bottom": 10},
            "sheet": {"length": 2800, "width": 2070}, "variants": 0, "search": "quick", "parts": parts}


def kinds(count, copies, seed):
    rnd = random.Random(seed)
    many = [1] * count
    for _ in range(copies - count):
        many[rnd.randrange(count)] += 1
    return job([part(rnd, i, many[i]) for i in range(count)])


def small_copies():
    sizes = [(60, 45, 6000), (80, 40, 5000), (50, 50, 4000), (90, 30, 2500), (70, 35, 1500), (45, 45, 1000)]
    return job([{"name": f"S{i + 1}", "length": l, "width": w, "many": n, "rotate": 0, "edges": [0, 0, 0, 0]}
                for i, (l, w, n) in enumerate(sizes)])


folder = sys.argv[1] if len(sys.argv) > 1 else "."
for name, content in {"kinds5000": kinds(5000, 10000, 11), "kinds20000": kinds(20000, 20000, 12),
                      "copies20000": small_copies(), "kinds100000": kinds(100000, 100000, 13)}.items():
    with open(os.path.join(folder, f"{name}.json"), "w", encoding="utf-8") as f:
        json.dump(content, f, ensure_ascii=False)
        f.write("\n")
