# Desktop menu entries, the icon, the manual pages, the documentation and the
# systemd unit, and a Debian package of it all (`cpack -G DEB` in the build
# folder; scripts/test-package checks it with lintian).
include(GNUInstallDirs)
set(PICKMILL_MAINTAINER "Pickmill Developers <${PICKMILL_CONTACT}>")

if(UNIX AND NOT APPLE)
  install(FILES packaging/pickmill-server.desktop packaging/pickmill-client.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/pickmill.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

  # A template unit: pkserver@NAME runs the league set in /etc/pickmill/NAME.conf.
  install(FILES "packaging/pkserver@.service" DESTINATION lib/systemd/system)
  set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/pickmill)
  install(FILES packaging/copyright DESTINATION ${doc_dir})
  install(FILES packaging/league.conf DESTINATION ${doc_dir}/examples)
  set(changelog ${PROJECT_BINARY_DIR}/packaging/changelog)
  add_custom_command(OUTPUT ${changelog}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog ${changelog}
    COMMAND gzip -9nf ${changelog}
    DEPENDS packaging/changelog VERBATIM)
  set(doc_outputs ${changelog}.gz)
  install(FILES ${changelog}.gz DESTINATION ${doc_dir})

  # A manual page for each program, made by help2man from its --help (less the
  # usage lines) and --version and the sections in packaging/man/NAME.h2m.
  find_program(HELP2MAN help2man)
  if(HELP2MAN)
    set(contact_h2m ${PROJECT_BINARY_DIR}/packaging/contact.h2m)
    file(WRITE ${contact_h2m} "[REPORTING BUGS]\nWrite to ${PICKMILL_CONTACT}.\n")
    foreach(program PKServer PKClient pkleague)
      set(page ${PROJECT_BINARY_DIR}/packaging/${program}.1)
      set(include ${PROJECT_SOURCE_DIR}/packaging/man/${program}.h2m)
      add_custom_command(OUTPUT ${page}.gz
        COMMAND ${HELP2MAN} --no-info --section=1 --include=${include} --include=${contact_h2m}
                --output=${page} "${PROJECT_SOURCE_DIR}/packaging/man/help-text $<TARGET_FILE:${program}>"
        COMMAND gzip -9nf ${page}
        DEPENDS ${program} ${include} packaging/man/help-text VERBATIM)
      list(APPEND doc_outputs ${page}.gz)
      install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
  else()
    message(STATUS "help2man not found: the manual pages are not made")
  endif()
  add_custom_target(pm_docs ALL DEPENDS ${doc_outputs})
endif()

set(CPACK_PACKAGE_NAME "pickmill")
set(CPACK_PACKAGE_VENDOR "Pickmill")
set(CPACK_PACKAGE_CONTACT "${PICKMILL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PICKMILL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "college draft server and client for football leagues")
set(CPACK_PACKAGE_DESCRIPTION [=[
Pickmill runs a football league's college draft over the network, on the
league files of the FBPro game. The Commish runs PKServer, with windows or
headless under systemd (pkserver@.service, one instance for each league);
each team owner signs on with PKClient, sees the draft list, the draftees
and the chat, keeps a wish list and picks when his team is on the clock.
PKServer can also show a live draft board to browsers. pkleague shows
league copies, makes sample leagues and merges a finished draft.]=])
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_PACKAGE_SECTION "misc")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The programs go in without their debugging information.
set(CPACK_STRIP_FILES ON)
# The shared libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
