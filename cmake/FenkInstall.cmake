# What `make install` and the Debian package put where, all in one place. Included after every program's folder:
# the window program and the files that belong to it (its menu entry, AppStream metadata and manual page) are
# installed the moment its target exists.

set(FENK_ICON_DIR ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor)
set(FENK_MAN_DIR ${CMAKE_BINARY_DIR}/docs/man)

install(TARGETS fenk-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${FENK_MAN_DIR}/fenk-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/fenk-cli.bash-completion DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions
        RENAME fenk-cli)

if(TARGET fenk)
    install(TARGETS fenk RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${FENK_MAN_DIR}/fenk.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    # Named "fenk" like the window's desktop file name, so that compositors match window and entry.
    install(FILES data/fenk.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
    install(FILES ${CMAKE_BINARY_DIR}/data/${FENK_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
endif()

# The vault file type and the icon, which file managers show for vaults too.
install(FILES data/fenk-mime.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/mime/packages RENAME fenk.xml)
install(FILES resources/icons/fenk.svg DESTINATION ${FENK_ICON_DIR}/scalable/apps)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor/ DESTINATION ${FENK_ICON_DIR})

# The user guide F1 opens (app/FenkGuide.h finds it from the program's folder) with the pictures it shows, and
# the files Debian asks of every package.
install(FILES README.md data/copyright ${CMAKE_BINARY_DIR}/data/changelog.gz DESTINATION ${FENK_DOC_DIR})
if(EXISTS ${CMAKE_SOURCE_DIR}/docs/screenshots)
    install(DIRECTORY docs/screenshots DESTINATION ${FENK_DOC_DIR}/docs)
endif()

# An install straight onto the system (no DESTDIR, which package builds stage into) brings the desktop's file type
# and menu caches up to date itself; a package leaves that to the system's triggers.
install(CODE "
    if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
        find_program(FENK_UPDATE_MIME update-mime-database)
        find_program(FENK_UPDATE_DESKTOP update-desktop-database)
        if(FENK_UPDATE_MIME)
            execute_process(COMMAND \${FENK_UPDATE_MIME} \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/mime\")
        endif()
        if(FENK_UPDATE_DESKTOP AND EXISTS \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/applications\")
            execute_process(COMMAND \${FENK_UPDATE_DESKTOP} \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/applications\")
        endif()
    endif()
")
