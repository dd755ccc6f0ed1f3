#!/usr/bin/env bash
# Checks that need no build, run before anything is compiled: the formatting, the layering of
# the source folders, the size of a source file, and names. (Warnings are errors in the build
# itself: ZELM_WERROR.)
set -uo pipefail
cd "$(dirname "$0")/.."
status=0
fail() {
    echo "lint: $*" >&2
    status=1
}

sources=$(git ls-files '*.cpp' '*.h')
# shellcheck disable=SC2086
clang-format --dry-run --Werror $sources || fail "clang-format would change the files above (make format)"

# The formula core and what is made from a line's structure are standard C++ only.
if grep -rlE '^#include *<Q' src/formula src/exchange; then fail "formula/ or exchange/ includes Qt"; fi
# The line itself knows nothing of what is made from it.
if grep -rlE '^#include *"exchange/' src/formula; then fail "formula/ includes exchange/"; fi
# The file formats and file I/O know no widgets.
if [ -d src/files ] &&
    grep -rlE '^#include *<(QWidget|QtWidgets|QDialog|QMainWindow|QMessageBox|QApplication)' src/files; then
    fail "files/ includes widgets"
fi
# The main window's folder sits above the dialogs and the files.
if grep -rlE '^#include *"app/' src/dialogs src/files 2>/dev/null; then
    fail "dialogs/ or files/ include app/"
fi
# A file a reader takes in whole: the layout is one algorithm and stays in one piece.
for f in $(git ls-files 'src/*.cpp' 'src/*.h'); do
    [ "$f" = src/formula/Layout.cpp ] && continue
    lines=$(wc -l <"$f")
    [ "$lines" -le 650 ] || fail "$f has $lines lines (at most 650)"
done
# Structure kinds are named after what they are.
if git grep -nwE 'D18|D19|D21' -- src tests; then fail "a structure kind without a name"; fi
exit $status
