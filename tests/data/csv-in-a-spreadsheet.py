#!/usr/bin/env python3
"""Opens orvane-sim's data table as a spreadsheet-minded user would, with
Python's csv module: a header row with units, then numbers in every cell,
one row a step, the step column counting up, the time the step times the
time step, the energies adding up to the total.

usage: csv-in-a-spreadsheet.py ORVANE_SIM EXPERIMENT_SCRIPT
"""
import csv
import io
import math
import subprocess
import sys


def main():
    sim, script = sys.argv[1], sys.argv[2]
    out = subprocess.run([sim, "--steps", "600", "--csv", "--input", script],
                         check=True, capture_output=True, text=True).stdout
    rows = list(csv.DictReader(io.StringIO(out)))
    header = list(rows[0].keys())
    expected = ["step", "time (s)", "kinetic energy (J)", "spring energy (J)", "gravity energy (J)",
                "total energy (J)", "contacts", "tilt x (deg)", "tilt z (deg)", "centre of mass x (m)",
                "centre of mass y (m)", "centre of mass z (m)", "centre of mass speed (m/s)"]
    assert header == expected, header
    assert len(rows) == 601, len(rows)
    for i, row in enumerate(rows):
        values = {key: float(text) for key, text in row.items()}
        assert all(math.isfinite(v) for v in values.values()), row
        assert int(row["step"]) == i, row
        assert math.isclose(values["time (s)"], i * 0.1, rel_tol=1e-12, abs_tol=1e-12), row
        parts = values["kinetic energy (J)"] + values["spring energy (J)"] + values["gravity energy (J)"]
        assert math.isclose(parts, values["total energy (J)"], rel_tol=1e-9), row
        assert values["contacts"] == int(values["contacts"]) >= 0, row
    # The ball lands on the platform within the run: contacts appear and the
    # centre of mass comes down.
    assert any(float(r["contacts"]) > 0 for r in rows)
    assert float(rows[-1]["centre of mass y (m)"]) < float(rows[0]["centre of mass y (m)"])
    print("csv-in-a-spreadsheet: %d rows of %d columns read" % (len(rows), len(header)))


if __name__ == "__main__":
    main()
