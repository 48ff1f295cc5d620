#!/usr/bin/env python3
"""Checks that every folder includes only headers of the folders below it, so the editor's parts
keep one direction: engines below the play panels, the panels below the pages, the pages below the
main dialog, and nothing below the dialogs including wx GUI headers."""
import pathlib
import re
import sys

ROOT = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2]

# Each part with the parts it may include from (besides itself). A part is a folder, or the files of
# a folder that a CMake target of their own builds.
BELOW = {
    "platform": [],
    "trace": ["platform"],
    "res": ["platform"],
    "midi": ["platform", "trace"],
    "phone": ["platform", "trace", "res"],
    "phone/at": ["platform", "trace", "res", "phone"],
    "phone/obex": ["platform", "trace", "res", "phone", "phone/at"],
    "phone/volume": ["platform", "trace", "res", "phone", "phone/at", "phone/obex"],
    "phone/services": ["platform", "trace", "res", "phone", "phone/at", "phone/obex", "phone/volume"],
    "melodylib": ["platform", "midi"],
    "sim": ["platform", "trace", "res", "phone"],
    "frame": ["platform", "trace", "res", "phone"],
    "playback": ["platform", "trace", "res", "midi", "melodylib"],
    "playback/phone": ["platform", "trace", "res", "phone"],
    "platform/wx": ["platform", "trace", "res"],
    "playback/ui": ["platform", "platform/wx", "trace", "res", "midi", "melodylib", "phone", "frame", "playback",
                    "playback/phone"],
    "tones": ["platform", "platform/wx", "trace", "res", "phone", "frame", "playback", "playback/phone", "playback/ui"],
    "melodies": ["platform", "platform/wx", "trace", "res", "midi", "melodylib", "phone", "frame", "playback",
                 "playback/phone", "playback/ui"],
    "frame/ui": ["platform", "platform/wx", "trace", "res", "midi", "melodylib", "phone", "frame", "playback",
                 "playback/phone", "playback/ui", "tones", "melodies"],
}
# Parts whose files may include wx headers.
WITH_WX = {"platform/wx", "playback/ui", "tones", "melodies", "frame/ui"}
# Files of a folder that a target of their own builds, by name: the first pattern that matches names
# the part. The main dialog and the play panels are GUI targets; the play-on-phone panel's phone side
# is wx-free; the phone's factory and AT helper sit above the phone's parts.
NAMED_PARTS = {
    "frame": [(re.compile(r"^(CRingingtoneDlg|CWxProgressDlg|EditorModule)"), "frame/ui")],
    "playback": [(re.compile(r"^CPlayOnMobilePhone\."), "playback/phone"),
                 (re.compile(r"^CPlayOn.*SubDlg"), "playback/ui")],
    "phone": [(re.compile(r"^(CAtcHelperFunctions|CServiceFactory|ServiceInit|RunOnPhone)\."), "phone/services")],
}
PHONE_PARTS = ["phone", "phone/at", "phone/obex", "phone/volume", "phone/services"]
# The pages' rules and the logic beside them are wx-free even in GUI folders.
WX_FREE_IN_GUI = {"tones": re.compile(r"^(RingingLines|SoundMode|VolumeScale|TonesListItems|TonesPageRules|CTonesPhone)\."),
                  "melodies": re.compile(r"^(TimeText|ClipGeometry|ClipTexts|PhoneFitTexts|CProgressStreamImpl|CMelodiesPhone)\.")}


def part_of(path: pathlib.Path) -> str:
    rel = path.relative_to(ROOT)
    folder = rel.parts[0]
    if folder == "platform" and len(rel.parts) > 2 and rel.parts[1] == "wx":
        return "platform/wx"
    if folder == "phone" and len(rel.parts) > 2:
        return "phone/" + rel.parts[1]
    for pattern, part in NAMED_PARTS.get(folder, []):
        if pattern.match(path.name):
            return part
    return folder


def main() -> int:
    sources = [p for folder in {part.split("/")[0] for part in BELOW} for p in (ROOT / folder).rglob("*")
               if p.suffix in (".h", ".cpp") and "tools" not in p.relative_to(ROOT).parts]
    sources = sorted(set(sources))
    owner = {}
    for path in sources:
        if path.suffix == ".h":
            owner.setdefault(path.name, part_of(path))
    faults = []
    for path in sources:
        part = part_of(path)
        allowed = set(BELOW[part]) | {part}
        # Above the phone services, the phone is one part.
        if "phone" in allowed and not part.startswith("phone"):
            allowed |= set(PHONE_PARTS)
        for line_no, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = re.match(r'\s*#\s*include\s*([<"])([^>"]+)[>"]', line)
            if not match:
                continue
            header = match.group(2)
            where = f"{path.relative_to(ROOT)}:{line_no}"
            if header.startswith("wx/") and header not in ("wx/string.h",):
                wx_free = part not in WITH_WX or (part in WX_FREE_IN_GUI and WX_FREE_IN_GUI[part].match(path.name))
                if wx_free:
                    faults.append(f"{where}: {part} includes the GUI header {header}")
            elif match.group(1) == '"' and header in owner and owner[header] not in allowed:
                faults.append(f"{where}: {part} includes {header} of {owner[header]}, which is above it")
    for fault in faults:
        print(fault)
    print(f"{len(sources)} files checked, {len(faults)} includes against the layers")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
