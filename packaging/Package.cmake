# The Debian package: `cpack -G DEB` in the build folder writes velmora_<version>_<arch>.deb,
# installing to /usr (the program in /usr/lib/velmora, the link /usr/bin/velmora, the desktop
# entry and icon under /usr/share, Varnix's headers and CMake package). The libraries it needs
# from the system are computed by dpkg-shlibdeps (dpkg-dev).
set(VELMORA_PACKAGE_MAINTAINER "Brivano Software <packages@brivano.invalid>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Brivano Software")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "BrivanoPDF编辑器, a desktop PDF editor")
set(CPACK_PACKAGE_DESCRIPTION
    "Opens, views and edits PDF documents, with a start page of recent documents and the\n\
vendor's web services (updates, WeChat login). Also holds Varnix, the library it is built on,\n\
with its headers and CMake package (find_package(Varnix CONFIG)).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELMORA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program's own libraries sit in the package's private folder; dpkg-shlibdeps finds them
# there rather than asking the system for them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CPACK_PACKAGING_INSTALL_PREFIX}/lib/velmora)
# libcurl is opened at the first request rather than linked, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4 (>= 7.85)")
# Opening web addresses and files goes through xdg-open; the Chinese interface needs a CJK font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-noto-cjk")

include(CPack)
