#!/bin/sh
# vezolog prints on QtGui alone: the libraries it loads include no widgets, sound or help.
#   vezolog_libraries.sh PATH-TO-VEZOLOG
# Exit 77 (skipped) where ldd is missing.
if ! command -v ldd >/dev/null 2>&1; then
    echo "ldd is not installed: the libraries of vezolog are not checked"
    exit 77
fi
libraries=$(ldd "$1") || { echo "ldd cannot read $1"; exit 1; }
unwanted=$(printf '%s\n' "$libraries" | grep -E 'libQt6(Widgets|Multimedia|Help)')
if [ -n "$unwanted" ]; then
    echo "vezolog links libraries of the window:"
    printf '%s\n' "$unwanted"
    exit 1
fi
printf '%s\n' "$libraries" | grep -q 'libQt6Gui' || { echo "no libQt6Gui: is this vezolog?"; exit 1; }
echo "vezolog links no Qt6Widgets, Qt6Multimedia or Qt6Help"
