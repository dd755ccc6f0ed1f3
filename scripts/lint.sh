#!/usr/bin/env bash
# Checks that need no build, run before anything is compiled: the formatting, and the layering
# of the source folders. (Warnings are errors in the build itself.)
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

# The formula core is standard C++ only.
if grep -rlE '^#include *<Q' src/formula; then fail "formula/ includes Qt"; fi
# The file formats and file I/O know no widgets.
if [ -d src/files ] &&
    grep -rlE '^#include *<(QWidget|QtWidgets|QDialog|QMainWindow|QMessageBox|QApplication)' src/files; then
    fail "files/ includes widgets"
fi
# The main window's folder sits above the dialogs and the files.
if grep -rlE '^#include *"app/' src/dialogs src/files 2>/dev/null; then
    fail "dialogs/ or files/ include app/"
fi
exit $status
