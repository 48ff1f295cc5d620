#!/usr/bin/env python3
# Installs the build into a temporary prefix and checks what a Linux user gets: the layout, a valid
# desktop entry and software-centre description, icons, a manual page per program that lists the
# options its --help prints, and programs that work from any folder without reading the source tree.
import argparse
import ctypes
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

APP_ID = "net.halvren.Corvina"
OPTION = re.compile(r"(?<![\w\-])(--?[A-Za-z][\w\-]*)")

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def die_with_this_test():
    """Run in a child before it starts: it is killed when this test ends, also when the test is killed
    for taking too long, so that no virtual phone outlives it."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def run(args, cwd="/", env=None, timeout=60):
    return subprocess.run([str(a) for a in args], cwd=cwd, env=env, capture_output=True, text=True,
                          timeout=timeout)


def options_of(text):
    return set(OPTION.findall(text))


def man_text(page):
    """The page's source with the escapes that hide option names undone."""
    text = page.read_text(encoding="utf-8")
    text = text.replace("\\-", "-").replace("\\(aq", "'")
    return re.sub(r"\\f[BIRP]", "", text)


def man_section(text, name):
    match = re.search(r"^\.SH " + name + r"\n(.*?)(?=^\.SH |\Z)", text, re.S | re.M)
    return match.group(1) if match else ""


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", head[16:24])


def rodata(binary):
    """The read-only data of a program or library, where a compiled-in path would sit."""
    with tempfile.NamedTemporaryFile() as out:
        result = run(["objcopy", "-O", "binary", "--only-section=.rodata", binary, out.name])
        return Path(out.name).read_bytes() if result.returncode == 0 else None


def main():
    parser = argparse.ArgumentParser()
    for name in ("build", "source", "bindir", "datadir", "mandir", "version", "gui", "programs"):
        parser.add_argument("--" + name, required=True)
    args = parser.parse_args()
    source = Path(args.source)
    programs = [p for p in args.programs.split(";") if p]

    scratch = Path(tempfile.mkdtemp(prefix="corvina-install-test-"))
    try:
        prefix = scratch / "prefix"
        result = run(["cmake", "--install", args.build, "--prefix", prefix], cwd=args.build, timeout=300)
        if not check(result.returncode == 0, "cmake --install failed:\n" + result.stdout + result.stderr):
            return
        bindir = prefix / args.bindir
        data = prefix / args.datadir
        mandir = prefix / args.mandir / "man1"
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "CORVINA_REGISTRY")}
        env["TMPDIR"] = str(scratch)
        env["XDG_STATE_HOME"] = str(scratch / "state")
        env["HOME"] = str(scratch / "home")

        # Programs and their manual pages go together; every page of man/ is installed.
        installed = sorted(p.name for p in bindir.iterdir()) if bindir.is_dir() else []
        for program in programs:
            check(program in installed, f"bin/{program} is not installed")
        for program in installed:
            check(os.access(bindir / program, os.X_OK), f"bin/{program} is not executable")
            check((mandir / (program + ".1")).is_file(), f"bin/{program} has no manual page")
        for page in sorted((source / "man").glob("*.1")):
            if page.stem in installed:
                check((mandir / page.name).read_bytes() == page.read_bytes(), f"{page.name} is not installed as it is")
            else:
                check(page.stem not in programs, f"{page.name} is installed without its program")

        # The shipped data.
        for reg in sorted((source / "res" / "registry").glob("*.reg")):
            check((data / "corvina" / "registry" / reg.name).is_file(), f"share/corvina/registry/{reg.name} missing")
        tones = data / "corvina" / "tones"
        check(len(list(tones.rglob("*.mid"))) >= 4, "share/corvina/tones holds fewer than four MIDI files")
        check(len(list(tones.rglob("*.imy"))) >= 1, "share/corvina/tones holds no iMelody file")
        for folder in (d for d in tones.iterdir() if d.is_dir()):
            check(any(f.name.startswith("LICENSE") for f in folder.iterdir()), f"tones/{folder.name} has no licence")

        if args.gui == "1":
            check_desktop(prefix, data, bindir, env, scratch, args.version)

        # Nothing installed points into the source or build tree.
        for binary in [bindir / p for p in installed] + list(prefix.rglob("*.so*")):
            blob = rodata(binary)
            if check(blob is not None, f"cannot read {binary.name}"):
                for tree in (str(source.resolve()), str(Path(args.build).resolve())):
                    check(tree.encode() not in blob, f"{binary.name} has the path {tree} compiled in")
        if "corvina" in installed:
            ldd = run(["ldd", bindir / "corvina"], env=env)
            check("not found" not in ldd.stdout, "installed corvina misses a library:\n" + ldd.stdout)
            check(str(Path(args.build).resolve()) not in ldd.stdout, "installed corvina loads a library of the build folder")

        for program in installed:
            check_program(program, bindir / program, mandir / (program + ".1"), env, args.version)

        check_midi_tool(bindir / "corvina-midi", tones, env, scratch)
        check_virtual_phone(bindir / "corvina-phonesim", tones, env, scratch)
        check_phone_found_without_settings(bindir, env, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def check_desktop(prefix, data, bindir, env, scratch, version):
    desktop = data / "applications" / (APP_ID + ".desktop")
    metainfo = data / "metainfo" / (APP_ID + ".metainfo.xml")
    if check(desktop.is_file(), "no desktop entry"):
        result = run(["desktop-file-validate", desktop], env=env)
        check(result.returncode == 0 and not result.stdout.strip(), "desktop-file-validate: " + result.stdout + result.stderr)
        entry = desktop.read_text(encoding="utf-8")
        check(re.search(r"^Exec=corvina %f$", entry, re.M), "the desktop entry does not run corvina %f")
        mime = re.search(r"^MimeType=(.*)$", entry, re.M)
        types = set(mime.group(1).split(";")) if mime else set()
        check({"audio/midi", "audio/x-midi", "text/x-iMelody"} <= types, f"desktop entry MIME types: {types}")
        check(re.search(r"^Icon=" + re.escape(APP_ID) + "$", entry, re.M), "the desktop entry names another icon")
    if check(metainfo.is_file(), "no AppStream metainfo"):
        result = run(["appstreamcli", "validate", "--no-net", metainfo], env=env)
        check(result.returncode == 0, "appstreamcli validate: " + result.stdout + result.stderr)
        result = run(["appstreamcli", "validate-tree", "--no-net", prefix], env=env)
        check(result.returncode == 0, "appstreamcli validate-tree: " + result.stdout + result.stderr)
        text = metainfo.read_text(encoding="utf-8")
        check(f'<launchable type="desktop-id">{APP_ID}.desktop</launchable>' in text, "metainfo has no launchable")
        check("<content_rating" in text, "metainfo has no content rating")
        check(f'version="{version}"' in text, "metainfo does not name this version")
        # The screenshots are published below the project's web site: all of docs/images with one, none without.
        if '<url type="homepage">' in text:
            shots = re.findall(r"<image>[^<]*/docs/images/([^<]+)</image>", text)
            repo_images = sorted(p.name for p in (Path(__file__).resolve().parents[2] / "docs" / "images").glob("*.png"))
            check(sorted(shots) == repo_images, f"metainfo screenshots {shots} are not the pictures of docs/images {repo_images}")
        else:
            check("<screenshot" not in text, "metainfo shows screenshots but names no web site they are published on")
    icons = data / "icons" / "hicolor"
    for size in (48, 128):
        icon = icons / f"{size}x{size}" / "apps" / (APP_ID + ".png")
        check(icon.is_file() and png_size(icon) == (size, size), f"{icon.relative_to(prefix)} is missing or not {size}x{size}")
    svg = icons / "scalable" / "apps" / (APP_ID + ".svg")
    check(svg.is_file() and "<svg" in svg.read_text(encoding="utf-8"), "no scalable icon")


def check_program(program, binary, page, env, version):
    help_run = run([binary, "--help"], env=env)
    if not check(help_run.returncode == 0 and help_run.stdout, f"{program} --help failed (cwd /, no display): {help_run.stderr}"):
        return
    version_run = run([binary, "--version"], env=env)
    check(version_run.returncode == 0 and version_run.stdout.strip() == f"{program} {version}",
          f"{program} --version printed {version_run.stdout!r} {version_run.stderr!r}")
    # A wrong option ends the program at once with one line on standard error.
    for wrong in ("--no-such-option", "-Z"):
        bad = run([binary, wrong], env=env, timeout=20)
        check(bad.returncode == 64, f"{program} {wrong} exits with {bad.returncode}, not 64")
        check(bad.stderr.count("\n") == 1 and wrong in bad.stderr and not bad.stdout,
              f"{program} {wrong} does not give one line on standard error: {bad.stderr!r}")
    if not check(page.is_file(), f"no manual page for {program}"):
        return
    lint = run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", page],
               env=dict(env, LC_ALL="C.UTF-8", MANROFFSEQ="", MANWIDTH="80"))
    check(lint.returncode == 0 and not lint.stderr.strip(), f"{page.name} has troff warnings: {lint.stderr}")
    text = man_text(page)
    for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "ENVIRONMENT", "FILES", "EXAMPLES"):
        check(man_section(text, section).strip(), f"{page.name} has no {section} section")
    help_options = options_of(help_run.stdout)
    check(len(help_options) >= 2, f"{program} --help names no options")
    for option in sorted(help_options):
        check(re.search(r"(?<![\w\-])" + re.escape(option) + r"(?![\w\-])", text), f"{page.name} does not list {option}")
    # The page's option list names nothing that --help does not print.
    listed = options_of("\n".join(line for line in man_section(text, "OPTIONS").splitlines() if not line.startswith(".SS")))
    for option in sorted(listed - help_options):
        check(False, f"{page.name} lists {option}, which {program} --help does not print")
    check("64" in man_section(text, "EXIT STATUS"), f"{page.name} does not give the exit status 64")


def check_midi_tool(tool, tones, env, scratch):
    if not tool.exists():
        return
    scale = next(iter(sorted(tones.rglob("test-c-major-scale.mid"))), None)
    if not check(scale is not None, "the shipped tones lack the C major scale"):
        return
    info = run([tool, "info", scale], env=env)
    check(info.returncode == 0 and info.stdout.startswith('{"result": 0'), f"installed corvina-midi info: {info.stdout} {info.stderr}")
    out = scratch / "clip.mid"
    clip = run([tool, "clip", scale, "--all", "--from", "0", "--to", "0:01", "-o", out], env=env)
    check(clip.returncode == 0 and out.read_bytes()[:4] == b"MThd", f"installed corvina-midi clip: {clip.stdout} {clip.stderr}")


def check_virtual_phone(sim, tones, env, scratch):
    """Without --corpus the installed virtual phone seeds from the installed tones."""
    if not sim.exists():
        return
    state = scratch / "phone"
    process = subprocess.Popen([str(sim), "--state", str(state), "--model", "BIRCH-M55", "--seed-ringtones"],
                               cwd="/", env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                               preexec_fn=die_with_this_test)
    try:
        first = process.stdout.readline()
        check(first.startswith("/dev/"), f"installed corvina-phonesim printed {first!r}")
    finally:
        process.terminate()
        _, err = process.communicate(timeout=30)
    check(process.returncode == 0, f"installed corvina-phonesim ended with {process.returncode}: {err}")
    check(not err.strip(), f"installed corvina-phonesim complained: {err}")
    seeded = sorted(p.name for p in (state / "fs").rglob("*") if p.is_file() and p.suffix in (".mid", ".imy"))
    shipped = sorted(p.name for p in tones.rglob("*") if p.suffix in (".mid", ".imy"))
    check(seeded and set(seeded) <= set(shipped), f"the phone was seeded with {seeded}, not from {shipped}")
    check(any(name.endswith(".imy") for name in seeded), "the BIRCH phone got no iMelody file")


def check_phone_found_without_settings(bindir, env, scratch):
    """With no settings of the user's, a phone behind a candidate device is found and read out."""
    sim, phone_tool, editor = bindir / "corvina-phonesim", bindir / "corvina-phone", bindir / "corvina"
    if not sim.exists() or not phone_tool.exists():
        return
    # The shipped candidates are in /dev: only root may put a device there for the test.
    if os.geteuid() != 0 or not os.access("/dev", os.W_OK):
        print("note: not root, the search of the shipped candidates in /dev is not tried")
        return
    link = Path(f"/dev/ttyACMcorvina{os.getpid()}")
    process = subprocess.Popen([str(sim), "--state", str(scratch / "found"), "--model", "CX70", "--link", str(link)],
                               cwd="/", env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                               preexec_fn=die_with_this_test)
    try:
        process.stdout.readline()
        ports = run([phone_tool, "ports"], env=env)
        check(ports.returncode == 0 and f'"device": "{link}"' in ports.stdout and '"probe": "phone"' in ports.stdout,
              f"installed corvina-phone ports did not find the phone at {link}: {ports.stdout} {ports.stderr}")
        if editor.exists() and os.environ.get("DISPLAY"):
            shown = dict(env, DISPLAY=os.environ["DISPLAY"], LANGUAGE="", LC_ALL="C.UTF-8")
            result = run([editor, "--status", "--screenshot", scratch / "found.png", "--delay", "4000"], env=shown, timeout=120)
            check(f" on {link}" in result.stdout and "Connected: " in result.stdout,
                  f"installed corvina did not find the phone at {link}: {result.stdout} {result.stderr}")
    finally:
        process.terminate()
        process.communicate(timeout=30)


if __name__ == "__main__":
    try:
        main()
    except Exception as error:  # an unexpected failure is a failed test with its reason
        failures.append(f"{type(error).__name__}: {error}")
    for failure in failures:
        print("FAILED:", failure)
    print(f"{len(failures)} problem(s)")
    sys.exit(1 if failures else 0)
