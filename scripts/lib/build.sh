# SPDX-License-Identifier: GPL-3.0-or-later
# Configuring and building with CMake and Ninja. Sourced by scripts/run and scripts/test.

# Configures SOURCE into BUILD (Ninja, RelWithDebInfo) and builds every target: the program, the
# tests and their helpers, the benchmarks. With MORWENDA_WERROR=ON a warning fails the build.
morwenda_build() {
    local source=$1 build=$2 generator
    if [[ -f $build/CMakeCache.txt ]]; then
        generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$build/CMakeCache.txt")
        if [[ $generator != Ninja ]]; then
            echo "$build was configured for '$generator', not Ninja: remove it and run again" >&2
            return 1
        fi
    fi
    # ccache, where installed, lets several checkouts of the project share what they compiled.
    local -a launcher=()
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$source")} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
    fi
    cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
        -DMORWENDA_WARNINGS_AS_ERRORS="${MORWENDA_WERROR:-OFF}"
    cmake --build "$build"
}
