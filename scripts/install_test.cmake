# Installs the build into a fresh prefix and checks the layout a package gets from it: the
# program and the converter, SystemData and the samples, the desktop entry, icon and file
# types; then starts the installed program (headless) on an installed sample, with no
# SystemData override, as the menu entry's command line would.
#   cmake -DBUILD=<build folder> -DPREFIX=<empty prefix> -P install_test.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc})")
endif()
foreach(f
    bin/rebarscope
    bin/rebarscope-convert
    share/rebarscope/SystemData/Default.ini
    share/rebarscope/Samples/WALL0002.RDD
    share/applications/rebarscope.desktop
    share/icons/hicolor/scalable/apps/rebarscope.svg
    share/mime/packages/rebarscope.xml)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(GLOB tables "${PREFIX}/share/rebarscope/SystemData/*/*.dat")
if(NOT tables)
  message(FATAL_ERROR "the calibration tables are not installed")
endif()
file(STRINGS "${PREFIX}/share/applications/rebarscope.desktop" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=rebarscope %F")
  message(FATAL_ERROR "unexpected desktop command line: ${exec}")
endif()
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env --unset=REBAR_SYSTEMDATA QT_QPA_PLATFORM=offscreen
          "${PREFIX}/bin/rebarscope" --screenshot "${PREFIX}/started.png"
          "${PREFIX}/share/rebarscope/Samples/WALL0002.RDD"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT EXISTS "${PREFIX}/started.png")
  message(FATAL_ERROR "the installed program did not start (${rc}): ${out}${err}")
endif()
file(SIZE "${PREFIX}/started.png" size)
if(size LESS 10000)
  message(FATAL_ERROR "the installed program drew an empty window")
endif()
