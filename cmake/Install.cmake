# Installs the program, its desktop entry and its icons where a desktop looks for them, and
# lets cpack make a Debian package of them.
install(TARGETS vizmar RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/vizmar.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/vizmar-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME vizmar.png)
endforeach()

set(CPACK_PACKAGE_NAME vizmar)
set(CPACK_PACKAGE_VENDOR "Halvoren")
set(CPACK_PACKAGE_CONTACT "Vizmar developers <vizmar@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The shared libraries the program links decide the package's dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)
