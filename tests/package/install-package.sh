#!/usr/bin/env bash
# Builds the Debian package from this build, installs it with apt-get as an
# administrator would, runs the installed command line on the sample school's
# cycle and removes the package again. Skips (exit 77) where it cannot: not
# root, no apt-get, or the package installed for real on this machine, which
# it leaves alone.
#
#   install-package.sh BUILD_DIR EXAMPLES_DIR
set -euo pipefail

build=$1
examples=$2
name=transmirtavquelmar

if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null || ! command -v cpack >/dev/null; then
  echo "omitida: hace falta ser root y tener apt-get"
  exit 77
fi

# One run at a time on this machine: two builds must not install and remove
# the same package under each other. apt's own lock is waited for below.
exec 9>"/tmp/$name-package-test.lock"
flock 9

# apt-get, waiting for other users of apt: the dpkg lock by apt's own
# timeout, the other locks by trying again.
apt() {
  local output
  for _ in $(seq 1 60); do
    if output=$(env DEBIAN_FRONTEND=noninteractive apt-get -y -q \
      -o DPkg::Lock::Timeout=900 "$@" 2>&1); then
      return 0
    fi
    grep -q 'Could not get lock\|Unable to acquire' <<<"$output" || break
    sleep 10
  done
  echo "$output"
  return 1
}

# A package this test installed and could not remove (it was killed) is
# marked; one installed for real is left alone.
mark=/var/tmp/$name-package-test.installed
if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed'; then
  if [ ! -e "$mark" ]; then
    echo "omitida: $name está instalado en esta máquina y no se toca"
    exit 77
  fi
  apt remove --purge "$name" >/dev/null
fi
rm -f "$mark"

work=$(mktemp -d)
chmod 755 "$work" # apt reads the package as its own unprivileged user
cleanup() {
  if [ -e "$mark" ]; then
    apt remove --purge "$name" >/dev/null && rm -f "$mark"
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FALLO: $*" >&2
  exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/paquete" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack no pudo hacer el paquete"; }
deb=$(echo "$work"/paquete/"$name"_*.deb)
[ -f "$deb" ] || fail "no hay paquete en $work/paquete"

# dpkg-shlibdeps found the libraries the programs link. The table engine is
# linked in, so that the package does not hang on the name that each Debian
# release gives shapelib's package (libshp2, libshp4).
depends=$(dpkg-deb -f "$deb" Depends)
for dependency in libc6 libstdc++6 libxml2 libqt6widgets6 fonts-liberation; do
  grep -q "$dependency" <<<"$depends" || fail "Depends sin $dependency: $depends"
done
if grep -q libshp <<<"$depends"; then
  fail "Depends nombra shapelib, que va dentro de los programas: $depends"
fi

touch "$mark"
apt install --no-install-recommends "$deb" || fail "apt-get install $deb"

for file in /usr/bin/transmirtavquelmar-cli /usr/bin/TransMirtavQuelmar \
  /usr/bin/transmirtavquelmar-horario \
  /usr/share/applications/$name.desktop \
  /usr/share/icons/hicolor/scalable/apps/$name.svg \
  /usr/share/icons/hicolor/48x48/apps/$name.png \
  /usr/share/man/man1/transmirtavquelmar-cli.1.gz /usr/share/man/man1/TransMirtavQuelmar.1.gz \
  /usr/share/man/man1/transmirtavquelmar-horario.1.gz \
  /usr/share/metainfo/invalid.example.transmirtavquelmar.metainfo.xml \
  /usr/share/doc/$name/copyright /usr/share/doc/$name/changelog.gz; do
  [ -f "$file" ] || fail "falta $file"
done
if ldd /usr/bin/transmirtavquelmar-cli | grep -q 'libshp'; then
  fail "la orden enlaza shapelib como biblioteca compartida"
fi
if ldd /usr/bin/TransMirtavQuelmar | grep -q 'not found'; then
  fail "a la ventana le faltan bibliotecas: $(ldd /usr/bin/TransMirtavQuelmar | grep 'not found')"
fi

# The sample cycle with the installed command line, from another folder.
cycle=$work/ciclo
mkdir -p "$cycle/mtemp"
cp "$examples/centro.xml" "$cycle/"
cd "$cycle"
[ "$(transmirtavquelmar-cli export centro.xml --dir mtemp)" = "Proceso finalizado" ] || fail "export"
transmirtavquelmar-cli demo-timetable --dir mtemp | grep -q ", 0 sin colocar" || fail "demo-timetable"
[ "$(transmirtavquelmar-cli import centro.xml --dir mtemp)" = "Proceso Terminado" ] || fail "import"
grep -q '<listasal seq="EMPLEADO_7">' ResultadoMirtavcentro.xml || fail "resultado sin EMPLEADO_7"
cd /

apt remove --purge "$name" || fail "apt-get remove"
rm -f "$mark"
[ ! -e /usr/bin/transmirtavquelmar-cli ] || fail "transmirtavquelmar-cli sigue tras quitar el paquete"
echo "paquete $(basename "$deb"): instalado, ciclo de ejemplo correcto, quitado"
