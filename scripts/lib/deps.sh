# SPDX-License-Identifier: GPL-3.0-or-later
# Debian packages the program needs to build, run and be tested, and the step that installs the
# missing ones. Sourced by scripts/run and scripts/test; call `deps_install`.
#
# Why each one is here:
#   g++ cmake ninja-build           the compiler and the build
#   qt6-base-dev qt6-base-dev-tools Qt Core, D-Bus (the desktop notification at a run's end), Gui,
#                                   Widgets and Test, moc and rcc; libqt6gui6 comes
#                                   with it and carries the xcb and offscreen platform plugins and
#                                   the .ico/.cur image plugin
#   libgl-dev                       Qt6Gui's CMake package will not load without the OpenGL headers
#   libx11-dev                      the window test's helper that asks the window to close
#   poppler-utils                   pdftotext, the converter the program runs and embeds
#   poppler-data                    without it Japanese and Chinese PDFs give empty text
#   libpoppler-private-dev pkg-config the converter service links poppler's own library (its
#                                   text output device), found with pkg-config
#   libtesseract-dev libleptonica-dev the converter service's child reads pages without text with
#                                   tesseract's library (leptonica holds its images)
#   tesseract-ocr-eng               English for tesseract: the language the OCR tests read
#   tesseract-ocr                   the tesseract command: the baseline loop of bench/ocr
#   tesseract-ocr-osd               tesseract's orientation data: OCR turns pages scanned upside
#                                   down or sideways upright; the tests read such pages
#   tesseract-ocr-deu               German for tesseract: a test reads a German scan's umlauts
#   qpdf                            protects the password sample and the tests' PDF fixtures
#   xvfb xauth                      a screen for the window where there is none (xvfb-run)
#   x11-utils                       xwininfo, to wait for the window and read its size
#   imagemagick                     import, to take screenshots
#   xdotool                         scripts/walkthrough types and clicks in the window
#   openbox                         a real window manager: the screens test checks that the window
#                                   fits with its frame and title bar, as on a desktop
#   fonts-liberation                Liberation Sans, the metric twin of the window's Arial; its
#                                   Greek letters are in the two-script sample
#   qt6-svg-dev                     the icon test draws the scalable icon to compare it with the
#                                   icon drawn in code
#   desktop-file-utils              desktop-file-validate checks the desktop entry
#   appstream                       appstreamcli checks the AppStream metadata
#   libxml2-utils                   xmllint reads the metadata's id, launchable and release
#   dpkg-dev file                   dpkg-shlibdeps and file: CPack reads the package's library
#                                   dependencies from the program with them
#   procps                          pgrep and ps: scripts/check-package sees which converter the
#                                   installed program runs and that none outlives it
#   ccache                          checkouts of the project share what they compiled
#   lintian                         Debian's package checker, run by scripts/check-package
#   xdg-utils libglib2.0-bin        xdg-mime and gio: scripts/check-package asks both which
#                                   application opens PDFs once the package is installed
#   dbus-daemon                     dbus-run-session: scripts/check-package runs the installed
#                                   window with a session bus, as a desktop does, and the
#                                   notification test sends on a private one
#   dbus-x11                        dbus-launch, which libdbus starts where there is no session
#                                   bus: here, the package check would see it outlive the window
#   qt6-l10n-tools                  lupdate and lrelease for Qt 6: the German translation is compiled
#                                   into the program at every build
#   qt6-tools-dev                   CMake's Qt6LinguistTools package (qt_add_translations)
#   qt6-translations-l10n           Qt's own texts (dialog buttons) in the user's language
#   parallel                        GNU parallel spreads morwenda-batch over many machines; the
#                                   test of that recipe runs it on this one
#   bash-completion                 the functions morwenda-batch's completion calls: its test
#                                   completes command lines with them
#   slurmctld slurmd slurm-client   a one-node Slurm cluster on which the test of the installed
#   munge                           job-array example runs (controller, node daemon, sbatch and
#                                   squeue; munge authenticates them to each other)
MORWENDA_PACKAGES=(
    g++ cmake ninja-build
    qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev
    poppler-utils poppler-data libpoppler-private-dev pkg-config qpdf
    libtesseract-dev libleptonica-dev tesseract-ocr-eng tesseract-ocr tesseract-ocr-osd
    tesseract-ocr-deu
    xvfb xauth x11-utils imagemagick xdotool openbox fonts-liberation
    qt6-svg-dev desktop-file-utils appstream libxml2-utils dpkg-dev file procps
    lintian xdg-utils libglib2.0-bin dbus-daemon dbus-x11 parallel ccache
    slurmctld slurmd slurm-client munge
    qt6-l10n-tools qt6-tools-dev qt6-translations-l10n bash-completion
)

# Prints the packages of the list that are not installed, one per line.
deps_missing() {
    local package status
    for package in "${MORWENDA_PACKAGES[@]}"; do
        status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
        if [[ $status != "install ok installed" ]]; then
            echo "$package"
        fi
    done
}

# Installs whatever is missing. As root that is done here (the package lists are refreshed only
# when something is missing); anyone else gets the command to run and a non-zero return.
deps_install() {
    local -a missing
    mapfile -t missing < <(deps_missing)
    if ((${#missing[@]} == 0)); then
        return 0
    fi
    if ((EUID != 0)); then
        echo "Missing Debian packages: ${missing[*]}" >&2
        echo "Install them with:" >&2
        echo "  sudo apt-get install ${missing[*]}" >&2
        return 1
    fi
    echo "Installing missing Debian packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
    mapfile -t missing < <(deps_missing)
    if ((${#missing[@]} != 0)); then
        echo "Still missing after installing: ${missing[*]}" >&2
        return 1
    fi
}
