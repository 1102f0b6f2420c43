#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# The site that the release test publishes, served again at its address, as a
# Linux administrator meets it, in a root of the test's own (this machine's,
# with its changes kept in the test's folder by an overlay, and apt without the
# machine's sources): the install guide's apt lines, where its address cannot
# be reached, fail and leave /etc/apt as it was; the home page's apt lines, as
# they stand, install the newest version; apt offers both, and goes back to the
# first with the guide's line; the home page's update line takes it to the
# newest again, and its remove line leaves nothing; the home page's dnf lines
# add the signed repository, from which dnf lists both versions and downloads
# the newest as it is published. Skipped where the site, root or a root of the
# test's own is lacking.
# Usage: site_test.sh SOURCE_DIR KEPT_DIR
set -u
source=$1 kept=$2
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
# shellcheck source=channels.sh
. "$(dirname "$0")/channels.sh"
needsFile "$kept/site/index.html" "the site that the release test publishes (ctest -R '^release\$' first)"
needs dnf dnf
needs curl curl
command -v dnf >/dev/null && ! dnf --disableplugin=local download --help >/dev/null 2>&1 &&
    lacks+=("dnf's download command (Debian package dnf-plugins-core)")
[ "$(id -u)" -eq 0 ] || lacks+=("root, which a root of the test's own for apt and dnf needs")
lacking

# inRoot COMMAND...: COMMAND in the root of the test's own.
inRoot() {
    local root=$work/root
    mkdir -p "$root"/{upper,work,merged}
    unshare --mount --fork sh -c 'mount -t overlay overlay -o "lowerdir=/,upperdir=$1/upper,workdir=$1/work" \
        "$1/merged" && mount -t proc proc "$1/merged/proc" && mount --rbind /dev "$1/merged/dev" &&
        shift && exec chroot "$@"' - "$root" "$root/merged" "$@"
}
if ! answer=$(inRoot sh -c 'rm -f /etc/apt/sources.list /etc/apt/sources.list.d/*' 2>&1); then
    echo "SKIPPED: this machine lacks a root of the test's own for apt and dnf (an overlay of its own): $answer"
    exit 77
fi
site=$kept/site versions=$("$source/scripts/release-data" site versions "$kept/site")
version=$(head -n 1 <<<"$versions") newest=$(tail -n 1 <<<"$versions")
serve "$site" "$(cat "$kept/port")"

expect 'apt, with the install guide'"'"'s lines: refused where the site is not reachable' inRoot bash -c \
    'find /etc/apt >/before && ! bash -c "$1" && find /etc/apt | cmp /before -' - \
    "$(page "$source/docs/install.md" apt-repository)"
expect 'apt, with the home page'"'"'s lines: installed' inRoot bash -c "$(homeBlock "$site" apt-repository)" < <(yes)
expect 'apt: the newest installed, both offered' inRoot bash -c 'dpkg-query -W merovak && apt-cache madison merovak'
has 'apt: the newest installed' "^merovak	$newest\$"
for release in "$version" "$newest"; do
    has "apt offers $release" "^ *merovak | *$release | $url/apt stable/main"
done
expect "apt, with the home page's lines: back to $version" inRoot bash -c "$(homeBlock "$site" apt-downgrade)" < <(yes)
expect 'apt, with the home page'"'"'s lines: updated' inRoot bash -c "$(homeBlock "$site" apt-upgrade)" < <(yes)
expect 'apt: the newest installed again' inRoot dpkg-query -W merovak
has 'apt: the newest installed again' "^merovak	$newest\$"
expect 'apt, with the home page'"'"'s lines: removed' inRoot bash -c "$(homeBlock "$site" apt-remove)" < <(yes)
expect 'apt: nothing left' inRoot bash -c '! dpkg-query -W merovak 2>/dev/null | grep -q . &&
    ! compgen -G "/etc/apt/*/merovak*" && ! compgen -G /usr/bin/Merovak'

expect 'dnf, with the home page'"'"'s lines: the repository added' inRoot bash -c "$(homeBlock "$site" dnf-repository)"
dnf=(dnf -q -y --releasever=1 --disableplugin=local)
expect 'dnf: the repository read, its signature checked' inRoot "${dnf[@]}" list --showduplicates merovak
for release in "$version" "$newest"; do
    has "dnf lists $release" "^merovak\.$(uname -m) *$release-1 "
done
expect 'dnf: the newest downloaded' inRoot "${dnf[@]}" download --destdir /downloaded merovak
rpm=merovak-$newest-1.$(uname -m).rpm
expect 'dnf: it is the one published' cmp "$work/root/upper/downloaded/$rpm" "$site/$newest/$rpm"
finish
