# Desktop menu entries, the icon, and an installable Debian package
# (`cpack -G DEB` in the build folder).
include(GNUInstallDirs)
if(UNIX AND NOT APPLE)
  install(FILES packaging/pickmill-server.desktop packaging/pickmill-client.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/pickmill.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

set(CPACK_PACKAGE_NAME "pickmill")
set(CPACK_PACKAGE_VENDOR "Pickmill")
set(CPACK_PACKAGE_CONTACT "${PICKMILL_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "College draft server and client for FBPro leagues")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_PACKAGE_SECTION "games")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The programs go in without their debugging information.
set(CPACK_STRIP_FILES ON)
# The shared libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
