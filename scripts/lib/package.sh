# SPDX-License-Identifier: GPL-3.0-or-later
# Building the Debian package with CMake and CPack. Sourced by scripts/package and
# scripts/check-package; needs scripts/lib/build.sh.

# Configures SOURCE into BUILD as the package wants it (installed under /usr, running the system's
# /usr/bin/pdftotext instead of carrying one, no tests, built with Debian's hardening flags),
# builds it and runs CPack there. Sets MORWENDA_DEB to the path of the package made.
morwenda_package() {
    local source=$1 build=$2
    local -a debs
    local cxxflags ldflags
    # The flags Debian builds its packages with, all hardening on (fortified functions, stack
    # protector, format checks, relocations read-only and bound at start-up);
    # DEB_BUILD_MAINT_OPTIONS, DEB_CXXFLAGS_APPEND and the like still apply. CMake has no
    # CPPFLAGS, so the preprocessor's go with the compiler's. They are given on the command line,
    # not through the environment, which CMake reads only when it first configures a build folder.
    local options="hardening=+all ${DEB_BUILD_MAINT_OPTIONS:-}"
    cxxflags="$(cd "$source" && DEB_BUILD_MAINT_OPTIONS=$options dpkg-buildflags --get CPPFLAGS)"
    cxxflags+=" $(cd "$source" && DEB_BUILD_MAINT_OPTIONS=$options dpkg-buildflags --get CXXFLAGS)"
    ldflags=$(cd "$source" && DEB_BUILD_MAINT_OPTIONS=$options dpkg-buildflags --get LDFLAGS)
    cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_INSTALL_PREFIX=/usr -DMORWENDA_EMBED_CONVERTER=OFF -DBUILD_TESTING=OFF \
        -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
        -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags"
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
