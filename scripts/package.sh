#!/usr/bin/env bash
# Builds the Debian package of Tivora and checks it:
#   scripts/package.sh     -> build/package/tivora_<version>_<arch>.deb
# A release build with Debian's hardening flags, CPack's DEB generator (run-time
# dependencies computed from the binary by dpkg-shlibdeps), then lintian on the
# package and desktop-file-validate and appstreamcli on the files it installs; any
# error fails the script.
# Run as root on Debian 12: it installs what building needs (scripts/setup.sh) and the
# packaging tools (dpkg-dev, lintian, desktop-file-utils, appstream) itself with
# apt-get, since only packaging needs them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"

tools=(dpkg-dev lintian desktop-file-utils appstream)
missing=()
for p in "${tools[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "package: missing packages: ${missing[*]} (run as root to install them)" >&2
        exit 1
    fi
    echo "package: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The dates inside the package are the last commit's, so a rebuild of the same sources
# gives the same package.
if epoch=$(git -C "$root" log -1 --format=%ct 2>/dev/null); then
    export SOURCE_DATE_EPOCH=$epoch
fi

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
build="$root/build/package"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTIVORA_TESTS=OFF -DTIVORA_BENCH=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j2
rm -f "$build"/tivora_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/tivora_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package: no package built" >&2; exit 1; }
deb=${debs[0]}

echo "== lintian"
lintian --fail-on error --display-info "$deb"
contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
echo "== desktop-file-validate"
desktop-file-validate "$contents"/usr/share/applications/*.desktop
echo "== appstreamcli validate"
appstreamcli validate --no-net "$contents"/usr/share/metainfo/*.metainfo.xml
echo "package: $deb"
dpkg-deb --field "$deb"
