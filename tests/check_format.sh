#!/bin/sh
# Fails when a C++ file of the project is not laid out as .clang-format says.
# Run clang-format -i on the files it names to mend them.
top="${1:-$(dirname "$0")/..}"
cd "$top" || exit 1
files=$(find src tests tools bench fuzz -name '*.cpp' -o -name '*.h' | sort)
if ! clang-format --dry-run --Werror $files; then
    echo "These files are not formatted: run clang-format -i on them." >&2
    exit 1
fi
echo "$(echo "$files" | wc -l) files formatted as .clang-format says"
