#!/usr/bin/env bash
# Builds one Debian package of the app from a built program:
#
#   packaging/build-deb.sh PACKAGE ARCH PROGRAM INFO_PLIST OUTDIR
#
# PACKAGE is zentrova or zentrova-legacy (packaging/debian/control), ARCH a Debian architecture.
# The bundle is staged by cmake/StageBundle.cmake into /Applications/Zentrova.app of a package
# tree, the program is stripped with the target's binutils, the dependencies are the ones dpkg-shlibdeps finds for the target's multiarch
# libraries, and dpkg-deb writes OUTDIR/PACKAGE_VERSION_ARCH.deb.
set -euo pipefail

if [ $# -ne 5 ]; then
  sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
fi
package=$1 arch=$2 program=$3 info_plist=$4 outdir=$5
source_dir=$(cd "$(dirname "$0")/.." && pwd)
packaging=$source_dir/packaging

for file in "$program" "$info_plist"; do
  [ -f "$file" ] || { echo "build-deb: $file does not exist" >&2; exit 1; }
done
# The build may point at the program through a link; the package gets the program itself.
program=$(realpath "$program")

mkdir -p "$outdir"
outdir=$(cd "$outdir" && pwd)
work=$outdir/$package-$arch
rm -rf "$work"
tree=$work/tree
mkdir -p "$work/debian" "$tree/DEBIAN"
cp "$packaging/debian/control" "$packaging/debian/changelog" "$work/debian/"

# Everything in the package is the build's, with no trace of who built it where.
umask 022
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -l "$packaging/debian/changelog" -STimestamp)}

bundle=$tree/Applications/Zentrova.app
cmake -DPROGRAM="$program" -DINFO_PLIST="$info_plist" -DSOURCE_DIR="$source_dir" \
      -DBUNDLE="$bundle" -P "$source_dir/cmake/StageBundle.cmake"
program_name=$(basename "$program")
installed=$bundle/$program_name
chmod 0755 "$installed"
chmod 0644 "$bundle"/Info.plist "$bundle"/CHANGELOG.txt "$bundle"/fonts.conf

# Stripped as Debian's own packages are: no debugging sections, no symbols beyond the dynamic ones.
triplet=$(dpkg-architecture -a"$arch" -qDEB_HOST_GNU_TYPE 2>/dev/null)
"$triplet-strip" --remove-section=.comment --remove-section=.note --strip-unneeded "$installed"

install -d "$tree/usr/bin" "$tree/usr/share/doc/$package" "$tree/usr/share/man/man1"
sed "s|@PROGRAM@|$program_name|" "$packaging/zentrova.in" > "$tree/usr/bin/zentrova"
chmod 0755 "$tree/usr/bin/zentrova"
gzip -9n < "$packaging/zentrova.1" > "$tree/usr/share/man/man1/zentrova.1.gz"
cp "$packaging/debian/copyright" "$tree/usr/share/doc/$package/copyright"
gzip -9n < "$packaging/debian/changelog" > "$tree/usr/share/doc/$package/changelog.gz"
install -D -m 0644 "$packaging/lintian-overrides" "$tree/usr/share/lintian/overrides/$package"
chmod 0644 "$tree/usr/share/man/man1/zentrova.1.gz" "$tree/usr/share/doc/$package/"*

# The shared libraries the program links, and which package of ARCH provides each, with the lowest versions their symbols files require.
(cd "$work" && DEB_HOST_ARCH=$arch dpkg-shlibdeps -Tdebian/substvars -e"$installed")
(cd "$work" && DEB_HOST_ARCH=$arch dpkg-gencontrol -p"$package" -P"$tree" \
   -Tdebian/substvars -fdebian/files)

(cd "$tree" && find . -type f ! -path './DEBIAN/*' -printf '%P\0' | LC_ALL=C sort -z \
   | xargs -0 md5sum) > "$tree/DEBIAN/md5sums"
chmod 0644 "$tree/DEBIAN/md5sums"
find "$tree" -exec touch --no-dereference --date="@$SOURCE_DATE_EPOCH" {} +

version=$(dpkg-parsechangelog -l "$packaging/debian/changelog" -SVersion)
deb=$outdir/${package}_${version}_$arch.deb
dpkg-deb --root-owner-group -Zxz --build "$tree" "$deb" >/dev/null
echo "$deb"
