# The Debian package of the Linux program: cpack -G DEB in the build folder. It holds what
# cmake --install lays down (the hack, its description, the manual page, the .desktop entries,
# the copyright and the changelog), stripped, with the libraries found by dpkg-shlibdeps and the fonts the windows are drawn in.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "petalstream")
set(CPACK_PACKAGE_VENDOR "PetalStream")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "flower-meadow screensaver and XScreenSaver hack")
# Lines of at most 80 characters, as Debian's tools show them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "A meadow grows from the bottom of the screen upwards: flowers sprout near the\n"
       "ground, grow and are planted for good with tufts of grass, over a black, blue\n"
       "or green background or a picture of the desktop, with the date and the time\n"
       "along the bottom edge. It runs on its own (petalstream /S, settings with\n"
       "petalstream /C) or as an XScreenSaver hack, whose settings offer its options.")
set(CPACK_PACKAGE_CONTACT "PetalStream <petalstream@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "x11")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PETALSTREAM_HOMEPAGE}")
# The Qt 6 and X libraries from the program itself; Qt's X11 platform plugin and the fonts are
# loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-comic-neue | fonts-dejavu-core")
# The daemon, and its image loader for the desktop background.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver, xscreensaver-data")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
