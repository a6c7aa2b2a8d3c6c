#!/usr/bin/env python3
"""Compares a job delivered through CUPS with the job `cardprint print` made.

Usage: compare_jobs.py [--edge-radius R --step S] CARDPRINT EXPECTED.prn DELIVERED.prn
       compare_jobs.py --shape-only CARDS CARDPRINT DELIVERED.prn

Both jobs are decoded with `cardprint inspect --json`. The framing (every
sequence in order with its kind, page, panel and fields: document and page
starts, adjustments, track data, panel headers and trailers with their copies,
the document end) must be equal, and so must the number of documents, cards
and bytes. Panel data is equal, or within the tolerance below.

The tolerance. CUPS's image filter puts the design on the page with its own
scaling: it makes the raster of the imageable area 655 x 1023 pixels (157.4399
pt at 300 dpi is 655.9996 pixels, cut down), so even a design of the card's
own 1024 x 656 pixels is resampled, and the filter fits that raster to the
card's 656 x 1024; a small design is scaled up by CUPS's interpolation where
`cardprint print` uses the host engine's. Resampling moves the design's edges
by a fraction of a pixel, or by up to half a design pixel when a design is
scaled up, and changes nothing else. So a panel byte may differ only within
R pixels of an edge of the expected card (where neighbouring bytes of any of
its panels differ by more than EDGE_STEP), and everywhere else by at most S
steps. R is 1 for a design of the card's size (S 1: the rounding of the
resampled colour); for a design scaled up N times R is N / 2 (S 3: across a
smooth gradient the two interpolations sample half a design pixel apart). A
changed colour setting moves every byte of a flat area and is caught: cyan
+5 moves cyan panel bytes by 8 steps. At least MIN_CHECKED of each panel must
lie away from edges, so that the check is never empty.

--shape-only checks a job that has no `cardprint print` counterpart (a PDF or
a JPEG decoded by CUPS's own filters): well formed, one document of CARDS
cards, each with its yellow, magenta, cyan and black panels, something
printed on each card.
"""
import json
import subprocess
import sys

EDGE_STEP = 2
MIN_CHECKED = 0.05


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


def away_from_edges(panels, width, radius):
    """A text of "0" (away from every edge by more than radius) and "1" per byte."""
    size = len(panels[0])
    height = size // width
    edges = bytearray(size)
    for data in panels:
        for i, (a, b) in enumerate(zip(data, data[1:])):
            if abs(a - b) > EDGE_STEP and (i + 1) % width:
                edges[i] = edges[i + 1] = 1
        for i, (a, b) in enumerate(zip(data, data[width:])):
            if abs(a - b) > EDGE_STEP:
                edges[i] = edges[i + width] = 1
    # The edge bytes as one number, bit i for byte i, grown by radius pixels
    # across and down.
    bits = int(edges.translate(bytes([48, 49]) + bytes(254)).decode()[::-1], 2)
    everything = (1 << size) - 1
    not_first_column = int((("0" + "1" * (width - 1)) * height)[::-1], 2)
    not_last_column = int((("1" * (width - 1) + "0") * height)[::-1], 2)
    for _ in range(radius):
        bits |= ((bits << 1) & not_first_column) | ((bits >> 1) & not_last_column)
    for _ in range(radius):
        bits |= ((bits << width) & everything) | (bits >> width)
    return format(bits, "b").zfill(size)[::-1]


def compare(cardprint, expected_path, delivered_path, radius, step):
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
    equal = True
    for card in range(1, expected["pages"] + 1):
        pairs = [(a, b) for a, b in zip(expected["sequences"], delivered["sequences"])
                 if a["kind"] == "panelData" and a["page"] == card]
        left = [panel_bytes(expected_bytes, a) for a, _ in pairs]
        right = [panel_bytes(delivered_bytes, b) for _, b in pairs]
        if left == right:
            continue
        equal = False
        width = len(left[0]) // next(s["lines"] for s in expected["sequences"]
                                     if s["kind"] == "panelHeader" and s["page"] == card)
        flat = away_from_edges(left, width, radius)
        checked = flat.count("0")
        if checked < MIN_CHECKED * len(flat):
            faults.append(f"card {card}: only {checked} of {len(flat)} bytes lie away from edges")
        for (a, _), x, y in zip(pairs, left, right):
            worst = max((abs(p - q) for p, q, f in zip(x, y, flat) if f == "0"), default=0)
            if worst > step:
                faults.append(f"card {card} panel {a['panel']}: {worst} steps off away from edges "
                              f"(at most {step} allowed)")
    if faults:
        sys.exit("\n".join(faults))
    print("   same framing, settings and track data; panels "
          + ("equal" if equal else
             f"equal within {step} step(s) farther than {radius} pixel(s) from edges"))


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
    elif len(argv) == 8 and argv[1] == "--edge-radius" and argv[3] == "--step":
        compare(argv[5], argv[6], argv[7], int(argv[2]), int(argv[4]))
    elif len(argv) == 4:
        compare(argv[1], argv[2], argv[3], 0, 0)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
