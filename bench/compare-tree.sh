# Sourced by compare.sh: the folder-tree rows. Whole-folder transfers against lftp's mirror, the
# peer for folder transfers, on the same loopback servers and in turn with it: a tree of 2,000
# files of 1-64 KiB in 50 folders plus four files of 64 MiB, down and up, on 4 connections and on
# 1 (`mirror --parallel=4` / `--parallel=1`); and the 100,000-entry folder downloaded as one
# queued tree, with the longest event-loop stall and the peak memory per queued file.
# TREE_SERVERS="vsftpd" times those servers' rows alone; TREE_BIG=no leaves the 100,000-entry rows
# out; TREE_SMALL= (empty) leaves the 2,000-file rows out, TREE_SMALL=4 keeps their 4-connection
# ones; TREE_OPEN=yes runs the 100,000-entry rows with the queue's folder row opened.

make_tree()
{
    # $1: the folder to fill; the same bytes every time (a seed), so that both sides move the same.
    /usr/bin/python3 - "$1" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(7)
for f in range(50):
    folder = os.path.join(root, "folder-%02d" % f)
    os.makedirs(folder, exist_ok=True)
    for i in range(40):
        with open(os.path.join(folder, "file-%02d-%02d.dat" % (f, i)), "wb") as out:
            out.write(rng.randbytes(rng.randint(1024, 65536)))
for i in range(4):
    with open(os.path.join(root, "big-%d.bin" % i), "wb") as out:
        out.write(rng.randbytes(64 * 1024 * 1024))
PY
    chmod -R a+rX "$1"
}

# expect_tree A B WHO: the two trees hold the same files with the same bytes.
expect_tree()
{
    diff -r -q "$1" "$2" >/dev/null || { echo "$3: $2 differs from $1" >&2; exit 1; }
}

# Columns as the other rows print them: lftp in curl's place, no floor.
tree_rows()
{
    echo "Generating the tree ..." >&2
    mkdir -p "$work/root/tree" "$work/src"
    make_tree "$work/root/tree"
    rm -rf "$work/src/tree"
    cp -r "$work/root/tree" "$work/src/tree"
    sync
    local server port url args count out
    local -a chosen
    read -r -a chosen <<<"${TREE_SERVERS:-${servers[*]}}"
    for server in "${chosen[@]}"; do
        port="${ports[$server]}"
        url="ftp://127.0.0.1:$port"
        args=(--host 127.0.0.1 --port "$port" --anonymous --timing --settings "$work/settings-$server")
        untimed "$drive" "${args[@]}" cd incoming put "$work/src/prime.txt"
        rm -f "$work/root/incoming/prime.txt"
        for count in ${TREE_SMALL-4 1}; do
            out="$work/out"
            for _ in $(seq "$pairs"); do
                rm -rf "$out/lftp" "$out/tandrel"
                mkdir -p "$out/lftp" "$out/tandrel"
                sync
                timed "$work/curl.runs" lftp -e "set cmd:fail-exit yes; mirror --parallel=$count tree $out/lftp/tree; quit" "$url"
                expect_tree "$work/root/tree" "$out/lftp/tree" lftp
                sync
                timed "$work/tandrel.runs" "$drive" "${args[@]}" --connections "$count" \
                    --download-folder "$out/tandrel" get tree
                expect_tree "$work/root/tree" "$out/tandrel/tree" Tandrel
            done
            row "$server" "tree down, $count connection(s) (vs lftp)"
            rm -rf "$out/lftp" "$out/tandrel"

            for _ in $(seq "$pairs"); do
                rm -rf "$work/root/incoming/lftp-tree" "$work/root/incoming/tree"
                sync
                timed "$work/curl.runs" lftp -e "set cmd:fail-exit yes; mirror -R --parallel=$count $work/src/tree incoming/lftp-tree; quit" "$url"
                expect_tree "$work/src/tree" "$work/root/incoming/lftp-tree" lftp
                sync
                timed "$work/tandrel.runs" "$drive" "${args[@]}" --connections "$count" \
                    cd incoming put "$work/src/tree"
                expect_tree "$work/src/tree" "$work/root/incoming/tree" Tandrel
            done
            row "$server" "tree up, $count connection(s) (vs lftp)"
            rm -rf "$work/root/incoming/lftp-tree" "$work/root/incoming/tree"
        done
    done

    # 100,000 small files queued as one tree: one run per server, on 4 connections.
    [ "${TREE_BIG:-yes}" = no ] && return
    local peak stall files
    for server in "${chosen[@]}"; do
        port="${ports[$server]}"
        args=(--host 127.0.0.1 --port "$port" --anonymous --timing --settings "$work/settings-$server")
        rm -rf "$work/out/tandrel"
        mkdir -p "$work/out/tandrel"
        sync
        # pyftpdlib takes longer than the drive's default 300 s for it.
        timed "$work/tandrel.runs" "$drive" "${args[@]}" --connections 4 --timeout 3600 \
            ${TREE_OPEN:+--open-queue} --download-folder "$work/out/tandrel" get big
        files="$(find "$work/out/tandrel/big" -type f | wc -l)"
        [ "$files" = 100000 ] || { echo "Tandrel fetched $files of 100000 files" >&2; exit 1; }
        read -r wall _ peak stall <"$work/tandrel.runs"
        awk -v s="$server" -v w="$wall" -v p="$peak" -v st="$stall" 'BEGIN {
            printf "%-10s %-36s %9.2f s wall, stall %d ms, peak %.1f MiB, %.3f KiB per queued file\n", s, "tree of 100,000 files, 4 connections", w, st, p / 1024, p / 100000
        }'
        rm -f "$work/tandrel.runs"
        rm -rf "$work/out/tandrel"
    done
}
