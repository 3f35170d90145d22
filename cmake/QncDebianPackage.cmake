# The Debian package of the window and quorix-probe (cpack -G DEB; scripts/package
# makes it). The build must be configured with the prefix /usr, so that the
# systemd unit and the first rows file name the installed paths.
include(GNUInstallDirs)
set(qnc_package_name quorix-net-check)
set(qnc_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${qnc_package_name})

install(FILES ${PROJECT_SOURCE_DIR}/packaging/quorix-net-check.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME net.quorix.NetCheck.metainfo.xml)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright DESTINATION ${qnc_doc_dir})

# Debian wants the changelog (a native package's: changelog.gz) and man pages compressed, reproducibly (gzip -n).
find_program(QNC_GZIP gzip REQUIRED)
add_custom_command(OUTPUT changelog.gz
  COMMAND ${QNC_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
set(qnc_package_files changelog.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${qnc_doc_dir})

# quorix-probe's man page is made from its own help, so the two never disagree.
find_program(QNC_HELP2MAN help2man)
if(QNC_HELP2MAN AND NOT CMAKE_CROSSCOMPILING)
  add_custom_command(OUTPUT quorix-probe.1.gz
    COMMAND ${QNC_HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
            --name "measure DNS, ping and TCP connect latency side by side" --output quorix-probe.1
            $<TARGET_FILE:quorix-probe>
    COMMAND ${QNC_GZIP} -9n -f quorix-probe.1
    DEPENDS quorix-probe)
  list(APPEND qnc_package_files quorix-probe.1.gz)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quorix-probe.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: the package is made without quorix-probe's man page")
endif()
add_custom_target(qnc_package_files ALL DEPENDS ${qnc_package_files})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${qnc_package_name})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quorix network check developers <maintainers@users.noreply.c-seed-8a614495.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "network quality check: DNS, ping and game-server latency side by side")
# The extended description, in lines of at most 80 characters as dpkg shows them.
set(CPACK_PACKAGE_DESCRIPTION "\
Quorix network check measures three tables continuously and side by side:
the time a DNS server takes to resolve a list of domains, the ICMP round trip
to a list of hosts with the home gateway among them, and the time to open a
TCP connection to game servers. Each row shows the latest latency, the
average, the loss and a quality word, and a diagnosis names where the trouble
most likely is. A LAN throughput test measures the network between two
machines running the program. quorix-probe makes the same measurements in a
terminal, with JSON and CSV output and a Prometheus endpoint.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Files outside the prefix (/etc) go to the staging tree through DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# setcap gives the programs cap_net_raw when the package is installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libcap2-bin)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
                                       ${PROJECT_SOURCE_DIR}/packaging/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
