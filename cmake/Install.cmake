# Where `cmake --install` puts Zavelon: the standard places of a Linux system
# under the prefix (GNUInstallDirs), so that the menu, the icon theme, man and
# bash completion find what they look for. Everything the programs read at
# run time (glyphs, pictures, help pages) is compiled into them, so the
# installed programs need nothing from the source or build folder.
include(GNUInstallDirs)

set(ZAVELON_APP_ID org.zavelon.Zavelon)
set(linux_files ${CMAKE_SOURCE_DIR}/resources/linux)

install(TARGETS zavelon zavelon-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${linux_files}/${ZAVELON_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${linux_files}/${ZAVELON_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The scalable icon is the source; the PNG sizes are its renderings
# (scripts/render-icons.sh) for desktops that do not draw SVG icons.
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/zavelon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${ZAVELON_APP_ID}.svg)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/icons/hicolor/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor
        FILES_MATCHING PATTERN "*.png")

# The browser extension, for loading unpacked into Chromium or Firefox; the
# program writes the host manifests that let it reach Zavelon.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/browser/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zavelon/browser-extension)

# A systemd user timer that runs the scheduled tasks every minute without the
# desktop program; installed, not enabled (see the README).
set(ZAVELON_BINDIR ${CMAKE_INSTALL_FULL_BINDIR})
configure_file(${linux_files}/zavelon-due.service.in ${CMAKE_CURRENT_BINARY_DIR}/systemd/zavelon-due.service @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/systemd/zavelon-due.service ${linux_files}/zavelon-due.timer
        DESTINATION lib/systemd/user)

install(FILES ${linux_files}/zavelon-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME zavelon-cli)

# Manual pages are installed compressed, as Debian's policy asks, when gzip
# is there (it always is on Debian); `man` reads both forms.
set(ZAVELON_MAN_PAGES zavelon.1 zavelon-cli.1)
find_program(ZAVELON_GZIP gzip)
set(man_files "")
foreach(page ${ZAVELON_MAN_PAGES})
  set(source ${CMAKE_SOURCE_DIR}/resources/man/${page})
  if(ZAVELON_GZIP)
    set(copy ${CMAKE_CURRENT_BINARY_DIR}/man/${page})
    set(compressed ${copy}.gz)
    # -n leaves the name and time out, so the same page compresses to the
    # same bytes in every build.
    add_custom_command(OUTPUT ${compressed}
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
      COMMAND ${ZAVELON_GZIP} -9 -n -f ${copy}
      DEPENDS ${source}
      VERBATIM)
    list(APPEND man_files ${compressed})
  else()
    list(APPEND man_files ${source})
  endif()
endforeach()
add_custom_target(zavelon_man_pages ALL DEPENDS ${man_files})
install(FILES ${man_files} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
