#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# Makes one package of a build, ARTIFACT, from the files that cmake --install
# puts in STAGE, for PROCESSOR as the package's format names it: a Debian
# package, an RPM, a static program's archive (one folder), a Windows zip or
# Windows Installer package (packaging/merovak.wxs, described by
# MEROVAK_UPGRADE_CODE, MEROVAK_SUMMARY and MEROVAK_HOMEPAGE); or, for the
# release, the keys package of the repositories (merovak-archive-keyring, .deb
# or RPM) of the keys in MEROVAK_KEYRING (.gpg; its .asc beside it) and the
# site MEROVAK_SITE_URL. MEROVAK_AUTHENTICODE_CERT and _KEY sign the Windows
# package, MEROVAK_SIGNING_KEY the RPM; where SOURCE_DATE_EPOCH is set, every
# file and signature is of that time, and the same sources give the same bytes.
# Usage: package.sh BUILD_DIR STAGE ARTIFACT PROCESSOR VERSION MAINTAINER
set -euo pipefail
build=$(realpath "$1") stage=$(realpath -m "$2") artifact=$(realpath -m "$3") processor=$4 version=$5
maintainer=$6
scripts=$(dirname "$(realpath "$0")")

# needs TOOL... DEBIAN_PACKAGE: stops, saying so, where a tool is missing.
needs() {
    local tool
    for tool in "${@:1:$#-1}"; do
        command -v "$tool" >/dev/null ||
            { echo "package.sh: ${artifact##*/} needs $tool (Debian package ${!#})" >&2 && exit 1; }
    done
}
# put FOLDER [OPTION...]: the build's files, installed under FOLDER.
put() { cmake --install "$build" --prefix "$@" >/dev/null; }
# stamp: every staged file of SOURCE_DATE_EPOCH's time, where it is set (as
# dpkg-deb, rpmbuild and tar --clamp-mtime set it themselves; zip and wixl do not).
stamp() { [ -z "${SOURCE_DATE_EPOCH:-}" ] || find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +; }

# debian NAME: the staged files' md5sums, the control file of the package NAME,
# and the package.
debian() {
    mkdir -p "$stage/DEBIAN"
    (cd "$stage" && find usr -type f | LC_ALL=C sort | xargs md5sum) >"$stage/DEBIAN/md5sums"
    (cd "$build" && dpkg-gencontrol -p"$1" -P"$stage" -Tdebian/substvars -fdebian/files)
    dpkg-deb --root-owner-group -Zgzip --build "$stage" "$artifact" >/dev/null
}
rm -rf "$stage" "$artifact"
mkdir -p "${artifact%/*}"
keys=/usr/share/keyrings/merovak-archive-keyring.gpg
case $artifact in
*/merovak-archive-keyring_*.deb)
    needs dpkg-deb dpkg-gencontrol dpkg-dev
    install -D -m 644 "${MEROVAK_KEYRING:?}" "$stage$keys"
    install -D -m 644 -t "$stage/usr/share/doc/merovak-archive-keyring" "$build/copyright" "$build/changelog.gz"
    mkdir -p "$stage/etc/apt/sources.list.d" "$stage/DEBIAN"
    printf '%s\n' 'Types: deb' "URIs: ${MEROVAK_SITE_URL:?}/apt" 'Suites: stable' 'Components: main' \
        "Signed-By: $keys" >"$stage/etc/apt/sources.list.d/merovak.sources"
    echo /etc/apt/sources.list.d/merovak.sources >"$stage/DEBIAN/conffiles"
    # Installing the repository's source is what the package is for; apt takes
    # its keys as a .gpg file.
    printf 'merovak-archive-keyring: %s\n' 'package-installs-apt-sources [etc/apt/sources.list.d/merovak.sources]' \
        "openpgp-file-has-implementation-specific-extension [${keys#/}]" |
        install -D -m 644 /dev/stdin "$stage/usr/share/lintian/overrides/merovak-archive-keyring"
    debian merovak-archive-keyring
    ;;
*.deb)
    needs dpkg-deb dpkg-shlibdeps dpkg-gencontrol dpkg-dev
    put "$stage/usr" --strip --component program
    put "$stage/usr" --component debian
    # The processor's variables for dpkg-shlibdeps (dpkg-architecture warns
    # that the C compiler is not this processor's: it is not asked for one).
    variables=$(dpkg-architecture -a"$processor" -s 2>"$build/dpkg-architecture.log") ||
        { cat "$build/dpkg-architecture.log" >&2 && exit 1; }
    eval "$variables"
    (cd "$build" && dpkg-shlibdeps -Tdebian/substvars "$stage/usr/bin/Merovak")
    debian merovak
    ;;
*.rpm)
    needs rpmbuild rpm
    recipe=merovak.spec
    if [[ $artifact == */merovak-archive-keyring-* ]]; then
        recipe=merovak-archive-keyring.spec
        install -D -m 644 "${MEROVAK_KEYRING%.gpg}.asc" "$stage/etc/pki/rpm-gpg/RPM-GPG-KEY-merovak"
        install -D -m 644 "$scripts/../LICENSE" "$stage/usr/share/licenses/merovak-archive-keyring/LICENSE"
        mkdir -p "$stage/etc/yum.repos.d"
        printf '%s\n' '[merovak]' 'name=Merovak' "baseurl=${MEROVAK_SITE_URL:?}/rpm" 'gpgcheck=1' 'repo_gpgcheck=1' \
            'gpgkey=file:///etc/pki/rpm-gpg/RPM-GPG-KEY-merovak' >"$stage/etc/yum.repos.d/merovak.repo"
    else
        put "$stage/usr" --strip --component program
        put "$stage/usr" --component rpm
    fi
    mkdir -p "$build/rpmbuild"
    changelog=$("$scripts/release-data" changelog rpm "$scripts/../CHANGELOG.md" "$version" "$maintainer")
    printf '%s\n' "$(cat "$build/$recipe")" "$changelog" >"$build/rpmbuild/$recipe"
    # A fixed build host, and the build's and the files' times SOURCE_DATE_EPOCH's, where it is set.
    rpmbuild -bb --quiet --target "$processor" --define "_topdir $build/rpmbuild" --define "_buildhost reproducible" \
        --define "use_source_date_epoch_as_buildtime 1" --define "clamp_mtime_to_source_date_epoch 1" \
        --define "stage $stage" --define "_rpmdir ${artifact%/*}" \
        --define '_rpmfilename %{NAME}-%{VERSION}-%{RELEASE}.%{ARCH}.rpm' "$build/rpmbuild/$recipe" >/dev/null
    if [ -n "${MEROVAK_SIGNING_KEY:-}" ]; then
        needs gpg gnupg
        # (Without a terminal, rpmsign warns that it has none.)
        rpmsign --addsign --define "__gpg $(command -v gpg)" --define "_gpg_name $MEROVAK_SIGNING_KEY" \
            ${SOURCE_DATE_EPOCH:+--define "_gpg_sign_cmd_extra_args --faked-system-time $SOURCE_DATE_EPOCH!"} \
            "$artifact" </dev/null 2>&1 >/dev/null | { grep -v 'GPG_TTY\|faked system time' >&2 || true; }
    fi
    ;;
*.tar.gz)
    folder=${artifact##*/}
    put "$stage/${folder%.tar.gz}" --strip
    tar -C "$stage" --sort=name --owner=0 --group=0 --numeric-owner --format=gnu \
        ${SOURCE_DATE_EPOCH:+"--mtime=@$SOURCE_DATE_EPOCH" --clamp-mtime} -cf - "${folder%.tar.gz}" |
        gzip -9n >"$artifact"
    ;;
*.zip)
    needs zip zip
    put "$stage"
    stamp
    (cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort | zip -q -X -@ "$artifact")
    ;;
*.msi)
    needs wixl msibuild msiinfo msitools
    put "$stage"
    stamp
    codes=$("$scripts/release-data" msi-codes "${MEROVAK_UPGRADE_CODE:?}" "$version")
    { read -r product && read -r package && read -r component; } <<<"$codes"
    # wixl and msibuild write the time they run, and wixl a random package code:
    # where the release's time is set, they run at that time, frozen.
    frozen=()
    [ -z "${SOURCE_DATE_EPOCH:-}" ] || { needs faketime faketime &&
        frozen=(env FAKETIME_FMT=%s faketime -f "$SOURCE_DATE_EPOCH"); }
    (cd "${stage%/*}" && "${frozen[@]}" wixl -a "$processor" -D Arch="$processor" -D Version="$version" \
        -D UpgradeCode="$MEROVAK_UPGRADE_CODE" -D ProductCode="$product" -D ComponentCode="$component" \
        -D Summary="${MEROVAK_SUMMARY:-Merovak}" -D Homepage="${MEROVAK_HOMEPAGE:-}" -D Stage="${stage##*/}" \
        -o "$artifact" "$scripts/../packaging/merovak.wxs")
    # The folder appended to the system PATH (and removed at uninstalling), in the
    # table that a newer wixl makes empty; the package code, from the version.
    queries=()
    tables=$(msiinfo tables "$artifact")
    grep -qx Environment <<<"$tables" || queries=(-q 'CREATE TABLE `Environment` (`Environment` CHAR(72) NOT
        NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE, `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT
        NULL PRIMARY KEY `Environment`)')
    template=$(msiinfo suminfo "$artifact" | sed -n 's/^Template: //p')
    "${frozen[@]}" msibuild "$artifact" "${queries[@]}" \
        -q "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`)
            VALUES ('PATH', '=-*PATH', '[~];[INSTALLDIR]', 'Program')" \
        -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)" \
        -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)" \
        -s "Merovak $version" "The Merovak authors" "$template" "$package"
    if [ -n "${MEROVAK_AUTHENTICODE_CERT:-}" ]; then
        needs osslsigncode osslsigncode
        osslsigncode sign -certs "$MEROVAK_AUTHENTICODE_CERT" -key "${MEROVAK_AUTHENTICODE_KEY:?}" -h sha256 \
            -n Merovak ${SOURCE_DATE_EPOCH:+-time "$SOURCE_DATE_EPOCH"} -in "$artifact" -out "$artifact.signed" >/dev/null
        mv "$artifact.signed" "$artifact"
    fi
    ;;
esac
