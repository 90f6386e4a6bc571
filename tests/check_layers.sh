#!/bin/sh
# Fails when a file includes a header from a layer above its own, or when a
# window includes another window. Layers, lowest first: data, engine, kit,
# windows (convert, newvalues, options), app (the shell).
# cataloguesource sits beside the engine and is used only by tools and tests.
# helpreader, the help reader process, stands alone: plain C++ that only the shell uses.
src="${1:-$(dirname "$0")/../src}"
status=0

allowed() {
    case "$1" in
    data) echo "data" ;;
    engine) echo "data engine" ;;
    cataloguesource) echo "data engine cataloguesource" ;;
    kit) echo "data engine kit" ;;
    convert | newvalues | options) echo "data engine kit $1" ;;
    helpreader) echo "helpreader" ;;
    app) echo "data engine kit convert newvalues options helpreader app" ;;
    *) echo "" ;;
    esac
}

for dir in "$src"/*/; do
    layer=$(basename "$dir")
    ok=$(allowed "$layer")
    if [ -z "$ok" ]; then
        echo "unknown layer folder: src/$layer"
        status=1
        continue
    fi
    for file in "$dir"*.h "$dir"*.cpp; do
        [ -f "$file" ] || continue
        grep -Hn '^#include "[a-z]*/' "$file" | while IFS= read -r line; do
            target=$(echo "$line" | sed 's|.*#include "\([a-z]*\)/.*|\1|')
            case " $ok " in
            *" $target "*) ;;
            *) echo "layer break: $line" ;;
            esac
        done
    done
done | grep . && status=1
exit $status
