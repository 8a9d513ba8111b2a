#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every source file of the checkout names the licence the LICENSE file
# grants, so a file copied out of the tree still says under what terms.
#   licence_test.sh SOURCE_DIR
set -euo pipefail

source_dir=$1
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
tag='SPDX-License-Identifier: MIT'

grep -q '^MIT License' "$source_dir/LICENSE" || fail "LICENSE is not the MIT licence"
while IFS= read -r -d '' file; do
    head -3 "$file" | grep -q "$tag" || fail "${file#"$source_dir"/} has no '$tag' line at its top"
done < <(find "$source_dir" \( -path "$source_dir/build*" -o -path "$source_dir/.git" \
    -o -path '*/fuzz/corpus' -o -path '*/fuzz/regressions' \) -prune -o -type f \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.sh' -o -name 'CMakeLists.txt' \
    -o -name '*.cmake' -o -path '*/scripts/*' \) -print0)
finish_checks "licence lines"
