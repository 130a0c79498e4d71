#!/bin/sh
# install_into.sh BUILD PREFIX: installs the build folder BUILD into PREFIX, afresh.
set -eu
build=$1
prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix"
