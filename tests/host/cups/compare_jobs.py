#!/usr/bin/env python3
"""Compares a job delivered through CUPS with the job `cardprint print` made.

Usage: compare_jobs.py CARDPRINT EXPECTED.prn DELIVERED.prn
       compare_jobs.py --shape-only CARDS CARDPRINT DELIVERED.prn

Both jobs are decoded with `cardprint inspect --json`. The framing (every
sequence in order with its kind, page, panel and fields: document and page
starts, adjustments, track data, panel headers and trailers with their copies,
the document end) must be equal, and so must the number of documents, cards
and bytes. Panel data is compared byte for byte, within PANEL_TOLERANCE
below.

--shape-only checks a job that has no `cardprint print` counterpart (a PDF or
a JPEG decoded by CUPS's own filters): well formed, one document of CARDS
cards, each with its yellow, magenta, cyan and black panels, something
printed on each card.
"""
import json
import subprocess
import sys

# CUPS's image filter scales a design onto the 300 dpi page with its own
# interpolation, where `cardprint print` fits it with the host engine's
# blits; the driver then colour-corrects and separates both the same way.
# A design already of the card's size passes through both unscaled and must
# give the same panels. Resampling moves a panel byte by a few steps where
# the design has an edge, and nowhere else, so a panel may differ by at most
# MAX_MEAN steps on average and in at most MAX_SHARE of its bytes by more than
# NEAR steps.
PANEL_TOLERANCE = {"MAX_MEAN": 2.0, "NEAR": 8, "MAX_SHARE": 0.05}


def inspect(cardprint, job):
    result = subprocess.run([cardprint, "inspect", job, "--json"],
                            capture_output=True, text=True, check=False)
    if result.returncode != 0:
        sys.exit(f"{job}: cardprint inspect says it is malformed:\n"
                 f"{result.stdout[-2000:]}{result.stderr}")
    return json.loads(result.stdout)


def framing(sequence):
    """A sequence without where it is: everything but its offset."""
    return {key: value for key, value in sequence.items() if key != "offset"}


def panel_bytes(job_bytes, sequence):
    start = sequence["offset"] + sequence["length"] - sequence["size"]
    return job_bytes[start:start + sequence["size"]]


def compare_panel(expected, delivered):
    """The mean difference and the share of bytes differing by more than NEAR."""
    total = 0
    far = 0
    for a, b in zip(expected, delivered):
        step = abs(a - b)
        total += step
        far += step > PANEL_TOLERANCE["NEAR"]
    return total / len(expected), far / len(expected)


def compare(cardprint, expected_path, delivered_path):
    expected = inspect(cardprint, expected_path)
    delivered = inspect(cardprint, delivered_path)
    faults = []
    for key in ("documents", "pages", "bytes"):
        if expected[key] != delivered[key]:
            faults.append(f"{key}: expected {expected[key]}, delivered {delivered[key]}")
    expected_framing = [framing(s) for s in expected["sequences"]]
    delivered_framing = [framing(s) for s in delivered["sequences"]]
    if expected_framing != delivered_framing:
        for index, (a, b) in enumerate(zip(expected_framing, delivered_framing)):
            if a != b:
                faults.append(f"sequence {index}: expected {a}, delivered {b}")
                break
        else:
            faults.append(f"{len(expected_framing)} sequences expected, "
                          f"{len(delivered_framing)} delivered")
    if faults:
        sys.exit("\n".join(faults))

    expected_bytes = open(expected_path, "rb").read()
    delivered_bytes = open(delivered_path, "rb").read()
    worst_mean = 0.0
    worst_share = 0.0
    for a, b in zip(expected["sequences"], delivered["sequences"]):
        if a["kind"] != "panelData":
            continue
        left = panel_bytes(expected_bytes, a)
        right = panel_bytes(delivered_bytes, b)
        if left == right:
            continue
        mean, share = compare_panel(left, right)
        worst_mean = max(worst_mean, mean)
        worst_share = max(worst_share, share)
        if mean > PANEL_TOLERANCE["MAX_MEAN"] or share > PANEL_TOLERANCE["MAX_SHARE"]:
            faults.append(f"card {a['page']} panel {a['panel']}: mean difference {mean:.3f}, "
                          f"{share:.2%} of bytes off by more than {PANEL_TOLERANCE['NEAR']}")
    if faults:
        sys.exit("\n".join(faults))
    print(f"   same framing, settings and track data; panels "
          + ("equal" if worst_mean == 0 else
             f"within tolerance (worst mean {worst_mean:.3f}, "
             f"worst share off by more than {PANEL_TOLERANCE['NEAR']}: {worst_share:.2%})"))


def check_shape(cards, cardprint, delivered_path):
    delivered = inspect(cardprint, delivered_path)
    if delivered["documents"] != 1 or delivered["pages"] != cards:
        sys.exit(f"{delivered['documents']} documents of {delivered['pages']} cards, "
                 f"expected 1 of {cards}")
    job_bytes = open(delivered_path, "rb").read()
    for card in range(1, cards + 1):
        panels = {s["panel"]: panel_bytes(job_bytes, s) for s in delivered["sequences"]
                  if s["kind"] == "panelData" and s["page"] == card}
        if sorted(panels) != ["C", "K", "M", "Y"]:
            sys.exit(f"card {card} has the panels {sorted(panels)}")
        if all(len(set(data)) == 1 for data in panels.values()):
            sys.exit(f"card {card} has only uniform panels")
    print(f"   {cards} card(s), well formed, panels Y M C K on each")


def main(argv):
    if len(argv) == 5 and argv[1] == "--shape-only":
        check_shape(int(argv[2]), argv[3], argv[4])
    elif len(argv) == 4:
        compare(argv[1], argv[2], argv[3])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
