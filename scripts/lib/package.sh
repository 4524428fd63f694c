# SPDX-License-Identifier: GPL-3.0-or-later
# Building the Debian package with CMake and CPack. Sourced by scripts/package and
# scripts/check-package; needs scripts/lib/build.sh.

# Configures SOURCE into BUILD as the package wants it (installed under /usr, running the system's
# /usr/bin/pdftotext instead of carrying one, no tests), builds it and runs CPack there. Sets
# MORWENDA_DEB to the path of the package made.
morwenda_package() {
    local source=$1 build=$2
    local -a debs
    cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_INSTALL_PREFIX=/usr -DMORWENDA_EMBED_CONVERTER=OFF -DBUILD_TESTING=OFF
    morwenda_build "$source" "$build"
    rm -f "$build"/morwenda_*.deb
    (cd "$build" && cpack -G DEB)
    mapfile -t debs < <(find "$build" -maxdepth 1 -name 'morwenda_*.deb')
    if ((${#debs[@]} != 1)); then
        echo "CPack made ${#debs[@]} packages in $build, expected one" >&2
        return 1
    fi
    MORWENDA_DEB=${debs[0]}
}
