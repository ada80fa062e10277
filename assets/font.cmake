# data/font.tga: gldemo's font atlas, made from the VGA 8x8 console font of
# Debian's console-setup-linux package.
set(KALT_CONSOLE_FONT /usr/share/consolefonts/Uni2-VGA8.psf.gz)
if(NOT EXISTS ${KALT_CONSOLE_FONT})
  message(FATAL_ERROR "${KALT_CONSOLE_FONT} is missing: install the console-setup-linux package")
endif()
add_custom_command(
  OUTPUT ${KALT_RUN_DATA}/font.tga
  COMMAND fontgen ${KALT_CONSOLE_FONT} ${KALT_RUN_DATA}/font.tga
  DEPENDS fontgen ${KALT_CONSOLE_FONT}
  COMMENT "Generating data/font.tga")
add_custom_target(asset_font ALL DEPENDS ${KALT_RUN_DATA}/font.tga)
