# The icon of gldemo's desktop entry: 32 by 32 cells (256 by 256 pixels) of
# the twin glow at beat 10.5, drawn with the font atlas as the window shows
# them. One thread draws it: the picture is the same, and a sanitizer build
# (whose race detector cannot see into the OpenMP runtime) draws it alike.
add_custom_command(
  OUTPUT ${KALT_ICON}
  COMMAND ${CMAKE_COMMAND} -E env OMP_NUM_THREADS=1 $<TARGET_FILE:framegrab> gldemo --beat 10.5 --crop 29,1,32,32 --gradients ${KALT_RUN_DATA20}/gradient.bin
          --out ${KALT_ICON}
  DEPENDS framegrab asset_gradient asset_font
  COMMENT "Drawing the icon kalt20-gldemo.png")
add_custom_target(asset_icon ALL DEPENDS ${KALT_ICON})
