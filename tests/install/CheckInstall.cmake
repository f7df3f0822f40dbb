# Installs the build into an empty temporary prefix and checks that the
# program, its desktop entry, icon, file type and AppStream data are there
# and pass the freedesktop validators.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DEXPECT_RUNNER=0|1 -P CheckInstall.cmake
# Without the validators the check reports "validators missing" (CTest takes
# that as skipped) unless VORUN_REQUIRE_VALIDATORS is set, as in CI.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(id org.vorun.Vorun)
set(expected bin/vorun share/applications/${id}.desktop share/icons/hicolor/scalable/apps/${id}.svg
             share/mime/packages/${id}.xml share/metainfo/${id}.metainfo.xml)
if(EXPECT_RUNNER)
  list(APPEND expected bin/vorun-run bin/vorun-ensemble)
endif()
foreach(path ${expected})
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
file(GET_RUNTIME_DEPENDENCIES EXECUTABLES "${PREFIX}/bin/vorun" RESOLVED_DEPENDENCIES_VAR libraries
     PRE_INCLUDE_REGEXES "Qt6Charts|Qt6Svg" PRE_EXCLUDE_REGEXES ".*")
if(NOT libraries MATCHES "Qt6Charts" OR NOT libraries MATCHES "Qt6Svg")
  message(FATAL_ERROR "bin/vorun is no program that finds its Qt Charts and Qt SVG libraries: ${libraries}")
endif()

find_program(desktop_file_validate desktop-file-validate)
find_program(appstreamcli appstreamcli)
find_program(update_mime_database update-mime-database)
if(NOT desktop_file_validate OR NOT appstreamcli OR NOT update_mime_database)
  if(DEFINED ENV{VORUN_REQUIRE_VALIDATORS})
    message(FATAL_ERROR "desktop-file-validate, appstreamcli and update-mime-database are required here")
  endif()
  message("validators missing: the installed files are there but were not validated")
  return()
endif()

function(check what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed:\n${out}")
  endif()
  message("${what}: ok")
endfunction()

check(desktop-file-validate "${desktop_file_validate}" "${PREFIX}/share/applications/${id}.desktop")
# --no-net: the screenshot's address is checked by the validator's form rules
# only; CI machines need not reach it.
check("appstreamcli validate" "${appstreamcli}" validate --no-net --pedantic
      "${PREFIX}/share/metainfo/${id}.metainfo.xml")
# The type database built from the installed package must map *.tvx to our type.
check(update-mime-database "${update_mime_database}" "${PREFIX}/share/mime")
file(READ "${PREFIX}/share/mime/globs2" globs)
if(NOT globs MATCHES "application/x-vorun-ensemble:\\*\\.tvx")
  message(FATAL_ERROR "the file type database does not map *.tvx:\n${globs}")
endif()
