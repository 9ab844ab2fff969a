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
    string(APPEND files "    <file alias=\"pictures/${name}.png\">${png}</file>\n")
  endforeach()
  waga_generated_resource(${target} pictures "/" "${files}" ${pngs})
endfunction()

# waga_generated_resource(<target> <name> <prefix> <file entries> <depends>...):
# a resource file written at configure time and compiled into <target> with
# rcc (without zstd, which the Qt for Windows leaves out).
function(waga_generated_resource target name prefix entries)
  set(qrc ${CMAKE_CURRENT_BINARY_DIR}/${target}_${name}.qrc)
  file(WRITE ${qrc} "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"${prefix}\">\n"
    "${entries}  </qresource>\n</RCC>\n")
  set(qrc_cpp ${CMAKE_CURRENT_BINARY_DIR}/qrc_${target}_${name}.cpp)
  add_custom_command(OUTPUT ${qrc_cpp}
    COMMAND Qt6::rcc --no-zstd --name ${name} --output ${qrc_cpp} ${qrc}
    DEPENDS ${qrc} ${ARGN} VERBATIM)
  set_source_files_properties(${qrc_cpp} PROPERTIES SKIP_AUTOGEN ON GENERATED ON)
  target_sources(${target} PRIVATE ${qrc_cpp})
endfunction()
