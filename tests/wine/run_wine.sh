#!/bin/sh
# Runs one Windows program of the mingw-w64 build under Wine as the Wine tests do: in
# their prefix, with code page 932 as the system's code page, without a display (so no
# dialog can wait for a click), Wine's own diagnostics off.
# Usage: run_wine.sh WINE_HOME PROGRAM.exe [ARGUMENTS...]
set -eu
home=$1
shift
case $home in /*) ;; *) home=$PWD/$home ;; esac
export WINEPREFIX="$home/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH="$home/locale" LC_ALL=ja_JP.UTF-8
unset DISPLAY WAYLAND_DISPLAY
exec wine "$@"
