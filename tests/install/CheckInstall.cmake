# Installs the build into a DESTDIR and packs it with cpack -G DEB, then checks
# that both hold every file the programs need, where they need it.
#   cmake -DBUILD_DIR=... -DWORK_DIR=... -DCPACK=... -DMAN_PAGES=0|1 -P CheckInstall.cmake
set(expected
    usr/bin/PKServer
    usr/bin/PKClient
    usr/bin/pkleague
    usr/share/pickmill/phnring.wav
    usr/share/pickmill/buzzer.wav
    usr/share/applications/pickmill-server.desktop
    usr/share/applications/pickmill-client.desktop
    usr/share/icons/hicolor/scalable/apps/pickmill.svg
    usr/share/doc/pickmill/copyright
    usr/share/doc/pickmill/changelog.gz
    usr/lib/systemd/system/pkserver@.service)
if(MAN_PAGES)
  list(APPEND expected usr/share/man/man1/PKServer.1.gz usr/share/man/man1/PKClient.1.gz
       usr/share/man/man1/pkleague.1.gz)
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "DESTDIR=${WORK_DIR}/stage"
                        "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix /usr
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc}): ${err}")
endif()
foreach(f IN LISTS expected)
  if(NOT EXISTS "${WORK_DIR}/stage/${f}")
    message(SEND_ERROR "cmake --install with DESTDIR did not install /${f}")
  endif()
endforeach()

find_program(DPKG_DEB dpkg-deb)
if(DPKG_DEB)
  execute_process(COMMAND "${CPACK}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}/package"
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cpack -G DEB failed (${rc}): ${err}")
  endif()
  file(GLOB debs "${WORK_DIR}/package/*.deb")
  list(LENGTH debs count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "cpack -G DEB made ${count} packages: ${debs}")
  endif()
  execute_process(COMMAND "${DPKG_DEB}" -c ${debs} OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
  foreach(f IN LISTS expected)
    string(FIND "${listing}" " ./${f}\n" at)
    if(at EQUAL -1)
      message(SEND_ERROR "the package does not hold /${f}:\n${listing}")
    endif()
  endforeach()
else()
  message(STATUS "dpkg-deb not found: the package is not checked")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
