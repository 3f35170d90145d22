# The Windows packages, both made by `cmake --build --preset windows --target package`:
# a zip of quorix-net-check.exe and quorix-probe.exe, and an NSIS installer
# that puts them into Program Files with a Start-menu entry for the window.
# The programs link statically, so the two .exe files (each folder installs
# its own into bin) are all there is.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME quorix-net-check)
set(CPACK_PACKAGE_VENDOR Quorix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quorix network check: DNS, ping and TCP latency tables and a LAN throughput test")
set(QNC_PACKAGE_FILE_NAME quorix-net-check-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_FILE_NAME ${QNC_PACKAGE_FILE_NAME})
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Quorix network check")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY quorix-net-check)
# The installer's texts stay ASCII: CPack's NSIS script is not a Unicode one.
set(CPACK_PACKAGE_EXECUTABLES quorix-net-check "Quorix network check")
set(CPACK_NSIS_DISPLAY_NAME "Quorix network check")
set(CPACK_NSIS_PACKAGE_NAME "Quorix network check")
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\quorix-net-check.exe")
set(CPACK_NSIS_MUI_ICON ${CMAKE_BINARY_DIR}/src/win32/app/quorix-net-check.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_BINARY_DIR}/src/win32/app/quorix-net-check.ico)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The programs are 64-bit, so is the installer (Debian's NSIS carries the
# amd64-unicode stubs), installing into the 64-bit Program Files.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
include(CPack)

# The installer as a user runs it: installed silently into a Wine prefix of
# its own, looked at, and uninstalled (the package target makes it first).
if(QNC_WITH_TESTS)
  add_test(NAME wine_installer
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/win32/app/wine_x_session.sh
            bash ${PROJECT_SOURCE_DIR}/tests/win32/app/installer_check.sh
            ${CMAKE_BINARY_DIR}/${QNC_PACKAGE_FILE_NAME}.exe)
  set_tests_properties(wine_installer PROPERTIES
    LABELS wine-gui TIMEOUT 600 SKIP_RETURN_CODE 77 RUN_SERIAL ON
    ENVIRONMENT "QNC_WINE_GUI_PREFIX=${CMAKE_BINARY_DIR}/wineprefix-installer")
endif()
