# Reads MIDI files written by the engine with mido; a line per file pair "source<TAB>output".
# Outputs of sources that mido itself cannot read are not checked. Exit 1 when any output fails.
import sys

import mido

readable = {}
failures = []
checked = 0
with open(sys.argv[1], encoding="utf-8") as manifest:
    for line in manifest:
        source, output = line.rstrip("\n").split("\t")
        if source not in readable:
            try:
                mido.MidiFile(source)
                readable[source] = True
            except Exception:
                readable[source] = False
        if not readable[source]:
            continue
        try:
            mido.MidiFile(output)
            checked += 1
        except Exception as error:
            failures.append(f"{output} (from {source}): {error}")
print(f"checked {checked} outputs of {sum(readable.values())} readable sources")
for failure in failures:
    print(failure)
sys.exit(1 if failures or checked == 0 else 0)
