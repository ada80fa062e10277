# Data20/wierd-thing-one.ogg: gldemo's soundtrack, composed from its score,
# rendered and encoded as Ogg Vorbis.
add_custom_command(
  OUTPUT ${KALT_RUN_DATA20}/wierd-thing-one.ogg
  COMMAND composer ogg ${CMAKE_CURRENT_SOURCE_DIR}/songs/wierd-thing-one.score
          ${KALT_RUN_DATA20}/wierd-thing-one.ogg
  DEPENDS composer ${CMAKE_CURRENT_SOURCE_DIR}/songs/wierd-thing-one.score
  COMMENT "Composing, rendering and encoding Data20/wierd-thing-one.ogg")
add_custom_target(asset_soundtrack ALL DEPENDS ${KALT_RUN_DATA20}/wierd-thing-one.ogg)
