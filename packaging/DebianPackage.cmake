# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, made by `cpack -G DEB` in a build folder (scripts/package does it all). It
# holds what `cmake --install` puts under /usr. The library dependencies (Qt, poppler's library that
# the converter service links, the C library) are read from the program by dpkg-shlibdeps; the
# encodings poppler needs for Asian PDFs are named here. Recommended: pdftotext, the converter
# used where the service cannot start, and tesseract's English text-recognition data, which the
# program works without.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morwenda)
set(CPACK_PACKAGE_VENDOR Tarvenik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tarvenik Support <support@tarvenik.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert many PDF files to plain text in one run")
set(CPACK_PACKAGE_DESCRIPTION [[
Morwenda turns many PDF files into plain-text files in one run. Gather the
PDFs into a list (file dialog, folder scan, drag-and-drop), say where the
text files go (one folder, or next to each PDF), press start, and read at the
end which files gave no text and why: the converter could not read them, or
they hold only scanned images. Password-protected PDFs are converted with a
password asked for each file, and the text of a file can be previewed.
.
The text is extracted with poppler's library, loaded once for the whole run,
and is the same as pdftotext gives; pdftotext itself (poppler-utils) is run
where that cannot start.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# CPack strips the programs as `cmake --install --strip` does, and that strip keeps what the
# compiler and linker note for no one but themselves (.comment, .note); Debian's strip removes it.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(program $<TARGET_FILE_NAME:morwenda> $<TARGET_FILE_NAME:morwenda-batch>)
            execute_process(
                COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                COMMAND_ERROR_IS_FATAL ANY)
        endforeach()
    endif()")

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tarvenik.example/morwenda")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# perl: morwenda-merge-reports (JSON::PP is part of perl).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "poppler-data, perl")
# tesseract's English data: scanned pages are read by OCR only where it is installed; its
# orientation data: pages scanned upside down or sideways are turned upright only where it is.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "poppler-utils, tesseract-ocr-eng, tesseract-ocr-osd")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
