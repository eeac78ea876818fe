# Sourced by the command-line tests with the program's path as its argument:
# gives the test a program folder of its own (the program and its template
# library) in a fresh temporary folder, and a temporary folder of its own
# (TMPDIR), where the runs make their working folders, so a test can see what
# they leave.
# Sets `work` (removed when the test ends) and `cli` (the program to run).
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/run" "$work/tmp"
chmod 700 "$work/run"
export TMPDIR="$work/tmp"
cp "$1" "$work/bin/"
cp -r "$(dirname "$1")/smxcwjj" "$work/bin/"
cli="$work/bin/$(basename "$1")"
export XDG_RUNTIME_DIR="$work/run"
