# Installed like a desktop program: the executables and templates install from their own
# folders; this file adds the icon in the usual sizes, the desktop entry and the AppStream
# metainfo (all named after the application's ID), the man page and the user guide, the
# checks of the desktop entry and the metainfo, and the Debian package.
set(FARROWDALE_APP_ID org.morrowfarrowdale.Farrowdale)
set(farrowdale_resources ${PROJECT_SOURCE_DIR}/resources)
set(farrowdale_docs ${PROJECT_SOURCE_DIR}/docs)

if(FARROWDALE_BUILD_APP)
  foreach(size 16 24 32 48 64 128)
    install(FILES ${farrowdale_resources}/icons/farrowdale-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${FARROWDALE_APP_ID}.png)
  endforeach()
  install(FILES ${farrowdale_resources}/farrowdale.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
          RENAME ${FARROWDALE_APP_ID}.png)
  install(FILES ${farrowdale_resources}/${FARROWDALE_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${farrowdale_resources}/${FARROWDALE_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The window opens the guide from PREFIX/share/doc/farrowdale (app/user_guide.cpp).
install(FILES ${farrowdale_docs}/farrowdale-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${farrowdale_docs}/guide.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/farrowdale)
install(DIRECTORY ${farrowdale_docs}/images
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/farrowdale FILES_MATCHING PATTERN "*.png")

# The validators run as tests; a machine without them fails the test rather than skip it
# (scripts/install-deps.sh installs both).
function(farrowdale_add_validation_test name program)
  find_program(${name}_program ${program})
  if(${name}_program)
    farrowdale_add_script_test(NAME ${name} TIMEOUT 60 COMMAND ${${name}_program} ${ARGN})
  else()
    farrowdale_add_script_test(NAME ${name} TIMEOUT 60 COMMAND ${CMAKE_COMMAND} -E echo
                               "${program} is not installed; run scripts/install-deps.sh")
    set_tests_properties(${name} PROPERTIES WILL_FAIL ON)
  endif()
endfunction()
farrowdale_add_validation_test(desktop_entry_valid desktop-file-validate
  ${farrowdale_resources}/${FARROWDALE_APP_ID}.desktop)
farrowdale_add_validation_test(metainfo_valid appstreamcli validate --no-net
  ${farrowdale_resources}/${FARROWDALE_APP_ID}.metainfo.xml)

set(CPACK_PACKAGE_NAME morrow-farrowdale)
set(CPACK_PACKAGE_VENDOR "The Morrow Farrowdale developers")
set(CPACK_PACKAGE_CONTACT "The Morrow Farrowdale developers <developers@morrowfarrowdale.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Count the passages you coded in plain-text corpora and write HTML reports")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The shared libraries' packages (Qt, ICU, the C++ runtime) found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
