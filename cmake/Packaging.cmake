# The Debian package: `cpack -G DEB` in the build folder makes kvitanky_<version>_<arch>.deb
# with the program, its pictures, the desktop entry, the icon and the AppStream
# metadata, installed under /usr. The libraries it links (Qt, libxlsxwriter) are
# found by dpkg-shlibdeps; the Qt platform plugins, Qt's Czech translations and the
# fonts the slips are printed with are named here.
# The package takes what the build made; packaging does not first build every
# target (the tests and benchmarks are not part of it).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

install(FILES ${CMAKE_SOURCE_DIR}/resources/kvitanky.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME cz.kvitanky.Kvitanky.metainfo.xml)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kvitanky)
set(CPACK_PACKAGE_VENDOR "Kvitanky")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kvitanky <info@kvitanky.cz>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fill in and print Czech postal payment slips in bulk")
set(CPACK_PACKAGE_DESCRIPTION "Kvitanky keeps an address book of payment recipients and prints each\n"
    "recipient's slip onto a pre-printed Czech postal form or into a PDF file.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION office)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.kvitanky.cz/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation")
include(CPack)
