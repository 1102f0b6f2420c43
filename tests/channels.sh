# shellcheck shell=bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# The channels that a release reaches its users through, tried as a user
# would; read by release_test.sh, which has made the releases, and whose
# $work, $source and $version these use.
# shellcheck disable=SC2154

# windowsChannels DIST CERTIFICATE: the manifests of winget and Scoop name the
# zips beside them, by their SHA-256, with the program at the root (their
# schemas are another test's); each zip's program carries a signature that the
# certificate verifies, and is refused once altered.
windowsChannels() {
    local dist=$1 certificate=$2 zip
    expect 'manifests of winget and Scoop' "$source/scripts/release-data" check-manifests "$dist"
    for zip in "$dist"/*-windows-*.zip; do
        rm -rf "$work/signed" && mkdir "$work/signed"
        (cd "$work/signed" && cmake -E tar xf "$zip")
        expect "${zip##*/}: the program's signature" osslsigncode verify -CAfile "$certificate" \
            -in "$work/signed/Merovak.exe"
        has "${zip##*/}: the program's signature verifies" '^Signature verification: ok'
        printf 'x' | dd of="$work/signed/Merovak.exe" bs=1 seek=2000 conv=notrunc 2>/dev/null
        expect "${zip##*/}: an altered program is refused" bash -c '! osslsigncode verify -CAfile "$1" -in "$2"' \
            - "$certificate" "$work/signed/Merovak.exe"
    done
}

# served FOLDER DIST: publishes a release's repositories and key in FOLDER,
# over what was there, as a publisher does.
served() {
    rm -rf "$1" && mkdir -p "$1" &&
        cp -r "$2/apt" "$2/rpm" "$2/merovak-archive-keyring.gpg" "$2/merovak-archive-keyring.asc" "$1"
}
# asLocal TEXT: the page's lines, with the publisher's address and the system's
# folders replaced by those of the test ($served, $root).
asLocal() {
    sed -e "s|https://downloads.example.org/merovak|file://$served|g" -e "s| /etc/| $root/etc/|g" \
        -e "s|>/etc/|>$root/etc/|g" <<<"$1"
}

# aptChannel FIRST_DIST NEXT_DIST NEXT_VERSION: the page's lines add the APT
# repository of the first release to a root of the test's own (its C library
# taken as installed), install the command from it, and upgrade it to the next
# release once that is published there; apt takes the package that the release
# holds, and refuses a repository altered after signing, installing nothing.
aptChannel() {
    local first=$1 next=$2 nextVersion=$3 lines
    served=$work/served root=$work/apt-root
    aptRoot() {
        rm -rf "$root" && mkdir -p "$root"/etc/apt/{apt.conf.d,preferences.d,sources.list.d} \
            "$root"/var/lib/dpkg/{info,updates} "$root"/var/lib/apt/lists/partial \
            "$root"/var/cache/apt/archives/partial "$root"/var/log/apt
        dpkg-query -s "libc6:$(dpkg --print-architecture)" |
            grep -v -E '^(Depends|Breaks|Recommends|Suggests|Replaces|Conffiles):|^ ' >"$root/var/lib/dpkg/status"
        touch "$root/var/lib/dpkg/available"
    }
    apt-get() { # shellcheck disable=SC2317 # run by the page's lines
        command apt-get -q -y -o Dir="$root" -o Dir::State::status="$root/var/lib/dpkg/status" \
            -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)" -o Dpkg::Use-Pty=0 \
            -o DPkg::Options::=--root="$root" -o DPkg::Options::=--admindir="$root/var/lib/dpkg" \
            -o DPkg::Options::=--log="$root/var/log/dpkg.log" -o DPkg::Options::=--force-not-root \
            -o DPkg::Options::=--force-bad-path "$@"
    }
    export -f apt-get
    export root
    aptRoot && served "$served" "$first"
    lines=$(page "$source/docs/install.md" apt-repository) || return
    expect 'apt: the repository added, the command installed' bash -c "$(asLocal "$lines")"
    expect 'apt: it answers' "$root/usr/bin/Merovak"
    has 'apt: it answers with the usage text' '^Usage: Merovak'
    expect 'apt: the package downloaded' bash -c 'cd "$1" && apt-get download merovak' - "$work"
    expect 'apt: the package is the release'"'"'s' cmp "$work/merovak_${version}_$(dpkg --print-architecture).deb" \
        "$first/merovak_${version}_$(dpkg --print-architecture).deb"
    served "$served" "$next"
    lines=$(page "$source/docs/install.md" apt-upgrade) || return
    expect 'apt: upgraded' bash -c "$(asLocal "$lines")"
    expect 'apt: the next release installed' dpkg-query --admindir="$root/var/lib/dpkg" -W merovak
    has 'apt: the next release installed' "^merovak	$nextVersion\$"
    lines=$(page "$source/docs/install.md" apt-remove) || return
    expect 'apt: removed' bash -c "$(asLocal "$lines")"
    expect 'apt: nothing left' bash -c '! compgen -G "$1/usr/bin/*" && ! compgen -G "$1/etc/apt/*/merovak*"' - "$root"

    # One byte of InRelease changed: apt refuses the repository.
    aptRoot && served "$served" "$first"
    sed -i '0,/Merovak/s//Merovek/' "$served/apt/dists/stable/InRelease"
    lines=$(page "$source/docs/install.md" apt-repository) || return
    expect 'apt: an altered repository refused' bash -c '! bash -c "$1" 2>&1' - "$(asLocal "$lines")"
    has 'apt: an altered repository refused, as not signed' 'NO_PUBKEY\|not signed\|BADSIG\|[Ss]ignature'
    expect 'apt: an altered repository, nothing installed' test ! -e "$root/usr/bin/Merovak"
    unset -f apt-get
}

# dnfChannel FIRST_DIST NEXT_DIST UNSIGNED_RPM: the page's lines add the dnf
# repository of the first release; dnf, its checks of the repository's and the
# packages' signatures on, finds that release, then the next once it is
# published there, and downloads it; rpmkeys with the key alone accepts every
# RPM of both and refuses an unsigned or an altered one; gpgv with the keyring
# accepts the repository's signature.
dnfChannel() {
    local first=$1 next=$2 unsigned=$3 lines rpm
    served=$work/served root=$work/dnf-root
    rm -rf "$root" && mkdir -p "$root/etc/yum.repos.d"
    printf '[main]\ngpgcheck=1\nrepo_gpgcheck=1\nreposdir=%s\ncachedir=%s\n' "$root/etc/yum.repos.d" \
        "$work/dnf-cache" >"$work/dnf.conf"
    dnfIn() { # shellcheck disable=SC2317 # run by expect
        dnf -q -y -c "$work/dnf.conf" --installroot="$root/installed" --releasever=1 --disableplugin=local "$@"
    }
    served "$served" "$first"
    lines=$(page "$source/docs/install.md" dnf-repository) || return
    expect 'dnf: the repository added' bash -c "$(asLocal "$lines")"
    expect 'dnf: the repository read, its signature checked' dnfIn list --showduplicates merovak
    has 'dnf: the first release found' "^merovak\.$(uname -m) *$version-1 "
    served "$served" "$next"
    expect 'dnf: the next release downloaded' dnfIn --refresh download --destdir "$work/dnf-download" merovak
    rpm=merovak-$nextVersion-1.$(uname -m).rpm
    expect 'dnf: the next release is the one published' cmp "$work/dnf-download/$rpm" "$next/$rpm"
    expect 'gpgv: the repository signed' gpgv --keyring "$first/merovak-archive-keyring.gpg" \
        "$first/rpm/repodata/repomd.xml.asc" "$first/rpm/repodata/repomd.xml"

    local keys=(rpmkeys --dbpath "$work/rpmdb" --define '_pkgverify_level signature')
    expect 'rpmkeys: the key imported' "${keys[@]}" --import "$first/merovak-archive-keyring.asc"
    for rpm in "$first"/*.rpm "$first"/rpm/*.rpm "$next"/*.rpm; do
        expect "rpmkeys: ${rpm#"$work"/} signed" "${keys[@]}" -K "$rpm"
        has "rpmkeys: ${rpm#"$work"/} signed" 'digests signatures OK$'
    done
    cp "$first/${unsigned##*/}" "$work/altered.rpm"
    printf 'x' | dd of="$work/altered.rpm" bs=1 seek=5000 conv=notrunc 2>/dev/null
    for rpm in "$unsigned" "$work/altered.rpm"; do
        expect "rpmkeys: ${rpm#"$work"/} refused" bash -c '! "${@:2}" -K "$1"' - "$rpm" "${keys[@]}"
    done
}
