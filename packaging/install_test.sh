#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed programs from there with a clean
# environment; with CHECK_PACKAGE=1 also builds the Debian package and looks at its contents and dependencies.
# Usage: install_test.sh BUILD_DIR LIBDIR INCLUDEDIR CHECK_PACKAGE
set -euo pipefail
build=$1 libdir=$2 includedir=$3 check_package=$4
prefix=$(mktemp -d "${TMPDIR:-/tmp}/orvane-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/orvane bin/orvane-cli bin/ird-sim \
         "$libdir"/libkorva.so "$libdir"/libquonel.so "$libdir"/libmpegenc.so "$libdir"/liblzsscompress.so \
         "$includedir"/korva.h "$includedir"/quonel.h "$includedir"/mpegenc.h "$includedir"/lzsscompress.h \
         "$libdir"/pkgconfig/korva.pc share/applications/orvane.desktop \
         share/icons/hicolor/scalable/apps/orvane.svg; do
  [[ -e "$prefix/$f" ]] || fail "$f is not installed"
done

# Nothing installed may find its libraries through the build tree.
for f in "$prefix"/bin/* "$prefix/$libdir"/*.so; do
  if readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then fail "$f looks for libraries in $build"; fi
done

# The programs run from the prefix with nothing from the build in their environment.
help=$(env -i PATH=/usr/bin:/bin HOME="$prefix" "$prefix/bin/orvane-cli" --help) || fail "orvane-cli --help failed"
grep -q "db" <<<"$help" || fail "orvane-cli --help lists no commands: $help"
env -i PATH=/usr/bin:/bin HOME="$prefix" QT_QPA_PLATFORM=offscreen "$prefix/bin/orvane" --help | grep -q -- "--all-tools" \
  || fail "orvane --help failed"

# A program of someone else's builds against Korva through its pkg-config file and runs.
cat >"$prefix/use_korva.c" <<'C'
#include <korva.h>
#include <stdlib.h>
int main(void) {
  uint8_t* image = malloc(KORVA_SATELLITE_IMAGE_SIZE);
  int ok = image && DELVO_LoadDefaultData(image) == image;
  free(image);
  return ok ? 0 : 1;
}
C
flags=$(PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" pkg-config --cflags --libs korva) || fail "pkg-config korva"
# A sanitizer build's library needs its runtime in the program too (only the optimised build is packaged).
[[ "$check_package" == 1 ]] || flags="$flags -fsanitize=address,undefined"
cc "$prefix/use_korva.c" $flags -Wl,-rpath,"$prefix/$libdir" -o "$prefix/use_korva" || fail "building against korva"
"$prefix/use_korva" || fail "the program built against korva failed"

if [[ "$check_package" == 1 ]]; then
  (cd "$build" && cpack -G DEB >/dev/null) || fail "cpack -G DEB failed"
  deb=$(ls -t "$build"/package/orvane_*.deb | head -1)
  depends=$(dpkg-deb -f "$deb" Depends)
  for want in libqt6widgets6 libcurl libavcodec libjpeg; do
    grep -q "$want" <<<"$depends" || fail "the package does not depend on $want: $depends"
  done
  grep -q "orvane" <<<"$depends" && fail "the package depends on itself: $depends"
  contents=$(dpkg-deb -c "$deb")
  for f in ./usr/bin/orvane-cli ./usr/share/applications/orvane.desktop ./usr/"$libdir"/libkorva.so; do
    grep -qF "$f" <<<"$contents" || fail "the package lacks $f"
  done
fi
echo "installed and ran from $prefix"
