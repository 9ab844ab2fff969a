# waga_png_pictures(<target>): the pictures rendered to PNG at three times
# their drawn size and compiled into <target> as the resource "pictures"
# (:/pictures/<name>.png), for app/pictures_png.cpp.
function(waga_png_pictures target)
  find_program(WAGA_RSVG_CONVERT rsvg-convert REQUIRED)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_pictures)
  set(pngs)
  set(files)
  foreach(name scale qel_logo printer)
    set(svg ${PROJECT_SOURCE_DIR}/app/pictures/${name}.svg)
    set(png ${out}/pictures/${name}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out}/pictures
      COMMAND ${WAGA_RSVG_CONVERT} --zoom 3 -o ${png} ${svg}
      DEPENDS ${svg} VERBATIM)
    list(APPEND pngs ${png})
    string(APPEND files "    <file>pictures/${name}.png</file>\n")
  endforeach()
  set(qrc ${out}/pictures.qrc)
  file(WRITE ${qrc} "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/\">\n"
    "${files}  </qresource>\n</RCC>\n")
  set(qrc_cpp ${out}/qrc_pictures.cpp)
  add_custom_command(OUTPUT ${qrc_cpp}
    COMMAND Qt6::rcc --no-zstd --name pictures --output ${qrc_cpp} ${qrc}
    DEPENDS ${qrc} ${pngs} VERBATIM)
  set_source_files_properties(${qrc_cpp} PROPERTIES SKIP_AUTOGEN ON GENERATED ON)
  target_sources(${target} PRIVATE ${qrc_cpp})
endfunction()
