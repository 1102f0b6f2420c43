#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Publishes the release in dist/ into SITE, the folder that is the whole
# download site, to be served as it is by any static web server at
# MEROVAK_SITE_URL: what the site holds, and what it refuses (saying why, and
# leaving the site as it was), is in docs/release.md. The new site is made
# beside the old one and takes its place at the end. Publishing the same
# release again changes no byte: every index and signature is of the newest
# release's time. Needs the settings that made the release; installs what it
# needs, as the table of builds names it (apt-get, as root or through sudo).
# Usage: publish.sh SITE
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 1 ] || { echo "Usage: publish.sh SITE" >&2 && exit 2; }
export MEROVAK_SIGNING_KEY=${MEROVAK_SIGNING_KEY:?publish.sh: MEROVAK_SIGNING_KEY names no key}
url=${MEROVAK_SITE_URL:?publish.sh: MEROVAK_SITE_URL names no site}
url=${url%/}
site=$(realpath -m "$1") dist=$PWD/dist scripts=$PWD/scripts
bash scripts/install-packages.sh python3
packages=$(scripts/release-data presets debian publish)
mapfile -t packages <<<"$packages"
bash scripts/install-packages.sh "${packages[@]}"
export TZ=UTC LC_ALL=C.UTF-8
umask 022

refuse() { echo "publish.sh: $1; the site in $site is left as it was" >&2 && exit 1; }
# The release, signed by a key that the newest version published trusts (or,
# on a new site, by its own), which signs the repositories, with
# MEROVAK_NEXT_SIGNING_KEY where it is given: each a key that the release trusts.
newest=$(scripts/release-data site versions "$site" | tail -n 1)
trusted=$site/$newest/merovak-archive-keyring.gpg
[ -n "$newest" ] || trusted=$dist/merovak-archive-keyring.gpg
answer=$(gpgv --status-fd 1 --keyring "$trusted" "$dist/SHA256SUMS.asc" "$dist/SHA256SUMS" 2>&1) ||
    refuse "the signature of $dist/SHA256SUMS is not by a key that ${newest:-the release} trusts: ${answer##*$'\n'}"
signers=()
for name in MEROVAK_SIGNING_KEY MEROVAK_NEXT_SIGNING_KEY; do
    [ -n "${!name:-}" ] || continue
    # (Each list of keys is read whole first: a reader that stops early would cut gpg off.)
    listed=$(gpg -q --with-colons --list-keys "${!name}") || refuse "$name: no key ${!name} in the GnuPG keyring"
    signers+=("$(awk -F: '$1 == "fpr" { print $10; exit }' <<<"$listed")")
    keys=$(gpg -q --with-colons --show-keys "$dist/merovak-archive-keyring.gpg")
    grep -qx "fpr:::::::::${signers[-1]}:" <<<"$keys" || refuse "$name is not a key that the release trusts"
done
grep -q "^\[GNUPG:\] VALIDSIG .* ${signers[0]}$" <<<"$answer" ||
    refuse "MEROVAK_SIGNING_KEY, which signs the repositories, did not sign the release"
answer=$(cd "$dist" && sha256sum --strict --quiet -c SHA256SUMS 2>&1) ||
    refuse "$dist does not match its SHA256SUMS: $(paste -sd ' ' <<<"$answer")"
version=$(scripts/release-data site admit "$site" "$dist" "$url") || refuse "the release is refused"
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(scripts/release-data site time "$dist")

# The new site, beside the old one, from what the old one holds.
next=$(mktemp -d "$site.next.XXXXXX")
trap 'rm -rf "$next"' EXIT
chmod 755 "$next"
[ ! -d "$site" ] || cp -a "$site/." "$next"
[ -d "$next/$version" ] || cp -a "$dist" "$next/$version"
held=$(scripts/release-data site versions "$next")
mapfile -t held <<<"$held"

# The site's keys: every key that a version it holds trusts, for checking what
# each signed, in the order of their fingerprints (the .asc one block a key).
home=$(mktemp -d) && gpg=(gpg -q --batch --homedir "$home") && rm -f "$next"/merovak-archive-keyring.*
for folder in "${held[@]}"; do "${gpg[@]}" --import "$next/$folder/merovak-archive-keyring.gpg"; done
keys=$("${gpg[@]}" --with-colons --list-keys)
awk -F: '$1 == "pub" { k = 1 } $1 == "fpr" && k { print $10; k = 0 }' <<<"$keys" | sort | while read -r key; do
    "${gpg[@]}" --export "$key" >>"$next/merovak-archive-keyring.gpg"
    "${gpg[@]}" --armor --export "$key" >>"$next/merovak-archive-keyring.asc"
done
gpgconf --homedir "$home" --kill all && rm -rf "$home"

# The apt repository (suite stable, component main) of every version's Debian
# packages, made by apt-ftparchive, its indexes in name order.
apt=$next/apt
rm -rf "$apt/dists" && mkdir -p "$apt/pool/main/m/merovak"
for folder in "${held[@]}"; do cp -a "$next/$folder"/*.deb "$apt/pool/main/m/merovak"; done
architectures=$(for deb in "$apt"/pool/main/m/merovak/*.deb; do dpkg-deb -f "$deb" Architecture; done |
    grep -vx all | sort -u | paste -sd ' ') # each one's index holds the packages for all
for architecture in $architectures; do
    index=$apt/dists/stable/main/binary-$architecture/Packages
    mkdir -p "${index%/*}"
    (cd "$apt" && apt-ftparchive --arch "$architecture" packages pool) >"$index"
    gzip -9nk "$index" && xz -T1 -k "$index"
done
fields=(Origin=Merovak Label=Merovak Suite=stable Codename=stable Components=main
    "Architectures=$architectures" "Date=$(date -u -R -d "@$SOURCE_DATE_EPOCH")")
apt-ftparchive "${fields[@]/#/-oAPT::FTPArchive::Release::}" release "$apt/dists/stable" >"$next/Release"
mv "$next/Release" "$apt/dists/stable/Release"
bash "$scripts/sign.sh" --clearsign "$apt/dists/stable/InRelease" "$apt/dists/stable/Release" "${signers[@]}"
bash "$scripts/sign.sh" --detach-sign "$apt/dists/stable/Release.gpg" "$apt/dists/stable/Release" "${signers[@]}"

# The dnf repository of every version's RPMs, made by createrepo_c.
rpm=$next/rpm
rm -rf "$rpm/repodata" && mkdir -p "$rpm"
for folder in "${held[@]}"; do cp -a "$next/$folder"/*.rpm "$rpm"; done
find "$rpm" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
createrepo_c --no-database --revision "$SOURCE_DATE_EPOCH" --set-timestamp-to-revision "$rpm" >/dev/null
bash "$scripts/sign.sh" --detach-sign "$rpm/repodata/repomd.xml.asc" "$rpm/repodata/repomd.xml" "${signers[@]}"

# winget's manifests, as its community repository holds them.
mkdir -p "$next/winget/manifests/m/Merovak/Merovak/$version"
cp "$dist"/winget/*.yaml "$next/winget/manifests/m/Merovak/Merovak/$version"

# The Scoop bucket: a commit of bucket/merovak.json for each version, of its
# release's time, made once; served over plain HTTP.
bucket=$next/scoop.git
[ -d "$bucket" ] || git init -q --bare --template= -b main "$bucket"
subjects='' parent=()
if head=$(git -C "$bucket" rev-parse -q --verify refs/heads/main); then
    subjects=$(git -C "$bucket" log --format=%s "$head") parent=(-p "$head")
fi
if ! grep -qx "merovak: Update to version $version" <<<"$subjects"; then
    blob=$(git -C "$bucket" hash-object -w "$dist/merovak.json")
    tree=$(printf '100644 blob %s\tmerovak.json\n' "$blob" | git -C "$bucket" mktree)
    tree=$(printf '040000 tree %s\tbucket\n' "$tree" | git -C "$bucket" mktree)
    commit=$(env GIT_AUTHOR_NAME=Merovak GIT_AUTHOR_EMAIL=merovak@example.org GIT_COMMITTER_NAME=Merovak \
        GIT_COMMITTER_EMAIL=merovak@example.org GIT_AUTHOR_DATE="@$SOURCE_DATE_EPOCH +0000" \
        GIT_COMMITTER_DATE="@$SOURCE_DATE_EPOCH +0000" \
        git -C "$bucket" commit-tree "$tree" "${parent[@]}" -m "merovak: Update to version $version")
    git -C "$bucket" update-ref refs/heads/main "$commit"
fi
git -C "$bucket" update-server-info

# The home page, then the new site in the old one's place.
scripts/release-data site page "$next" "$url"
[ ! -d "$site" ] || mv "$site" "$next.old"
mv "$next" "$site" && rm -rf "$next.old"
echo "Published $version in $site, for $url"
