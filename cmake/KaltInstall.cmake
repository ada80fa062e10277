# cmake --install: the library (see cella/), and the shows as a run tree
# under <prefix>/lib/kalt20 (programs, tools and song in bin/, data/,
# Data20/) with commands in <prefix>/bin, manual pages, a desktop entry and
# its icon. Three components, one Debian package each (cmake/KaltPackage.cmake):
#   shows        the demos and their tools, their data, pages, desktop entry
#   library      the shared cella library (runtime)
#   development  cella's header, CMake package, pkg-config file, page
include(GNUInstallDirs)
set(KALT_INSTALL_ROOT ${CMAKE_INSTALL_LIBDIR}/kalt20)
set(KALT_COMMAND_PREFIX kalt20-)
file(RELATIVE_PATH KALT_BIN_TO_ROOT /${CMAKE_INSTALL_BINDIR} /${KALT_INSTALL_ROOT}/bin)
set(launchers ${CMAKE_BINARY_DIR}/launchers)
file(MAKE_DIRECTORY ${launchers})

# The demos read their data relative to the working directory: their
# commands are scripts that start them in their own folder.
foreach(program condemo gldemo)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/../..")
    install(TARGETS ${program} RUNTIME DESTINATION ${KALT_INSTALL_ROOT}/bin COMPONENT shows)
    set(launcher ${launchers}/${KALT_COMMAND_PREFIX}${program})
    file(WRITE ${launcher}
         "#!/bin/sh\n# Starts ${program} in its own folder, where it finds its data.\n"
         "cd \"$(dirname \"$(readlink -f \"$0\")\")/${KALT_BIN_TO_ROOT}\" && exec ./${program} \"$@\"\n")
    install(PROGRAMS ${launcher} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT shows)
  endif()
endforeach()

# The tools find the data beside their own file (kalt/run_tree.h) and take
# paths relative to where they are started: their commands are links.
foreach(tool framegrab playsong composer capture)
  if(TARGET ${tool})
    set_target_properties(${tool} PROPERTIES INSTALL_RPATH "$ORIGIN/../..")
    install(TARGETS ${tool} RUNTIME DESTINATION ${KALT_INSTALL_ROOT}/bin COMPONENT shows)
    file(CREATE_LINK ${KALT_BIN_TO_ROOT}/${tool} ${launchers}/${KALT_COMMAND_PREFIX}${tool} SYMBOLIC)
    install(FILES ${launchers}/${KALT_COMMAND_PREFIX}${tool} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT shows)
  endif()
endforeach()

install(DIRECTORY ${KALT_RUN_DATA} ${KALT_RUN_DATA20} DESTINATION ${KALT_INSTALL_ROOT} COMPONENT shows)
install(FILES ${KALT_RUN_BIN}/DiRURODU.XM DESTINATION ${KALT_INSTALL_ROOT}/bin COMPONENT shows OPTIONAL)

# The file `source` with the project's version filled in, compressed as
# Debian installs documentation: <folder>/<name>.gz, the same bytes every
# build (gzip -n).
function(kalt_gzipped source folder)
  get_filename_component(name ${source} NAME)
  configure_file(${source} ${folder}/${name} @ONLY)
  add_custom_command(OUTPUT ${folder}/${name}.gz
                     COMMAND gzip -9nf -k ${name}
                     DEPENDS ${folder}/${name}
                     WORKING_DIRECTORY ${folder})
endfunction()

# Manual pages (docs/man), compressed as Debian installs them. Each command
# in <prefix>/bin has its page; a page is also found under the program's own
# name, except composer(1), whose name belongs to PHP's Composer on Debian.
set(man_pages condemo.6 gldemo.6 framegrab.1 playsong.1 composer.1 capture.1 cella.3)
set(man_pages_gz)
foreach(page IN LISTS man_pages)
  kalt_gzipped(${PROJECT_SOURCE_DIR}/docs/man/${page} ${CMAKE_BINARY_DIR}/man)
  list(APPEND man_pages_gz ${CMAKE_BINARY_DIR}/man/${page}.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages_gz})

foreach(page IN LISTS man_pages)
  string(REGEX REPLACE "^(.*)\\.([0-9])$" "\\1" name ${page})
  string(REGEX REPLACE "^(.*)\\.([0-9])$" "\\2" section ${page})
  set(destination ${CMAKE_INSTALL_MANDIR}/man${section})
  if(name STREQUAL "cella")
    install(FILES ${CMAKE_BINARY_DIR}/man/${page}.gz DESTINATION ${destination} COMPONENT development)
  elseif(name STREQUAL "composer")
    install(FILES ${CMAKE_BINARY_DIR}/man/${page}.gz DESTINATION ${destination} COMPONENT shows
            RENAME ${KALT_COMMAND_PREFIX}${page}.gz)
  else()
    install(FILES ${CMAKE_BINARY_DIR}/man/${page}.gz DESTINATION ${destination} COMPONENT shows)
    file(CREATE_LINK ${page}.gz ${CMAKE_BINARY_DIR}/man/${KALT_COMMAND_PREFIX}${page}.gz SYMBOLIC)
    install(FILES ${CMAKE_BINARY_DIR}/man/${KALT_COMMAND_PREFIX}${page}.gz DESTINATION ${destination}
            COMPONENT shows)
  endif()
endforeach()

# gldemo in the desktop's menu, with an icon drawn from one of its frames
# (assets/icon.cmake).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kalt20-gldemo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT shows)
install(FILES ${KALT_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps COMPONENT shows
        OPTIONAL)

# The copyright and the changelog of each package.
kalt_gzipped(${PROJECT_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
foreach(package shows:kalt20 library:libcella1 development:libcella-dev)
  string(REPLACE ":" ";" package ${package})
  list(GET package 0 component)
  list(GET package 1 name)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${name} COMPONENT ${component})
endforeach()
