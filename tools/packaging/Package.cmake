# The Debian package, made by tools/package.sh with CPack: the installed layout of the program
# under /usr, named corvane_<file version>_amd64.deb. Its runtime dependencies are read from
# the built program by dpkg-shlibdeps; only what a library scan cannot see is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "${CORVANE_ORGANIZATION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
# A package synopsis ends without a full stop.
string(REGEX REPLACE "\\.$" "" CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CORVANE_FILE_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "${CORVANE_PRODUCT_NAME} opens one SMB server, a Windows server or a Samba server, and manages
its network shares: names, paths, comments, user limits and share permissions; deleting and
hiding shares; finding and replacing text in many shares at once; copying shares between
servers; creating shares in bulk from the server's directories; and an inventory of the
shares and permissions of many servers at once, compared with a baseline, also from the
command line (corvane-cli).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CORVANE_ORGANIZATION} <support@qentis-software.example.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${CORVANE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its window-system plugin at run time, so no library scan can see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The pictures of the lists come from the desktop's icon theme, drawn plainly without one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "adwaita-icon-theme | breeze-icon-theme")
include(CPack)
