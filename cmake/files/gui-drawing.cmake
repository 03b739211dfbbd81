# The GUI toolkit's drawing back ends (cairo + FreeType on Linux, GDI+ on Windows), the embedded
# typeface, and the image program that draws the editor's knob, fader, logo and cursor images at
# build time.

set(TAVO_GUI_DRAWING_LINUX_FILES
  support/gui/cairo/CairoCanvas.cpp
  support/gui/cairo/CairoCanvas.h
  support/gui/cairo/CairoFonts.cpp
  support/gui/cairo/CairoFonts.h
  support/gui/cairo/CairoPng.cpp
  support/gui/fonts/EmbeddedFont.h)
set(TAVO_GUI_DRAWING_WINDOWS_FILES
  support/gui/fonts/EmbeddedFont.h
  support/gui/gdiplus/GdiplusCanvas.cpp
  support/gui/gdiplus/GdiplusCanvas.h
  support/gui/gdiplus/GdiplusFonts.cpp
  support/gui/gdiplus/GdiplusFonts.h
  support/gui/gdiplus/GdiplusPng.cpp
  support/gui/gdiplus/GdiplusSession.cpp
  support/gui/gdiplus/GdiplusSession.h)
# One suite for both back ends: it draws through the OS's back end by name.
set(TAVO_GUI_DRAWING_TESTS
  tests/support/gui/drawing/BackEnd.h
  tests/support/gui/drawing/Canvas_test.cpp
  tests/support/gui/drawing/Png_test.cpp
  tests/support/gui/drawing/Text_test.cpp)
if(NOT WIN32)
  list(APPEND TAVO_GUI_DRAWING_TESTS tests/support/gui/drawing/Art_test.cpp)
endif()

set(TAVO_FONT_DIR /usr/share/fonts/truetype/dejavu CACHE PATH
    "Folder with DejaVuSans.ttf and DejaVuSans-Bold.ttf (Debian package fonts-dejavu-core)")

# Compiles the embedded typeface into target: a source file generated from the installed TTFs.
function(tavo_embed_fonts target)
  set(regular ${TAVO_FONT_DIR}/DejaVuSans.ttf)
  set(bold ${TAVO_FONT_DIR}/DejaVuSans-Bold.ttf)
  set(script ${PROJECT_SOURCE_DIR}/support/gui/fonts/EmbedFonts.cmake)
  set(output ${CMAKE_BINARY_DIR}/generated/EmbeddedFontData.cpp)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DREGULAR=${regular} -DBOLD=${bold} -DOUTPUT=${output} -P ${script}
    DEPENDS ${regular} ${bold} ${script}
    COMMENT "Embedding the DejaVu Sans fonts"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()

# The image program's drawing as a library (its tests run it in-process) and the program itself.
set(TAVO_ART_FILES
  tools/art/ArtImage.cpp
  tools/art/ArtImage.h
  tools/art/Cursors.cpp
  tools/art/Cursors.h
  tools/art/Fader.cpp
  tools/art/Fader.h
  tools/art/Knob.cpp
  tools/art/Knob.h
  tools/art/Logo.cpp
  tools/art/Logo.h
  tools/art/Palette.h
  tools/art/WriteAll.cpp
  tools/art/WriteAll.h)

# Draws the images into outdir (<outdir>/Images, <outdir>/Cursors) before resources_target
# finishes. Linux only: the Windows build copies a Linux build's images.
function(tavo_art_images resources_target outdir)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(TAVO_ART_CAIRO REQUIRED IMPORTED_TARGET cairo)
  pkg_check_modules(TAVO_ART_FREETYPE REQUIRED IMPORTED_TARGET freetype2)
  list(TRANSFORM TAVO_ART_FILES PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE art_files)
  add_library(tavo_art STATIC ${art_files})
  target_link_libraries(tavo_art PUBLIC tavo_options PkgConfig::TAVO_ART_CAIRO
                                        PkgConfig::TAVO_ART_FREETYPE)
  add_executable(tavo-art ${PROJECT_SOURCE_DIR}/tools/art/main.cpp)
  target_link_libraries(tavo-art PRIVATE tavo_art)
  tavo_note_listed(${TAVO_ART_FILES} tools/art/main.cpp)

  set(stamp ${CMAKE_BINARY_DIR}/tavo-art.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND tavo-art ${outdir} ${TAVO_FONT_DIR}/DejaVuSans-Bold.ttf
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS tavo-art ${TAVO_FONT_DIR}/DejaVuSans-Bold.ttf
    COMMENT "Drawing the editor's images into ${outdir}"
    VERBATIM)
  add_custom_target(tavo_art_images DEPENDS ${stamp})
  add_dependencies(${resources_target} tavo_art_images)
endfunction()
