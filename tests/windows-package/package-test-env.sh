# What the tests of the Windows packages share. Source it after setting
# `root` (the project's folder); it gives a fresh Wine prefix of their own in
# a temporary folder `work`, removed at exit, and:
#   drive_c      the prefix's drive C:
#   fail TEXT    says what failed and ends the test
#   wine ...     a Windows program, given two minutes at most
#   list_files   the prefix's files, less Windows' own folder and the
#                temporary ones, which Wine changes on every run

work="$(mktemp -d)"
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
tmq_wine_start "$work"
# No .desktop entries in the host's menus for the shortcuts we create.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
drive_c="$WINEPREFIX/drive_c"

tmq_package_test_cleanup() {
  tmq_wine_stop
  rm -rf "$work"
}
trap tmq_package_test_cleanup EXIT

fail() {
  echo "FALLO: $*" >&2
  exit 1
}

wine() {
  timeout 120 "$TMQ_WINE" "$@"
}

list_files() {
  (cd "$drive_c" &&
    find . -path ./windows -prune -o -path '*/Temp' -prune -o -print | LC_ALL=C sort)
}

# The installed command line exports the sample school of EXAMPLES_DIR into
# C:\MTEMP; then `mtemp_sums` holds the working folder's sums, and the tables
# join the files listed in `before`, which the uninstall must leave.
installed_cli_exports_sample() { # EXAMPLES_DIR
  wine 'C:\Program Files\TransMirtavQuelmar\transmirtavquelmar-cli.exe' export \
    "$(tmq_wine_path "$1/centro.xml")" >"$work/export.out" 2>&1 ||
    fail "la exportación terminó con $?: $(cat "$work/export.out")"
  local table
  for table in ASIGNOMT PROFT AULAT GRUPOST ASIGT DIASHORAST; do
    [ -s "$drive_c/MTEMP/$table.DBF" ] || fail "la exportación no escribió $table.DBF"
  done
  mtemp_sums="$(cd "$drive_c/MTEMP" && md5sum ./* | LC_ALL=C sort)"
  before="$( (echo "$before" && cd "$drive_c" && printf '%s\n' ./MTEMP/*.DBF) | LC_ALL=C sort -u)"
}
