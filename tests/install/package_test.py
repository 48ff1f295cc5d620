#!/usr/bin/env python3
# Makes the Debian package with cpack into a temporary folder and checks its control fields and
# contents: dependencies found from the programs' libraries, the SoundFont recommended, the files
# under /usr, what Debian's rules ask (stripped programs whose debug information is in the -dbgsym
# package, compressed manual pages, copyright and changelog, no maintainer scripts), no made-up address.
import gzip
import re
import subprocess
import sys
import tempfile
from pathlib import Path

build, version, gui = sys.argv[1], sys.argv[2], sys.argv[3] == "1"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def elf_build_ids(tree):
    """{path: build id} of the ELF files below tree, and the paths that `file` says are not stripped."""
    ids, unstripped = {}, []
    for path in sorted(p for p in tree.rglob("*") if p.is_file() and not p.is_symlink()):
        if path.read_bytes()[:4] != b"\x7fELF":
            continue
        notes = subprocess.run(["readelf", "-n", path], capture_output=True, text=True).stdout
        build_id = re.search(r"Build ID: ([0-9a-f]+)", notes)
        ids[path.relative_to(tree)] = build_id.group(1) if build_id else None
        if "not stripped" in subprocess.run(["file", "-b", path], capture_output=True, text=True).stdout:
            unstripped.append(path.relative_to(tree))
    return ids, unstripped


def check_debian_rules(deb, scratch, fields):
    tree, debug_tree = scratch / "deb", scratch / "dbgsym"
    subprocess.run(["dpkg-deb", "-x", deb, tree], check=True)
    ids, unstripped = elf_build_ids(tree)
    check(len(ids) >= 3, f"the package holds only these programs and libraries: {sorted(ids)}")
    check(not unstripped, f"not stripped: {unstripped}")
    ddebs = sorted(scratch.glob("corvina-dbgsym_*.ddeb"))
    if check(len(ddebs) == 1, "no corvina-dbgsym package beside the package"):
        depends = subprocess.run(["dpkg-deb", "-f", ddebs[0], "Depends"], capture_output=True, text=True).stdout
        check(depends.strip() == f"corvina (= {fields['Version']})", f"corvina-dbgsym depends on {depends!r}")
        subprocess.run(["dpkg-deb", "-x", ddebs[0], debug_tree], check=True)
        for path, build_id in ids.items():
            debug = debug_tree / "usr/lib/debug/.build-id" / (build_id or "?")[:2] / ((build_id or "?")[2:] + ".debug")
            if check(build_id and debug.is_file(), f"no debug information for {path} (build id {build_id})"):
                sections = subprocess.run(["readelf", "-S", debug], capture_output=True, text=True).stdout
                check(".symtab" in sections, f"the debug information of {path} has no symbols")
    control = subprocess.run(["dpkg-deb", "-I", deb], capture_output=True, text=True).stdout
    scripts = re.findall(r"\b(preinst|postinst|prerm|postrm|triggers)\b", control)
    check(not scripts, f"the package has maintainer scripts {scripts}: a private library needs no ldconfig")
    pages = list((tree / "usr/share/man").rglob("*.*"))
    check(pages and all(p.suffix == ".gz" for p in pages), f"manual pages not all compressed: {pages}")
    doc = tree / "usr/share/doc/corvina"
    if check((doc / "changelog.gz").is_file(), "no changelog.gz"):
        top = gzip.decompress((doc / "changelog.gz").read_bytes()).decode().split("\n", 1)[0]
        check(top.startswith(f"corvina ({fields['Version']}) "), f"the changelog's latest entry is {top!r}")
    if check((doc / "copyright").is_file(), "no copyright file"):
        text = (doc / "copyright").read_text(encoding="utf-8")
        for folder in sorted(p.name for p in (tree / "usr/share/corvina/tones").iterdir() if p.is_dir()):
            check(f"Files: res/tones/{folder}/*" in text, f"the copyright file does not list the tones of {folder}")
    # No placeholder address where a user sees it: the Homepage field and the software centre.
    seen = fields["Homepage"] + "".join(p.read_text(encoding="utf-8") for p in (tree / "usr/share/metainfo").glob("*.xml"))
    check(not re.search(r"\bexample\.(org|com|net)\b", seen), "the Homepage or the metainfo names an example address")


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
        for name in ("Package", "Version", "Depends", "Recommends", "Section", "Homepage"):
            fields[name] = subprocess.run(["dpkg-deb", "-f", deb, name], capture_output=True, text=True).stdout.strip()
        check(fields["Package"] == "corvina" and fields["Version"] == version, f"package {fields}")
        depends = fields["Depends"]
        # Found by dpkg-shlibdeps: the C++ runtime and the synthesizer always, the toolkit with the editor.
        for library in ["libc6", "libstdc++6", "libfluidsynth3"] + (["libwxgtk3.2"] if gui else []):
            check(library in depends, f"Depends lacks {library}: {depends}")
        check("soundfont" in fields["Recommends"], f"Recommends names no SoundFont: {fields['Recommends']}")
        contents = subprocess.run(["dpkg-deb", "-c", deb], capture_output=True, text=True).stdout
        for path in ["./usr/bin/corvina-midi", "./usr/bin/corvina-phonesim", "./usr/share/corvina/registry/default.reg",
                     "./usr/share/man/man1/corvina-midi.1.gz"] + (
                        ["./usr/bin/corvina", "./usr/share/applications/net.halvren.Corvina.desktop"] if gui else []):
            check(f" {path}\n" in contents, f"the package lacks {path}")
        check("/usr/local" not in contents, "the package installs below /usr/local")
        check_debian_rules(deb, Path(scratch), fields)

for failure in failures:
    print("FAILED:", failure)
print(f"{len(failures)} problem(s)")
sys.exit(1 if failures else 0)
