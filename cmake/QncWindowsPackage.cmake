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
set(CPACK_PACKAGE_FILE_NAME quorix-net-check-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Quorix network check")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY quorix-net-check)
# The installer's texts stay ASCII: CPack's NSIS script is not a Unicode one.
set(CPACK_PACKAGE_EXECUTABLES quorix-net-check "Quorix network check")
set(CPACK_NSIS_DISPLAY_NAME "Quorix network check")
set(CPACK_NSIS_PACKAGE_NAME "Quorix network check")
set(CPACK_NSIS_INSTALLED_ICON_NAME bin/quorix-net-check.exe)
set(CPACK_NSIS_MUI_ICON ${CMAKE_BINARY_DIR}/src/win32_app/quorix-net-check.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_BINARY_DIR}/src/win32_app/quorix-net-check.ico)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
include(CPack)
