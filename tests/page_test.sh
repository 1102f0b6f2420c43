#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 the Merovak authors
# SPDX-License-Identifier: MIT
# The home page of the site that the release test keeps, as html-validate (the
# npm package, 9.x, run with npx) checks it by its standard rules: any error
# fails. Skipped where npx or the kept site is lacking, and where the npm
# registry cannot be reached, with its answer as the reason.
# Usage: page_test.sh KEPT_DIR
set -u
kept=$1
# shellcheck source=harness.sh
. "$(dirname "$0")/harness.sh"
needsFile "$kept/site/index.html" "the site that the release test keeps (ctest -R '^release\$' first)"
needs npx npm
lacking
export npm_config_cache=$work/npm npm_config_update_notifier=false npm_config_fund=false
if ! answer=$(npm view html-validate@9 version 2>&1); then
    echo "SKIPPED: the npm registry cannot be reached: $(grep -m 1 'reason:' <<<"$answer" || head -n 1 <<<"$answer")"
    exit 77
fi
echo '{"extends": ["html-validate:standard"]}' >"$work/rules.json"
expect "the home page, by html-validate's standard rules" npx --yes html-validate@9 --config "$work/rules.json" \
    "$kept/site/index.html"
finish
