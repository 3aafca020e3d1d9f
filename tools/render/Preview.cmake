# Renders the preview picture from its recipe and compares it with the committed one, or, with
# -D UPDATE=ON, writes it:
#   cmake -D RENDER=build/linux/petalstream-render -D PREVIEW=resources/preview.gif \
#         -D WORKDIR=/tmp -D UPDATE=ON -P tools/render/Preview.cmake
# The recipe: a meadow grown for a while under the blue sky, without text, so that the picture
# depends on no font.
set(recipe --width 256 --height 192 --seed 20 --ticks 800 --background 1 --maxfl 10 --rtime 0
           --no-text)
set(out "${WORKDIR}/preview.gif")
execute_process(COMMAND "${RENDER}" ${recipe} -o "${out}" RESULT_VARIABLE rc TIMEOUT 240)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "petalstream-render failed (${rc})")
endif()
if(UPDATE)
  file(COPY_FILE "${out}" "${PREVIEW}")
  message(STATUS "wrote ${PREVIEW}")
  return()
endif()
file(SHA256 "${out}" made)
file(SHA256 "${PREVIEW}" committed)
if(NOT made STREQUAL committed)
  message(FATAL_ERROR "${PREVIEW} differs from what the renderer makes (regenerate it with "
                      "UPDATE=ON, see tools/render/Preview.cmake)")
endif()
