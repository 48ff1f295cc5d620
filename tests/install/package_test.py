#!/usr/bin/env python3
# Makes the Debian package with cpack into a temporary folder and checks its control fields and
# contents: dependencies found from the programs' libraries, the SoundFont recommended, the files
# under /usr.
import subprocess
import sys
import tempfile
from pathlib import Path

build, version, gui = sys.argv[1], sys.argv[2], sys.argv[3] == "1"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


with tempfile.TemporaryDirectory(prefix="corvina-package-test-") as scratch:
    made = subprocess.run(["cpack", "-G", "DEB", "-B", scratch, "--config", str(Path(build) / "CPackConfig.cmake")],
                          cwd=build, capture_output=True, text=True, timeout=600)
    debs = sorted(Path(scratch).glob("corvina_*.deb"))
    if made.returncode != 0 or len(debs) != 1:
        failures.append("cpack -G DEB failed:\n" + made.stdout + made.stderr)
    else:
        deb = debs[0]
        check(deb.name.startswith(f"corvina_{version}_"), f"package file name {deb.name}")
        fields = {}
        for name in ("Package", "Version", "Depends", "Recommends", "Section"):
            fields[name] = subprocess.run(["dpkg-deb", "-f", deb, name], capture_output=True, text=True).stdout.strip()
        check(fields["Package"] == "corvina" and fields["Version"] == version, f"package {fields}")
        depends = fields["Depends"]
        # Found by dpkg-shlibdeps: the C++ runtime and the synthesizer always, the toolkit with the editor.
        for library in ["libc6", "libstdc++6", "libfluidsynth3"] + (["libwxgtk3.2"] if gui else []):
            check(library in depends, f"Depends lacks {library}: {depends}")
        check("soundfont" in fields["Recommends"], f"Recommends names no SoundFont: {fields['Recommends']}")
        contents = subprocess.run(["dpkg-deb", "-c", deb], capture_output=True, text=True).stdout
        for path in ["./usr/bin/corvina-midi", "./usr/bin/corvina-phonesim", "./usr/share/corvina/registry/default.reg",
                     "./usr/share/man/man1/corvina-midi.1"] + (
                        ["./usr/bin/corvina", "./usr/share/applications/net.halvren.Corvina.desktop"] if gui else []):
            check(f" {path}\n" in contents, f"the package lacks {path}")
        check("/usr/local" not in contents, "the package installs below /usr/local")

for failure in failures:
    print("FAILED:", failure)
print(f"{len(failures)} problem(s)")
sys.exit(1 if failures else 0)
