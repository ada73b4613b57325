#!/bin/sh
# Draws docs/architecture.svg from the table of rooms in docs/architecture.md:
# a box per room (grey for the rooms that know nothing of Qt), an arrow to
# each room it may include. Needs Graphviz (Debian's graphviz).
set -eu
cd "$(dirname "$0")/.."
{
  echo 'digraph rooms {'
  echo '  rankdir=TB; nodesep=0.25; ranksep=0.45;'
  echo '  node [shape=box, style="rounded,filled", fontname="Liberation Sans", fontsize=11];'
  echo '  edge [color="#555555", arrowsize=0.6];'
  awk -F'|' '
    /^## / { rooms = ($0 == "## Rooms") }
    rooms && /^\| `/ {
      room = $2; gsub(/[ `]/, "", room); sub(/\/$/, "", room)
      fill = ($5 ~ /yes/) ? "#cfe3f7" : "#e8e8e8"
      printf "  \"%s\" [fillcolor=\"%s\"];\n", room, fill
      n = split($4, lower, ",")
      for (i = 1; i <= n; i++) {
        target = lower[i]; gsub(/[ `]/, "", target); sub(/\/$/, "", target)
        if (target != "" && target != "nothing")
          printf "  \"%s\" -> \"%s\";\n", room, target
      }
    }' docs/architecture.md
  echo '}'
} | dot -Tsvg -o docs/architecture.svg
echo "wrote docs/architecture.svg"
