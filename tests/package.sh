#!/usr/bin/env bash
# The package of BUILD: no lintian error or warning, every file, and apt's install into a fresh Debian 12 root
# (as root; made once by debootstrap), where both programs run on what it pulled in and man reads the pages.
set -euxo pipefail
work=$(mktemp -d "$PWD/package.XXXXXX") root=$PWD/package-root
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$1/CPackConfig.cmake" -B "$work" >/dev/null
lintian --fail-on error,warning "$work"/plix_*.deb
[[ $(dpkg-deb -c "$work"/plix_*.deb | grep -cE ' \./usr/(bin/plix(-capture)?|share/(applications/plix\.desktop|doc/plix/(copyright|changelog\.gz)|icons/hicolor/(48x48|256x256)/apps/plix\.png|man/man(6/plix\.6|1/plix-capture\.1)\.gz))$') -eq 9 ]]
[[ $(id -u) -eq 0 ]] || exit 77
[[ -d $root ]] || { rm -rf "$root.new" && debootstrap --variant=minbase bookworm "$root.new" >"$root.log" && mv "$root.new" "$root"; }
cp -a "$root" "$work/root" && mv "$work"/plix_*.deb "$work/root/plix.deb"
chroot "$work/root" sh -exc 'apt-get update -q; DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends /plix.deb'
chroot "$work/root" sh -exc 'plix-capture --help | grep "^usage: plix-capture"; plix-capture --to 0.05 --frames /frames'
[[ $(chroot "$work/root" plix 2>&1) == *"failed to open display"* ]]
[[ $(man -l "$work"/root/usr/share/man/man{6/plix.6,1/plix-capture.1}.gz | grep -c '^EXIT STATUS') -eq 2 ]]
