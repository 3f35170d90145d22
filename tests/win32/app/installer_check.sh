#!/usr/bin/env bash
# Installs the Windows package with its installer, silently, into the Wine
# prefix of the session (run it through wine_x_session.sh), checks what a user
# gets, runs the installed terminal program, and uninstalls again.
# Usage: installer_check.sh INSTALLER.exe
# Exit status 0 when every check holds, 1 when one fails, 77 when there is no
# installer (it is made by the `package` target).
set -euo pipefail
installer=$1
[[ -f $installer ]] || { echo "skipped: no $installer (build the package target)"; exit 77; }
: "${WINEPREFIX:?run through wine_x_session.sh}"
folder="$WINEPREFIX/drive_c/Program Files/Quorix network check"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A run left over from an earlier check would hide what this installer does.
rm -rf "$folder"
timeout 180 wine "$installer" /S || fail "the installer ended with status $?"
for file in bin/quorix-net-check.exe bin/quorix-probe.exe README.md Uninstall.exe; do
  [[ -f $folder/$file ]] || fail "no $file in the install folder"
done
shortcut=$(find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs*' -iname 'Quorix network check.lnk' | head -1)
[[ -n $shortcut ]] || fail "no Start-menu shortcut"
# The uninstall entry that Windows' programs list shows, in the 64-bit registry view.
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\quorix-net-check'
timeout 60 wine reg query "$key" /v DisplayName 2>/dev/null | tr -d '\r' | grep -q 'Quorix network check' ||
  fail "no uninstall entry $key"

# The installed terminal program starts and answers (its help; it measures nothing).
help=$(timeout 60 wine "$folder/bin/quorix-probe.exe" --help 2>&1 | tr -d '\r') || fail "quorix-probe.exe --help failed"
grep -q -- '--json' <<<"$help" || fail "quorix-probe.exe --help printed no options"

# The uninstaller copies itself away and returns at once: wait for the files to go.
timeout 60 wine "$folder/Uninstall.exe" /S || fail "the uninstaller ended with status $?"
for _ in $(seq 120); do
  [[ -e $folder/bin/quorix-net-check.exe ]] || break
  sleep 0.5
done
[[ ! -e $folder/bin/quorix-net-check.exe && ! -e $folder/bin/quorix-probe.exe ]] || fail "the programs stayed after uninstalling"
[[ -z $shortcut || ! -e $shortcut ]] || fail "the Start-menu shortcut stayed after uninstalling"
timeout 60 wine reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry stayed after uninstalling"

if ((failures > 0)); then
  echo "$failures installer checks failed"
  exit 1
fi
echo "installed, ran and uninstalled: $(basename "$installer")"
