#!/bin/sh
# consumer.sh find_package|pkg-config PREFIX SOURCE SCRATCH: builds the consumer program
# SOURCE against the KLVUtils installed in PREFIX, with CMake's find_package or with the
# compiler and pkg-config alone, and runs it on a fresh work folder.
set -eu
how=$1 prefix=$2 source=$3 scratch=$4
rm -rf "$scratch"
mkdir -p "$scratch/work"
unset LD_LIBRARY_PATH
case $how in
  find_package)
    cmake -S "$source" -B "$scratch/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
    cmake --build "$scratch/build"
    program="$scratch/build/klvutils_consumer"
    ;;
  pkg-config)
    pc_dir=$(dirname "$(find "$prefix" -name klvutils.pc)")
    flags=$(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs klvutils)
    libdir=$(PKG_CONFIG_PATH="$pc_dir" pkg-config --variable=libdir klvutils)
    program="$scratch/klvutils_consumer"
    # shellcheck disable=SC2086 # the flags are separate words
    cc -std=c11 -Wall -Werror -o "$program" "$source/main.c" $flags -Wl,-rpath,"$libdir"
    ;;
  *)
    echo "consumer.sh: find_package or pkg-config, not $how" >&2
    exit 2
    ;;
esac
"$program" "$scratch/work"
