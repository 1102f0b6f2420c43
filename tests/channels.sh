# shellcheck shell=bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# The channels that a release reaches its users through, tried as a user
# would; read by release_test.sh, which has made the releases, and whose
# $work, $source, $version, $site, $url, $key, $settings and $nextSettings
# (those of the next release: the transition to the next key) these use.
# shellcheck disable=SC2154

# windowsChannels DIST CERTIFICATE: the manifests of winget and Scoop name the
# zips and MSIs beside them, by their SHA-256 and codes, with the program in
# them (their schemas are another test's); each zip's program and each MSI
# carries a signature that the certificate verifies, and is refused once altered.
windowsChannels() {
    local dist=$1 certificate=$2 file signed
    expect 'manifests of winget and Scoop' "$source/scripts/release-data" check-manifests "$dist"
    for file in "$dist"/*-windows-*.zip "$dist"/*-windows-*.msi; do
        rm -rf "$work/signed" && mkdir "$work/signed" && signed=$work/signed/${file##*/}
        if [[ $file == *.zip ]]; then
            (cd "$work/signed" && cmake -E tar xf "$file") && signed=$work/signed/Merovak.exe
        else
            cp "$file" "$signed"
        fi
        expect "${file##*/}: its signature" osslsigncode verify -CAfile "$certificate" -in "$signed"
        has "${file##*/}: its signature verifies" '^Signature verification: ok'
        if [[ $file == *.zip ]]; then # a byte of the program's code, or a property of the package
            printf 'x' | dd of="$signed" bs=1 seek=2000 conv=notrunc 2>/dev/null
        else
            msibuild "$signed" -q "UPDATE \`Property\` SET \`Value\` = '0' WHERE \`Property\` = 'ARPNOMODIFY'"
        fi
        expect "${file##*/}: altered, refused" bash -c '! osslsigncode verify -CAfile "$1" -in "$2"' \
            - "$certificate" "$signed"
    done
}

# homeBlock SITE NAME: the lines of the block that SITE's home page marks NAME.
homeBlock() {
    python3 -c 'import html, re, sys
found = re.search(r"<pre data-block=\"%s\"><code>(.*?)</code></pre>" % sys.argv[2], open(sys.argv[1]).read(), re.S)
print(html.unescape(found[1]) if found else "false no block " + sys.argv[2])' "$1/index.html" "$2"
}

# serve SITE [PORT]: serves the folder SITE (made or not) over HTTP on
# 127.0.0.1, at PORT or else a free port, as $url, until the test ends.
serve() {
    python3 -c 'import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[2])), handler)
print(server.server_port, flush=True)
server.serve_forever()' "$1" "${2:-0}" >"$work/port" 2>"$work/served.log" &
    onExit "kill $!"
    for _ in {1..100}; do [ -s "$work/port" ] || sleep 0.05; done
    url=http://127.0.0.1:$(cat "$work/port")
}

# publish NAME DIST [SETTING...]: NAME, publishing DIST into the site with the
# release's settings, and these.
publish() {
    expect "$1" env -C "$(dirname "$2")" "${settings[@]}" "${@:3}" bash scripts/publish.sh "$site"
}
# refused WHAT DIST SITE REASON: publishing DIST into SITE is refused, saying
# REASON, and SITE is as it was ($work/published).
refused() {
    expect "$1 refused" bash -c '! env -C "$1/.." "${@:3}" bash scripts/publish.sh "$2" 2>&1' - "$2" "$3" \
        "${settings[@]}"
    has "$1 refused, saying why" "$4"
    expect "$1 refused: the site as it was" diff -r "$work/published" "$3"
}

# siteChannels FIRST_DIST NEXT_DIST NEXT_VERSION UNSIGNED_RPM: the first
# release, then the next, are published into the site; the bucket clones over
# HTTP with the next's manifest; every link of the home page answers, and every
# file matches its signed SHA256SUMS. Publishing again changes nothing; a
# release with a changed file, or a changed SHA256SUMS, and an older one are
# refused, and leave the site as it was. rpmkeys with the key alone accepts
# every RPM and refuses an unsigned or an altered one.
siteChannels() {
    local first=$1 next=$2 nextVersion=$3 unsigned=$4 rpm
    publish 'publish the first release' "$first"
    has 'publish: it says so' "^Published $version in $site, for $url\$"
    publish 'publish the next release' "$next" "${nextSettings[@]}"
    cp -a "$site" "$work/published"
    expect 'the bucket, cloned over HTTP' git clone -q "$url/scoop.git" "$work/bucket"
    expect 'the bucket: the next version' git -C "$work/bucket" log --format=%s
    has 'the bucket: a commit for each version' "^merovak: Update to version $version\$"
    expect 'the bucket: the next manifest' cmp "$work/bucket/bucket/merovak.json" "$next/merovak.json"
    expect 'every link of the home page answers' python3 -c 'import re, sys, urllib.request
for link in sorted(set(re.findall(r"href=\"([^\"]+)\"", open(sys.argv[1]).read()))):
    urllib.request.urlopen(sys.argv[2] + "/" + link).read()' "$site/index.html" "$url"
    for release in "$version" "$nextVersion"; do
        expect "$release: every file matches its signed SHA256SUMS" bash -c 'cd "$1" &&
            gpgv --keyring "$2" SHA256SUMS.asc SHA256SUMS && sha256sum --strict -c SHA256SUMS' - \
            "$site/$release" "$site/merovak-archive-keyring.gpg"
    done

    # Publishing again changes nothing; what the site must not take is refused.
    publish 'publish the next release again' "$next" "${nextSettings[@]}"
    expect 'published again, not a byte changed' diff -r "$work/published" "$site"
    local what file reason
    while IFS=: read -r what file reason; do # a file of the next release changed
        cp "$next/$file" "$work/kept" && printf 'x' >>"$next/$file"
        refused "$what" "$next" "$site" "$reason"
        mv "$work/kept" "$next/$file"
    done <<EOF
a changed package:merovak-$nextVersion-1.$(uname -m).rpm:does not match its SHA256SUMS: merovak-$nextVersion-1
changed checksums:SHA256SUMS:the signature of .*SHA256SUMS is not by a key that $nextVersion trusts
EOF
    site=$work/newer publish 'publish the next release into a site of its own' "$next" "${nextSettings[@]}"
    rm -rf "$work/published" && cp -a "$work/newer" "$work/published"
    refused 'an older release' "$first" "$work/newer" \
        "is older than the newest version published, $nextVersion"

    local keys=(rpmkeys --dbpath "$work/rpmdb" --define '_pkgverify_level signature')
    expect 'rpmkeys: the key imported' "${keys[@]}" --import "$site/merovak-archive-keyring.asc"
    for rpm in "$site"/rpm/*.rpm; do
        expect "rpmkeys: ${rpm##*/} signed" "${keys[@]}" -K "$rpm"
        has "rpmkeys: ${rpm##*/} signed" 'digests signatures OK$'
    done
    cp "$first/${unsigned##*/}" "$work/altered.rpm"
    printf 'x' | dd of="$work/altered.rpm" bs=1 seek=5000 conv=notrunc 2>/dev/null
    for rpm in "$unsigned" "$work/altered.rpm"; do
        expect "rpmkeys: ${rpm#"$work"/} refused" bash -c '! "${@:2}" -K "$1"' - "$rpm" "${keys[@]}"
    done
}
