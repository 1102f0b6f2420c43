#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# A change of signing keys, as Linux machines meet it: the releases that the
# release test keeps are published one after the other into a site of this
# test's own, served at their address: the first, signed by a key A; the
# transition (A signs, and the keys package brings the next key, B); the
# switch (B signs, A is still trusted); the retirement of A. Each machine is a
# root of the test's own (this machine's, with its changes kept in the test's
# folder by an overlay, and apt without the machine's sources) and runs the
# home page's blocks as they stand. The install guide's apt lines, where the
# site cannot be reached, fail and change nothing; the home page's install
# the first version, and where their last step fails, leave nothing behind; a
# machine that updates at each step gets each version with no warning, the new
# key with the transition, and goes back a version and uninstalls with the
# page's lines; one that did not update in the transition is told so, and a
# new one installs after it. After the switch, every version's signatures
# verify with the site's keys (the page's check lines, gpgv and sqv), every
# RPM with the keys that the repo definition names, and dnf lists every
# version; a release signed by a key that the site does not trust is refused,
# and the site is left as it was. Skipped where the kept releases, root or a
# root of the test's own are lacking.
# Usage: site_test.sh SOURCE_DIR KEPT_DIR
set -u
source=$1 kept=$2
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
# shellcheck source=channels.sh
. "$(dirname "$0")/channels.sh"
needsFile "$kept/third-key" "the releases that the release test keeps (ctest -R '^release\$' first)"
for tool in dnf:dnf curl:curl sqv:sqv rpmkeys:rpm; do needs "${tool%:*}" "${tool#*:}"; done
[ "$(id -u)" -eq 0 ] || lacks+=("root, which a root of the test's own for apt and dnf needs")
lacking

# inRoot MACHINE COMMAND...: COMMAND in the root of MACHINE, one of the test's
# own, made with apt and dnf without the machine's sources at its first use.
inRoot() {
    local root=$work/$1
    [ -d "$root" ] || { mkdir -p "$root"/{upper,work,merged} && inRoot "$1" sh -c 'rm -f /etc/apt/sources.list \
        /etc/apt/sources.list.d/* && mkdir -p /etc/dnf/vars && echo 1 >/etc/dnf/vars/releasever &&
        printf "[main]\nenabled=0\n" >/etc/dnf/plugins/local.conf'; } || return
    unshare --mount --fork sh -c 'mount -t overlay overlay -o "lowerdir=/,upperdir=$1/upper,workdir=$1/work" \
        "$1/merged" && mount -t proc proc "$1/merged/proc" && mount --rbind /dev "$1/merged/dev" &&
        shift && exec chroot "$@"' - "$root" "$root/merged" "${@:2}"
}
if ! answer=$(inRoot early true 2>&1); then
    echo "SKIPPED: this machine lacks a root of the test's own for apt and dnf (an overlay of its own): $answer"
    exit 77
fi
# publishes VERSION: the kept release of VERSION published into the site, with its settings.
tree=$work/tree site=$work/site
mkdir "$tree" && cp -r "$source/scripts" "$source/CMakePresets.json" "$tree"
export GNUPGHOME=$work/gnupg
cp -r "$kept/gnupg" "$GNUPGHOME" && chmod 700 "$GNUPGHOME"
onExit 'gpgconf --kill all'
publishes() {
    local settings
    rm -rf "$tree/dist" && cp -r "$kept/releases/$1" "$tree/dist"
    mapfile -t settings <"$kept/releases/$1.settings"
    expect "$1 published" env "${settings[@]}" bash "$tree/scripts/publish.sh" "$site"
}
# installed MACHINE VERSION: MACHINE holds Merovak's VERSION.
installed() {
    expect "$1: $2 installed" inRoot "$1" dpkg-query -W -f='${Version}' merovak
    if [ "$(cat "$work/out")" = "$2" ]; then report "$1: $2 it is" ok; else report "$1: $2 it is" fail "$(cat "$work/out")"; fi
}
# runs NAME MACHINE BLOCK: the home page's BLOCK, run in MACHINE, as root answers yes.
runs() { expect "$1" inRoot "$2" bash -c "$(homeBlock "$site" "$3")" < <(yes); }
mapfile -t versions < <(find "$kept/releases" -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort -V)
first=${versions[0]} next=${versions[1]} switch=${versions[2]} retire=${versions[3]}
url=$(sed -n 's/^MEROVAK_SITE_URL=//p' "$kept/releases/$first.settings")
key=$(sed -n 's/^MEROVAK_SIGNING_KEY=//p' "$kept/releases/$first.settings")
serve "$site" "${url##*:}"

# The first version, on machines that install it.
publishes "$first"
expect "apt, with the install guide's lines: refused where the site is not reachable" inRoot offline bash -c \
    'find /etc/apt >/before && ! bash -c "$1" && find /etc/apt | cmp /before -' - \
    "$(page "$source/docs/install.md" apt-repository)"
for machine in early late; do
    runs "$machine, with the home page's lines: installed" "$machine" apt-repository
    installed "$machine" "$first"
done
pool=$site/apt/pool/main/m/merovak/merovak_${first}_$(dpkg --print-architecture).deb
mv "$pool" "$work/held.deb"
expect "failing, with the home page's lines: the last step fails" inRoot failing bash -c \
    '! bash -c "$1" </dev/null' - "$(homeBlock "$site" apt-repository)"
expect 'failing: no key, source or package of Merovak left' inRoot failing bash -c '! dpkg-query -W "merovak*" 2>/dev/null |
    grep -q . && ! compgen -G "/etc/apt/sources.list.d/merovak*" && ! compgen -G "/usr/share/keyrings/merovak*"'
mv "$work/held.deb" "$pool"

# The transition: the machine that updates gets the next key.
publishes "$next"
runs "early, with the home page's lines: updated to $next" early apt-upgrade
hasNot "early, updated to $next: no warning from apt" '^W:'
installed early "$next"
machineKeys=$work/early/upper/usr/share/keyrings/merovak-archive-keyring.gpg # as the machine holds it
expect 'early: the next key trusted' gpg --with-colons --show-keys "$machineKeys"
has 'early: the next key trusted' "^fpr:*$(sed -n 's/^MEROVAK_NEXT_SIGNING_KEY=//p' "$kept/releases/$next.settings"):"

# The switch: the machine that updated takes it; the one that did not is told
# so; a new machine installs it.
publishes "$switch"
runs "early, with the home page's lines: updated to $switch" early apt-upgrade
hasNot "early, updated to $switch: no warning from apt" '^W:'
installed early "$switch"
expect 'late, which did not update in the transition: its update fails' inRoot late bash -c \
    '! bash -c "$1" 2>&1' - "$(homeBlock "$site" apt-upgrade)"
has 'late: told why' "NO_PUBKEY\|Missing key"
has 'late: told what' "^Merovak's repository was not updated"
runs "new, with the home page's lines: installed after the switch" new apt-repository
installed new "$switch"

# Every version verifies with the site's keys: each download with the page's
# lines, each SHA256SUMS and the repositories' indexes with gpgv and sqv, each
# RPM with the keys that the repo definition names; dnf lists every version.
for release in "${versions[@]:0:3}"; do
    rm -rf "$work/download" && mkdir "$work/download"
    expect "$release: a download checked with the home page's lines" bash -c 'cd "$1" && curl -fsSLO "$2" &&
        eval "$3"' - "$work/download" "$url/$release/merovak-$release-linux-arm.tar.gz" "$(homeBlock "$site" "check-$release")"
    has "$release: a download checked: its checksum" "^merovak-$release-linux-arm.tar.gz: OK$"
done
indexes=(apt/dists/stable/Release rpm/repodata/repomd.xml)
for release in "${versions[@]:0:3}"; do indexes+=("$release/SHA256SUMS"); done
for signed in "${indexes[@]}"; do
    signature=$site/$signed.asc
    [[ $signed != */Release ]] || signature=$site/$signed.gpg
    expect "$signed: gpgv" gpgv --keyring "$site/merovak-archive-keyring.gpg" "$signature" "$site/$signed"
    expect "$signed: sqv" sqv --keyring "$site/merovak-archive-keyring.gpg" "$signature" "$site/$signed"
done
runs "dnf, with the home page's lines: the repository added" dnf dnf-repository
dnf=(dnf -q -y --releasever=1 --disableplugin=local)
expect 'dnf: the repository read, its signature checked' inRoot dnf "${dnf[@]}" list --showduplicates merovak
for release in "${versions[@]:0:3}"; do
    has "dnf lists $release" "^merovak\.$(uname -m) *$release-1 "
done
expect 'dnf: the keys that the repo definition names' inRoot dnf sh -c 'rpmkeys --dbpath /keys --import \
    $(sed -n "s|^gpgkey=file://||p" /etc/yum.repos.d/merovak.repo)'
for rpm in "$site"/rpm/*.rpm; do
    expect "rpmkeys: ${rpm##*/} signed by a key of the repo definition" rpmkeys --dbpath "$work/dnf/upper/keys" \
        --define '_pkgverify_level signature' -K "$rpm"
done
expect 'dnf: the newest downloaded' inRoot dnf "${dnf[@]}" download --destdir /downloaded merovak
rpm=merovak-$switch-1.$(uname -m).rpm
expect 'dnf: it is the one published' cmp "$work/dnf/upper/downloaded/$rpm" "$site/$switch/$rpm"

# The retirement of the first key, which the site keeps; a release signed by a
# key that the site does not trust is refused; back a version, and uninstalled.
publishes "$retire"
runs "early, with the home page's lines: updated to $retire" early apt-upgrade
installed early "$retire"
expect 'early: the first key no longer trusted' gpg --with-colons --show-keys "$machineKeys"
hasNot 'early: the first key no longer trusted' "^fpr:*$key:"
expect 'the site: the first key kept' gpg --with-colons --show-keys "$site/merovak-archive-keyring.gpg"
has 'the site: the first key kept' "^fpr:*$key:"
expect 'the home page: the first key retired' grep -A2 "${key:0:4} ${key:4:4}" "$site/index.html"
has 'the home page: the first key retired' 'retired'
cp -a "$site" "$work/published" && rm -rf "$tree/dist" && cp -r "$kept/releases/$retire" "$tree/dist"
gpg --batch --yes --local-user "$(cat "$kept/third-key")" --armor --detach-sign --output "$tree/dist/SHA256SUMS.asc" \
    "$tree/dist/SHA256SUMS"
mapfile -t settings <"$kept/releases/$retire.settings"
expect 'a release signed by a third key refused' bash -c '! env "${@:3}" bash "$1/scripts/publish.sh" "$2" 2>&1' - \
    "$tree" "$site" "${settings[@]}" MEROVAK_SIGNING_KEY="$(cat "$kept/third-key")"
has 'a release signed by a third key refused, saying why' "is not by a key that $retire trusts"
expect 'a release signed by a third key refused: the site as it was' diff -r "$work/published" "$site"
runs "early, with the home page's lines: back to $switch" early apt-downgrade
installed early "$switch"
runs "early, with the home page's lines: removed" early apt-remove
expect 'early: nothing left' inRoot early bash -c '! dpkg-query -W "merovak*" 2>/dev/null | grep -q "	." &&
    ! compgen -G "/etc/apt/sources.list.d/merovak*" && ! compgen -G "/usr/share/keyrings/merovak*" &&
    ! compgen -G /usr/bin/Merovak'
finish
