# DiRURODU.XM: condemo's song, composed from its score into the program folder.
add_custom_command(
  OUTPUT ${KALT_RUN_BIN}/DiRURODU.XM
  COMMAND composer xm ${CMAKE_CURRENT_SOURCE_DIR}/songs/DiRURODU.score ${KALT_RUN_BIN}/DiRURODU.XM
  DEPENDS composer ${CMAKE_CURRENT_SOURCE_DIR}/songs/DiRURODU.score
  COMMENT "Composing DiRURODU.XM")
add_custom_target(asset_song ALL DEPENDS ${KALT_RUN_BIN}/DiRURODU.XM)
