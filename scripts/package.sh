#!/usr/bin/env bash
# Builds the Debian package fotarel_<version>_amd64.deb in the current folder:
# the two programs in /usr/bin, the template library in /usr/share/fotarel,
# the desktop entry, icons, the album project file type and the manual pages.
# Its library dependencies come from dpkg-shlibdeps; lintian then checks it.
#
#   scripts/package.sh              builds everything from nothing in build-package
#   scripts/package.sh BUILD_DIR    packages an existing Release build tree as it is
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="$PWD"
cd "$here"

bash scripts/install-deps.sh

build="${1:-}"
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ -z "$build" ]; then
  build=build-package
  rm -rf "$build"
  # Debian's hardening flags (fortified functions, stack protector, read-only
  # relocations bound at start); the optimisation level is the Release
  # build's own.
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cppflags="$(dpkg-buildflags --get CPPFLAGS)"
  cxxflags="$(dpkg-buildflags --get CXXFLAGS | sed -e 's/-g //' -e 's/-O2 //')"
  ldflags="$(dpkg-buildflags --get LDFLAGS)"
  cmake -S . -B "$build" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release -DFOTAREL_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" -DCMAKE_C_FLAGS="$cppflags $cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)" \
  --target fotarel fotarel-cli template_library fotarel_icons fotarel_man_pages

version="$("$build/bin/fotarel-cli" --version | awk '{print $2}')"
arch="$(dpkg --print-architecture)"
maintainer="${DEBFULLNAME:-Fotarel developers} <${DEBEMAIL:-fotarel@example.org}>"
deb="fotarel_${version}_${arch}.deb"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
root="$stage/debian/fotarel"
mkdir -p "$root"
DESTDIR="$root" cmake --install "$build" --prefix /usr --strip >/dev/null
# Debian wants no build notes or comments in shipped programs.
strip --remove-section=.comment --remove-section=.note "$root/usr/bin/fotarel" "$root/usr/bin/fotarel-cli"

doc="$root/usr/share/doc/fotarel"
mkdir -p "$doc"
cp packaging/copyright "$doc/copyright"
sed -e "s/@VERSION@/$version/" -e "s/@MAINTAINER@/$maintainer/" \
    -e "s/@DATE@/$(LC_ALL=C date -R -d "@$(git log -1 --format=%ct 2>/dev/null || date +%s)")/" \
    packaging/changelog | gzip -9n > "$doc/changelog.gz"

# Library dependencies, read from the programs by dpkg-shlibdeps (which wants
# a debian/control to stand in; its note that the programs are not in an
# installed package's folder is beside the point here).
printf 'Source: fotarel\n\nPackage: fotarel\nArchitecture: any\n' > "$stage/debian/control"
shlibs="$(cd "$stage" &&
          { dpkg-shlibdeps -O -e debian/fotarel/usr/bin/fotarel -e debian/fotarel/usr/bin/fotarel-cli 2>&1 1>&3 |
              grep -v 'should already be installed' >&2 || true; } 3>&1 |
          sed -n 's/^shlibs:Depends=//p')"
[ -n "$shlibs" ] || { echo "dpkg-shlibdeps found no dependencies" >&2; exit 1; }

mkdir -p "$root/DEBIAN"
cat > "$root/DEBIAN/control" <<CONTROL
Package: fotarel
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $shlibs, ffmpeg, fonts-noto-cjk | fonts-wqy-zenhei
Recommends: qt6-translations-l10n
Section: video
Priority: optional
Description: photo-album videos from photos, songs and lyrics (Chinese UI)
 Fotarel turns JPG photos, MP3 songs and LRC or KSC karaoke lyric files into
 a photo-album video. It measures every photo, fits it into an animated
 effect template, crops it to the template's slot, binds songs to their
 lyrics, adds flying captions, and renders and encodes the album as a VCD,
 SVCD, DVD, AVI or MP4 video or an image sequence.
 .
 The package holds the desktop program fotarel (its interface is in Chinese)
 and the command-line program fotarel-cli, with the template library.
CONTROL
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$root/DEBIAN/md5sums"
find "$root" -type d -exec chmod 0755 {} +
find "$root/usr/share" "$root/DEBIAN" -type f -exec chmod 0644 {} +
chmod 0755 "$root/usr/bin/"*

dpkg-deb --root-owner-group -Zxz --build "$root" "$out/$deb" >/dev/null
echo "$out/$deb"
lintian --fail-on error "$out/$deb"
