# Installs the build into a fresh prefix and checks that every file is at its
# standard place, that nothing else was installed, that the menu entry, the
# AppStream file, the manual pages and the bash completion are well formed, and
# that the installed programs start from there.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DVERSION=... -P CheckInstallTree.cmake
cmake_minimum_required(VERSION 3.25)

set(app_id org.zavelon.Zavelon)
set(expected
  bin/zavelon
  bin/zavelon-cli
  share/applications/${app_id}.desktop
  share/metainfo/${app_id}.metainfo.xml
  share/icons/hicolor/scalable/apps/${app_id}.svg
  share/man/man1/zavelon.1.gz
  share/man/man1/zavelon-cli.1.gz
  share/bash-completion/completions/zavelon-cli
  lib/systemd/user/zavelon-due.service
  lib/systemd/user/zavelon-due.timer
  share/zavelon/browser-extension/manifest.json
  share/zavelon/browser-extension/background.js)
foreach(size 16 22 24 32 48 64 128 256 512)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${app_id}.png)
endforeach()
foreach(size 16 32 48 128)
  list(APPEND expected share/zavelon/browser-extension/icons/zavelon-${size}.png)
endforeach()

set(failures "")
macro(fail text)
  string(APPEND failures "  ${text}\n")
endmacro()

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

# Exactly the expected files: a missing one breaks the install, a stray one
# (a library's headers, a test program) does not belong there.
file(GLOB_RECURSE installed RELATIVE ${PREFIX} LIST_DIRECTORIES false ${PREFIX}/*)
foreach(path ${expected})
  if(NOT path IN_LIST installed)
    fail("missing: ${path}")
  endif()
endforeach()
foreach(path ${installed})
  if(NOT path IN_LIST expected)
    fail("not expected: ${path}")
  endif()
endforeach()

# The menu entry must name an installed program and icon, and the AppStream
# file the menu entry.
file(READ ${PREFIX}/share/applications/${app_id}.desktop desktop_entry)
if(NOT desktop_entry MATCHES "\nExec=([^ \n]+)" OR NOT EXISTS ${PREFIX}/bin/${CMAKE_MATCH_1})
  fail("the menu entry starts \"${CMAKE_MATCH_1}\", which is not installed")
endif()
if(NOT desktop_entry MATCHES "\nIcon=${app_id}\n")
  fail("the menu entry does not show the installed icon ${app_id}")
endif()
# The timer's service runs the installed command line's run-due.
file(READ ${PREFIX}/lib/systemd/user/zavelon-due.service due_service)
if(NOT due_service MATCHES "\nExecStart=/[^\n]*/zavelon-cli run-due\n")
  fail("the due timer's service does not run zavelon-cli run-due")
endif()
file(READ ${PREFIX}/lib/systemd/user/zavelon-due.timer due_timer)
if(NOT due_timer MATCHES "OnCalendar=\\*-\\*-\\* \\*:\\*:00")
  fail("the due timer does not run every minute")
endif()

file(READ ${PREFIX}/share/metainfo/${app_id}.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<launchable type=\"desktop-id\">${app_id}.desktop</launchable>")
  fail("the AppStream file does not launch ${app_id}.desktop")
endif()
if(NOT metainfo MATCHES "<release version=\"${VERSION}\"")
  fail("the AppStream file has no release ${VERSION}")
endif()
if(NOT metainfo MATCHES "<screenshot type=\"default\">")
  fail("the AppStream file has no screenshot")
endif()

# Each check: a name, then the command. A validator that is not installed is
# said and skipped (scripts/setup.sh installs them).
function(check name)
  find_program(tool_${name} ${ARGV1})
  if(NOT tool_${name})
    message(STATUS "${ARGV1} is not installed: ${name} not checked")
    return()
  endif()
  list(SUBLIST ARGV 2 -1 arguments)
  execute_process(COMMAND ${tool_${name}} ${arguments}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  # man reports roff mistakes on stderr and still succeeds.
  if(NOT status EQUAL 0 OR (name MATCHES "^manual" AND NOT err STREQUAL ""))
    set(failures "${failures}  ${name}: ${out}${err}\n" PARENT_SCOPE)
  else()
    message(STATUS "${name}: valid")
  endif()
endfunction()

check(desktop_entry desktop-file-validate ${PREFIX}/share/applications/${app_id}.desktop)
check(appstream appstreamcli validate --no-net ${PREFIX}/share/metainfo/${app_id}.metainfo.xml)
foreach(page zavelon zavelon-cli)
  check(manual_${page} man --warnings -E UTF-8 -l -Tutf8 -Z ${PREFIX}/share/man/man1/${page}.1.gz)
endforeach()
check(completion bash -n ${PREFIX}/share/bash-completion/completions/zavelon-cli)

# The installed programs run from the prefix, without a display.
foreach(program zavelon zavelon-cli)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                          --unset=QT_QPA_PLATFORM ${PREFIX}/bin/${program} --version
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR NOT out STREQUAL "${program} ${VERSION}\n")
    fail("${PREFIX}/bin/${program} --version gave ${status}: ${out}${err}")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "The install tree is wrong:\n${failures}")
endif()
file(REMOVE_RECURSE ${PREFIX})
