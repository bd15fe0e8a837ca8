#!/usr/bin/env bash
# Brings the translation source up to date with the tr() texts of the code
# and forms. New texts arrive marked unfinished: give each its English (or
# leave the translation empty and drop the unfinished mark where the source
# text should show), then rebuild. tst_translation fails while any text of
# the code is missing or unfinished.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
lupdate="$(command -v lupdate || echo /usr/lib/qt5/bin/lupdate)"
"$lupdate" -locations none -no-obsolete -no-ui-lines -silent \
  "$root/src" -ts "$root/src/resources/language/english.ts"
