#!/bin/sh
# kvarsel-start in an installed layout (bin/ beside share/kvarsel/), with a stand-in
# kvarsel that records where it was started: the working directory is made once,
# from the template, and an existing one is left exactly as it is.
set -eu
packaging=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$tmp/prefix
mkdir -p "$prefix/bin" "$prefix/share/kvarsel" "$tmp/home" "$tmp/elsewhere"
cp "$packaging/kvarsel-start" "$prefix/bin/"
cp "$packaging"/template/* "$prefix/share/kvarsel/"
cat > "$prefix/bin/kvarsel" <<'STUB'
#!/bin/sh
pwd > "$KVARSEL_TEST_LOG"
STUB
chmod +x "$prefix/bin/kvarsel" "$prefix/bin/kvarsel-start"
# Started through a link, as from /usr/local/bin or a desktop's own copy.
ln -s "$prefix/bin/kvarsel-start" "$tmp/elsewhere/kvarsel-start"
export KVARSEL_TEST_LOG=$tmp/started

start() { (cd / && env -u XDG_DATA_HOME HOME="$tmp/home" "$@"); }

# First start: the directory is made with every template file, byte for byte.
start "$tmp/elsewhere/kvarsel-start"
work=$tmp/home/.local/share/kvarsel
[ "$(cat "$tmp/started")" = "$work" ] || fail "kvarsel started in $(cat "$tmp/started"), not $work"
for f in Readme.txt User.dic Windows.dic velmora.ini Words.txt Terms.txt; do
    cmp -s "$packaging/template/$f" "$work/$f" || fail "$f differs from the template"
done
[ -w "$work/User.dic" ] || fail "User.dic is not writable by its owner"
[ -z "$(ls -A "$tmp/home/.local/share" | grep -v '^kvarsel$' || true)" ] || fail "left-overs beside the working directory"

# Second start: the user's changes stay, nothing removed comes back.
printf 'Mine\r\nМоё\r\n' > "$work/User.dic"
rm "$work/Windows.dic"
echo x > "$work/own.dic"
rm "$tmp/started"
start "$prefix/bin/kvarsel-start"
[ "$(cat "$tmp/started")" = "$work" ] || fail "second start not in $work"
[ "$(cat "$work/User.dic")" = "$(printf 'Mine\r\nМоё\r')" ] || fail "User.dic was replaced"
[ ! -e "$work/Windows.dic" ] || fail "Windows.dic was put back into an existing directory"
[ -e "$work/own.dic" ] || fail "own.dic went missing"

# XDG_DATA_HOME is honoured when absolute, ignored when relative.
(cd / && HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" "$prefix/bin/kvarsel-start")
[ "$(cat "$tmp/started")" = "$tmp/data/kvarsel" ] || fail "XDG_DATA_HOME not used"
[ -e "$tmp/data/kvarsel/Windows.dic" ] || fail "no template in XDG_DATA_HOME"
(cd / && HOME="$tmp/home" XDG_DATA_HOME="relative" "$prefix/bin/kvarsel-start")
[ "$(cat "$tmp/started")" = "$work" ] || fail "relative XDG_DATA_HOME not ignored"

# A file where the directory should be: a message and no start.
rm "$tmp/started"
mkdir -p "$tmp/x" && : > "$tmp/x/kvarsel"
if (cd / && HOME="$tmp/home" XDG_DATA_HOME="$tmp/x" "$prefix/bin/kvarsel-start" 2> "$tmp/err"); then
    fail "started although $tmp/x/kvarsel is a file"
fi
[ ! -e "$tmp/started" ] || fail "kvarsel was started although $tmp/x/kvarsel is a file"
grep -q "не каталог" "$tmp/err" || fail "no message for a file in the way: $(cat "$tmp/err")"
echo "launcher: all passed"
