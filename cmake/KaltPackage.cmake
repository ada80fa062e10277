# cpack (./kalt package): Debian packages of the install components and a
# .tar.gz of the whole install tree.
#   kalt20        the shows and their tools (component shows)
#   libcella1     the shared cella library (component library)
#   libcella-dev  cella's development files (component development)
# The packages install under /usr; their dependencies on other packages are
# computed from the binaries (dpkg-shlibdeps), and kalt20 and libcella-dev
# depend on the libcella1 of the same version.
set(CPACK_PACKAGE_NAME kalt20)
set(CPACK_PACKAGE_VENDOR "Kalt #20")
set(CPACK_PACKAGE_CONTACT "Kalt #20 <kalt20@users.noreply.github.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each package's summary is the first line of its component's description
# below: CPack prepends the package-wide summary to those unless it is left
# at CPack's own default.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CPACK_PACKAGE_NAME} built using CMake")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX packages)
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)  # one .tar.gz of everything
set(CPACK_PACKAGE_FILE_NAME kalt20-${PROJECT_VERSION}-${CMAKE_SYSTEM_PROCESSOR})

set(CPACK_COMPONENTS_ALL shows library development)
set(CPACK_COMPONENT_SHOWS_DEPENDS library)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS library)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcella.so.1 is staged in the library component's tree, which
# dpkg-shlibdeps would not search by itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/_CPack_Packages/Linux/DEB/${CPACK_PACKAGE_FILE_NAME}/library/usr/${CMAKE_INSTALL_LIBDIR})
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# A shlibs file for libcella1, so that programs built against it depend on
# it; and the dynamic linker's cache refreshed by trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)

set(CPACK_DEBIAN_SHOWS_PACKAGE_NAME kalt20)
set(CPACK_DEBIAN_SHOWS_PACKAGE_SECTION misc)
set(CPACK_COMPONENT_SHOWS_DESCRIPTION
    "two real-time text-mode demos with their music
Kalt #20 is a pair of audiovisual shows drawn on an 80 x 50 grid of code
page 437 character cells in the 16 colours of the PC text palette.

condemo plays in a terminal, locally or over SSH: every frame it
ray-marches one of nine distance-field scenes for all 4,000 cells, in
step with a tracker module. gldemo imitates a VGA text console in an
OpenGL window (or plays in a terminal), layering glows, lattices and
sphere fields to an Ogg Vorbis soundtrack.

The package also holds the tools that draw stills of both shows, play
the song with its triggers, compose the music, and capture the shows as
video files or terminal recordings.")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libcella1)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION
    "cell canvases for text-mode pictures
cella draws pictures made of character cells: code page 437 characters
with a foreground and a background colour of the 16-colour PC text
palette. It layers canvases with twelve cell-aware blend modes, shades
through gradients of cells, loads BinaryText art with a SAUCE record,
and shows an 80 x 50 cell screen in a window or a terminal.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libcella-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "cell canvases for text-mode pictures (development files)
cella draws pictures made of character cells: code page 437 characters
with a foreground and a background colour of the 16-colour PC text
palette.

This package holds the header, the CMake package (find_package(cella)),
the pkg-config file and the manual page.")

include(CPack)
