# Project-wide compiler flags and small helpers for the folder CMake files.

add_compile_options(-Wall -Wextra -Wpedantic)

# A file meant for one platform sits in a folder posix/ or win32/ or has a
# name ending in _posix.cpp or _win32.cpp; every build takes those of its own
# platform and leaves out the others.
if(WIN32)
  set(WAGA_PLATFORM win32)
  set(WAGA_OTHER_PLATFORM_FILES "(/posix/|_posix\\.cpp$)")
  set(WAGA_OTHER_PLATFORM_FOLDERS "(/posix|_posix)$")
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
else()
  set(WAGA_PLATFORM posix)
  set(WAGA_OTHER_PLATFORM_FILES "(/win32/|_win32\\.cpp$)")
  set(WAGA_OTHER_PLATFORM_FOLDERS "(/win32|_win32)$")
endif()
# MinGW programs link everything statically, so that they start without the
# compiler's DLLs beside them. The project's toolchain file says so too, but
# Qt's qt-cmake brings a toolchain of its own that does not pass it on.
if(WIN32 AND MINGW)
  add_link_options(-static)
endif()
if(WAGA_WERROR)
  add_compile_options(-Werror)
endif()

if(WAGA_ASAN AND WAGA_TSAN)
  message(FATAL_ERROR "WAGA_ASAN and WAGA_TSAN cannot be combined")
endif()
if(WAGA_ASAN)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(WAGA_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# waga_library(<name> [RECURSE] [EXCLUDE <regex>] [DEPS <targets>...])
# A static library of the *.cpp files of the current folder (and below with
# RECURSE) and the *.qrc resources below it; EXCLUDE leaves out sources and
# resources alike. While a folder has no sources yet it is an interface library, so
# that dependents can already link it.
function(waga_library name)
  cmake_parse_arguments(A "RECURSE" "EXCLUDE" "DEPS" ${ARGN})
  if(A_RECURSE)
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  else()
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  file(GLOB_RECURSE qrcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER srcs EXCLUDE REGEX "${WAGA_OTHER_PLATFORM_FILES}")
  if(A_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${A_EXCLUDE}")
    list(FILTER qrcs EXCLUDE REGEX "${A_EXCLUDE}")
  endif()
  if(srcs)
    add_library(${name} STATIC ${srcs} ${qrcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${A_DEPS})
  endif()
endfunction()

# Adds every immediate subfolder of the current folder that has a
# CMakeLists.txt, except those of the other platform (win32, serial_win32).
function(waga_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(FILTER children EXCLUDE REGEX "${WAGA_OTHER_PLATFORM_FOLDERS}")
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# waga_add_gtest(<name> SOURCES <files>... LIBS <targets>...)
# A GoogleTest executable whose tests ctest runs one by one.
function(waga_add_gtest name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  if(CMAKE_CROSSCOMPILING)
    # Under an emulator (Wine) one start per program instead of one per test.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS "${name}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 120 LABELS "${name}")
  endif()
endfunction()

# waga_add_qtest(<name> SOURCES <files>... LIBS <targets>...)
# A QtTest executable run on the offscreen platform.
function(waga_add_qtest name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_LIBS} Qt6::Test Qt6::Widgets Threads::Threads)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS "${name}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
