# Data20/gradient.bin: gldemo's gradients, as BinaryText art with a SAUCE record.
add_custom_command(
  OUTPUT ${KALT_RUN_DATA20}/gradient.bin
  COMMAND gradgen ${CMAKE_CURRENT_SOURCE_DIR}/gradients.txt ${KALT_RUN_DATA20}/gradient.bin
  DEPENDS gradgen ${CMAKE_CURRENT_SOURCE_DIR}/gradients.txt
  COMMENT "Generating Data20/gradient.bin")
add_custom_target(asset_gradient ALL DEPENDS ${KALT_RUN_DATA20}/gradient.bin)
