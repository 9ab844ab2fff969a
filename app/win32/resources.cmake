# waga.exe's resources: the program icon (IDI_ICON1, which Qt also gives its
# windows) made from the package's SVG icon, and the version information.
find_program(WAGA_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(WAGA_ICOTOOL icotool REQUIRED)
set(icon_dir ${CMAKE_CURRENT_BINARY_DIR}/icon)
set(icon_svg ${PROJECT_SOURCE_DIR}/packaging/waga.svg)
set(icon_pngs)
foreach(size 16 24 32 48 64 256)
  set(png ${icon_dir}/waga-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}
    COMMAND ${WAGA_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon_svg}
    DEPENDS ${icon_svg} VERBATIM)
  list(APPEND icon_pngs ${png})
endforeach()
# The installer (packaging/windows) shows the same icon.
set(WAGA_ICON ${icon_dir}/waga.ico CACHE INTERNAL "waga.exe's icon")
# Sizes up to 48 as classic bitmaps, 256 as PNG (what Windows expects).
add_custom_command(OUTPUT ${WAGA_ICON}
  COMMAND ${WAGA_ICOTOOL} -c -o ${WAGA_ICON} ${icon_dir}/waga-16.png ${icon_dir}/waga-24.png
    ${icon_dir}/waga-32.png ${icon_dir}/waga-48.png ${icon_dir}/waga-64.png
    -r ${icon_dir}/waga-256.png
  DEPENDS ${icon_pngs} VERBATIM)

if(PROJECT_VERSION_PATCH STREQUAL "")
  set(WAGA_VERSION_PATCH 0)
else()
  set(WAGA_VERSION_PATCH ${PROJECT_VERSION_PATCH})
endif()
set(rc ${CMAKE_CURRENT_BINARY_DIR}/waga.rc)
configure_file(${CMAKE_CURRENT_LIST_DIR}/waga.rc.in ${rc} @ONLY)
set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${WAGA_ICON})
target_sources(waga PRIVATE ${rc})
set_target_properties(waga PROPERTIES WIN32_EXECUTABLE ON)

# Qt's own texts in Polish: the Qt for Windows has no translations, so the
# program carries Debian's (qt6-translations-l10n, the same Qt version).
find_file(WAGA_QT_POLISH qtbase_pl.qm PATHS /usr/share/qt6/translations NO_CMAKE_FIND_ROOT_PATH)
if(WAGA_QT_POLISH)
  waga_generated_resource(waga translations "/translations"
    "    <file alias=\"qtbase_pl.qm\">${WAGA_QT_POLISH}</file>\n" ${WAGA_QT_POLISH})
else()
  message(STATUS "qtbase_pl.qm not found: Qt's own texts stay English (scripts/setup.sh installs it)")
endif()
