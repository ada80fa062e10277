# cmake --install: the library (see cella/), and the show as a run tree under
# <prefix>/lib/kalt20 (programs and song in bin/, data/, Data20/) with
# launchers in <prefix>/bin that start each demo from its own folder.
include(GNUInstallDirs)
set(KALT_INSTALL_ROOT ${CMAKE_INSTALL_LIBDIR}/kalt20)

foreach(program condemo gldemo)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/../..")
    install(TARGETS ${program} RUNTIME DESTINATION ${KALT_INSTALL_ROOT}/bin)
    set(launcher ${CMAKE_BINARY_DIR}/launchers/kalt20-${program})
    file(WRITE ${launcher}
         "#!/bin/sh\n# Starts ${program} in its own folder, where it finds its data.\n"
         "cd \"$(dirname \"$(readlink -f \"$0\")\")/../${KALT_INSTALL_ROOT}/bin\" && exec ./${program} \"$@\"\n")
    install(PROGRAMS ${launcher} DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(DIRECTORY ${KALT_RUN_DATA} ${KALT_RUN_DATA20} DESTINATION ${KALT_INSTALL_ROOT})
install(FILES ${KALT_RUN_BIN}/DiRURODU.XM DESTINATION ${KALT_INSTALL_ROOT}/bin OPTIONAL)
