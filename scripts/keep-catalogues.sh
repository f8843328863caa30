#!/usr/bin/env bash
# Run before build trees are deleted: fails, saying where and what to do, when the folder
# src/DATA of any given build tree holds a catalogue with a recording in it. That folder
# is where a program run from its build tree keeps its catalogue, often a user's only one.
#
#   scripts/keep-catalogues.sh TREE...
set -uo pipefail

alias_file="${XDG_CONFIG_HOME:-$HOME/.config}/spolebox-engine/engine.ini"
refused=0

# The number of rows of a recordings table file. Read from a copy: even a read-only
# sqlite3 leaves journal files beside a table, and a catalogue that is kept stays as it
# was. The journal is copied along, since a running program may have rows only there.
count_recordings() {
    local copy status
    command -v sqlite3 >/dev/null || return 1
    copy=$(mktemp -d) || return 1
    cp "$1" "$copy/table.db" && { [[ ! -f "$1-wal" ]] || cp "$1-wal" "$copy/table.db-wal"; } &&
        # NOT INDEXED: the indexes use the program's own collation, unknown to sqlite3.
        sqlite3 "$copy/table.db" 'SELECT count(*) FROM "Spolebox" NOT INDEXED' 2>/dev/null
    status=$?
    rm -rf "$copy"
    return $status
}

for tree in "$@"; do
    data="$tree/src/DATA"
    [[ -d "$data" ]] || continue
    # The recordings table, in whatever letter case the file has.
    table=$(find "$data" -maxdepth 1 -type f -iname 'spolebox.db' -print -quit)
    [[ -n "$table" ]] || continue

    if count=$(count_recordings "$table") && [[ "$count" =~ ^[0-9]+$ ]]; then
        [[ "$count" -eq 0 ]] && continue
        what="your catalogue with $count recording(s)"
    else
        what="a catalogue that may hold recordings (sqlite3 could not read it)"
    fi
    refused=1
    cat >&2 <<MESSAGE
$data holds $what.
Deleting the build tree would delete it. To keep it, move the folder out first, e.g.
    mkdir -p ~/.local/share/spolebox && mv $data ~/.local/share/spolebox/DATA
and set the Path of the alias "Spolebox" in $alias_file to the new folder.
To delete it with the build tree, run: make distclean FORCE=1
MESSAGE
done

exit $refused
