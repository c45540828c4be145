# The Debian package: `cpack -G DEB` in the build folder writes glidefilter_<version>_<arch>.deb
# with the LV2 bundle in /usr/lib/lv2, the VST 2 plug-in in /usr/lib/vst, plughost in /usr/bin and
# the copyright and changelog in /usr/share/doc/glidefilter. /usr/lib/lv2 rather than the
# multiarch folder: every lilv searches it (Debian's and the default build's alike), as do hosts
# with their own search lists; the VST 2 folder has no multiarch form hosts know.
set(GLIDEFILTER_DOCS ${CMAKE_BINARY_DIR}/doc)
set(GLIDEFILTER_PACKAGE_MAINTAINER "Glide Filter developers <glidefilter@users.noreply.invalid>"
    CACHE STRING "The Debian package's maintainer, as 'Name <address>'")

# The copyright file in Debian's machine-readable format, from the LICENSE: its copyright line,
# and its text as the license's paragraph (a blank line written as " .").
function(glidefilter_write_copyright license output)
    file(READ ${license} text)
    string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)\n\n(.*)$" found "${text}")
    if(NOT found)
        message(FATAL_ERROR "${license} has no copyright line")
    endif()
    set(holder "${CMAKE_MATCH_1}")
    string(STRIP "${CMAKE_MATCH_2}" terms)
    string(REPLACE "\n\n" "\n.\n" terms "${terms}")
    string(REPLACE "\n" "\n " terms "${terms}")
    file(CONFIGURE OUTPUT ${output} @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Glide Filter

Files: *
Copyright: @holder@
License: ISC
 @terms@
")
endfunction()

# The changelog a native Debian package carries, one entry for this version, compressed as
# lintian asks (best compression, no time stamp).
function(glidefilter_write_changelog output)
    set(entry ${CMAKE_BINARY_DIR}/changelog)
    string(TIMESTAMP date "%a, %d %b %Y 00:00:00 +0000" UTC)
    file(CONFIGURE OUTPUT ${entry} @ONLY CONTENT
"glidefilter (@PROJECT_VERSION@) unstable; urgency=medium

  * Release @PROJECT_VERSION@.

 -- @GLIDEFILTER_PACKAGE_MAINTAINER@  @date@
")
    execute_process(COMMAND gzip -9nc ${entry} OUTPUT_FILE ${output} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "Could not compress ${entry}")
    endif()
endfunction()

glidefilter_write_copyright(${CMAKE_CURRENT_LIST_DIR}/../LICENSE ${GLIDEFILTER_DOCS}/copyright)
glidefilter_write_changelog(${GLIDEFILTER_DOCS}/changelog.gz)

# CPack installs through this script rather than as `cmake --install`: it stages below DESTDIR
# with the package's prefix and folders, stripped, and leaves the uninstall's record alone.
set(package_install ${CMAKE_BINARY_DIR}/PackageInstall.cmake)
file(CONFIGURE OUTPUT ${package_install} CONTENT "set(PACKAGING TRUE)
set(CMAKE_INSTALL_PREFIX /usr)
set(LIBDIR lib)
set(CMAKE_INSTALL_DO_STRIP TRUE)
include(\"${CMAKE_BINARY_DIR}/cmake_install.cmake\")
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glidefilter)
set(CPACK_PACKAGE_VENDOR "Glide Filter developers")
set(CPACK_PACKAGE_CONTACT "${GLIDEFILTER_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "resonant low-pass/high-pass filter plug-in (LV2, VST 2)")
set(CPACK_PACKAGE_DESCRIPTION "A resonant low-pass and high-pass filter whose cutoff, resonance
and glide speed follow MIDI notes and controllers at exact sample offsets,
with its own editor. This package holds the LV2 plug-in, the VST 2 plug-in
and plughost, a command-line host that renders, measures and draws LV2 and
VST 2 plug-ins.")
set(CPACK_INSTALL_CMAKE_PROJECTS "")
set(CPACK_INSTALL_SCRIPTS ${package_install})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The editor asks fontconfig for Liberation Sans and DejaVu Sans by name.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${GLIDEFILTER_PACKAGE_MAINTAINER}")
include(CPack)
