#!/usr/bin/env python3
"""Multi-engine scan reports for the import benchmark: API v3 file objects,
as JSON Lines or as one JSON array, the same reports for the same arguments.

    bench/genreports.py REPORTS ENGINES lines|array SEED > FILE

Each report names every engine: about half detect (a name from a small set
of families, so the names repeat as real labels do), the rest find nothing
or could not scan. Every tenth sample is seen again later with a newer
analysis, as daily feeds repeat samples."""
import json
import random
import sys

FAMILIES = ["Trojan.Agent", "W32/Virut.Gen", "Backdoor.Zbot", "Adware.Gen",
            "Worm.Allaple", "Ransom.Petya", "PUA.Installer", "Downloader.Upatre"]


def report(rng, sample, date, engines):
    results = {}
    for e in range(engines):
        name = "Engine%02d" % e
        r = rng.random()
        if r < 0.5:
            category, result = "malicious", "%s.%d" % (rng.choice(FAMILIES), rng.randrange(5000))
        elif r < 0.95:
            category, result = "undetected", None
        else:
            category, result = "type-unsupported", None
        results[name] = {"category": category, "engine_name": name,
                         "engine_version": "1.%d" % e, "engine_update": "20240102",
                         "method": "blacklist", "result": result}
    return {"data": {"type": "file", "id": "%064x" % sample,
                     "attributes": {"sha256": "%064x" % sample, "last_analysis_date": date,
                                    "last_analysis_results": results}}}


def main():
    count, engines, form, seed = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], int(sys.argv[4])
    rng = random.Random(seed)
    out = sys.stdout
    if form == "array":
        out.write("[\n")
    for i in range(count):
        sample = i - 9 * (i // 10) * (i % 10 == 9)  # every tenth repeats an earlier sample
        text = json.dumps(report(rng, sample, 1700000000 + i, engines), separators=(",", ":"))
        if form == "array":
            out.write(text + (",\n" if i < count - 1 else "\n"))
        else:
            out.write(text + "\n")
    if form == "array":
        out.write("]\n")


if __name__ == "__main__":
    main()
