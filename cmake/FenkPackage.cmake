# `make deb`: the Debian package of everything FenkInstall.cmake installs, under /usr.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fenk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT ${FENK_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FENK_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a platform plugin, which Qt loads at run time, unseen by the library scan.
if(TARGET fenk)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "password vault for the Linux desktop")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Fenk keeps your logins (site name, login name, password and note) in one
vault file (.fkx) enciphered under a master password. Its window lists the
logins with the passwords masked, finds them as you type, edits them in a row
editor and copies a password to the clipboard marked as a secret. The
fenk-cli tool works on the same vaults from scripts and the terminal.")

include(CPack)
