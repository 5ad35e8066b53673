#!/usr/bin/env bash
# Shows which test programs catch which faults: applies each fault of scripts/faults.txt alone
# to a copy of the committed tree, builds, runs the test command and lists the programs that
# failed. The working tree is not touched. Takes about two minutes a fault.
# Usage: scripts/check-faults.sh [FAULT_NUMBER...]   (as root, like the test command)
set -uo pipefail
cd "$(dirname "$0")/.."
copy=$(mktemp -d /tmp/qwill-faults.XXXXXX)
git worktree add --detach "$copy" HEAD >/dev/null 2>&1 || { echo "check-faults: no copy of the tree"; exit 1; }
trap 'git worktree remove --force "$copy"' EXIT
cd "$copy"

# The programs that failed, "none", or "no build". (The check of a second build cannot tell
# a fault: both builds have it.)
failed_programs() {
  scripts/test.sh -E reproducible_setup >"$copy/run.log" 2>&1
  grep -q 'tests passed' "$copy/run.log" || { echo "no build"; return; }
  local failed
  failed=$(sed -n 's/^[[:space:]]*[0-9]* - \([A-Za-z_0-9]*\) .*/\1/p' "$copy/run.log" | paste -sd, -)
  echo "${failed:-none}"
}

echo "check-faults: without a fault, failed: $(failed_programs)"
n=0
grep -v '^#' scripts/faults.txt | while IFS= read -r line; do
  [ -z "$line" ] && continue
  n=$((n + 1))
  [ $# -gt 0 ] && [[ " $* " != *" $n "* ]] && continue
  file=${line%% ||| *}
  what=${line##* ||| }
  python3 - "$line" <<'PY' || { echo "check-faults: $n: the text is not in $file"; continue; }
import sys
file, old, new, _ = sys.argv[1].split(" ||| ")
text = open(file).read()
if text.count(old) != 1:
    sys.exit(1)
open(file, "w").write(text.replace(old, new))
PY
  caught=$(failed_programs)
  git checkout -q -- "$file"
  printf '%2d | %s | %s | %s\n' "$n" "$file" "$what" "$caught"
done
