#!/usr/bin/env bash
# Installs the Debian package with apt as a user would, starts the editor with its desktop entry's
# Exec line on a virtual display, purges the package and what apt brought with it, and fails if any
# file outside the users' homes and scratch folders was added or removed. Root only: it changes /usr.
# Usage: tests/install/deb_roundtrip.sh corvina_<version>_<arch>.deb
set -euo pipefail
deb=$(realpath "${1:?usage: deb_roundtrip.sh PACKAGE.deb}")
here=$(cd "$(dirname "$0")/../.." && pwd)
entry=/usr/share/applications/net.halvren.Corvina.desktop
passed=0 failed=0
check() {  # check DESCRIPTION COMMAND...: counts the outcome and says what failed
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
[ "$(id -u)" -eq 0 ] || { echo "deb_roundtrip: needs root (it installs and purges a package)" >&2; exit 1; }
if dpkg-query -W -f='${Status}' corvina 2>/dev/null | grep -q 'ok installed'; then
  echo "deb_roundtrip: corvina is installed already; not touching it" >&2
  exit 1
fi
scratch=$(mktemp -d) && chmod 711 "$scratch"
trap 'rm -rf "$scratch"' EXIT

# Every path where a package or a program run by a user could leave something: the top of /, and
# below it all but homes, scratch space, apt's and dpkg's logs and caches, and this source tree.
snapshot() {
  {
    find / -mindepth 1 -maxdepth 1
    find /etc /usr /var /opt /srv \
      \( -path /var/log -o -path /var/tmp -o -path /var/cache/apt -o -path /var/lib/apt \
         -o -path "$here" -o -path "$(dirname "$deb")" \) -prune -o -print
  } 2>/dev/null | sort
}
packages() { dpkg-query -W -f='${Package}:${Architecture}\n' | sort; }

export DEBIAN_FRONTEND=noninteractive
compgen -G '/var/lib/apt/lists/*_Packages' >/dev/null || apt-get update -qq
packages >"$scratch/packages.before"
snapshot >"$scratch/files.before"

apt-get install -y -q "$deb" >"$scratch/install.log" 2>&1 || { cat "$scratch/install.log"; exit 1; }
packages >"$scratch/packages.after"
brought=$(comm -13 "$scratch/packages.before" "$scratch/packages.after")
echo "installed: $(echo "$brought" | tr '\n' ' ')"

# The menu starts the Exec line with the file's field codes (%f...) left out, as the user who
# clicked it: here nobody, with a fresh home.
exec_line=$(sed -n 's/^Exec=//p' "$entry" | sed 's/ *%[fFuUick]//g')
check "the desktop entry's Exec line starts the packaged corvina ($exec_line)" \
  test "$(command -v "${exec_line%% *}")" = /usr/bin/corvina
home=$scratch/home
mkdir -p "$home" && chown nobody:nogroup "$home"
read -r -a command <<<"$exec_line"
status=0
timeout 120 setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 \
  xvfb-run -a -s "-screen 0 1024x768x24" "${command[@]}" --screenshot "$home/shot.png" \
  >"$scratch/run.log" 2>&1 || status=$?
check "corvina started from the menu ends with status 0, not $status: $(cat "$scratch/run.log")" test "$status" -eq 0
check "corvina started from the menu wrote no PNG screenshot" \
  test "$(head -c 4 "$home/shot.png" 2>/dev/null | od -An -c | tr -d ' ')" = '211PNG'

# apt-get purge corvina and what apt installed for it (on a fresh machine, its libraries).
# shellcheck disable=SC2086
apt-get purge -y -q corvina $(echo "$brought" | grep -v '^corvina:') >"$scratch/purge.log" 2>&1 \
  || { cat "$scratch/purge.log"; exit 1; }
snapshot >"$scratch/files.after"
comm -13 "$scratch/files.before" "$scratch/files.after" >"$scratch/added"
comm -23 "$scratch/files.before" "$scratch/files.after" >"$scratch/removed"
check "files left behind after the purge: $(cat "$scratch/added")" test ! -s "$scratch/added"
check "files gone after the purge that were there before: $(cat "$scratch/removed")" test ! -s "$scratch/removed"
check "packages left after the purge" cmp -s "$scratch/packages.before" <(packages)

echo "deb_roundtrip: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
