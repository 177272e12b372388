# The Debian package of the desktop build (make deb): cpack -G DEB over the install rules of
# cmake/Install.cmake, below /usr; its dependencies come from the libraries the programs link,
# through dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trevandel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Stripped as Debian strips, by a script over the staged files (cpack's own stripping keeps
# the compilers' .comment sections).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/StripPackage.cmake)
set(CPACK_TREVANDEL_STRIP ${CMAKE_STRIP})
set(CPACK_PACKAGE_CONTACT "Trevandel developers <maintainers@users.noreply.c-seed-5e9f63e3.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "skinnable full-screen program launcher for a handheld")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Trevandel is the menu of a 320x240 handheld game console, drawn entirely from
hand-written skins: plain-text statement files and PNG images. This package
holds the desktop build, which shows the handheld's screen in a 640x480 window
and takes the keyboard as its controls, with two skins and a demo folder.
.
Three tools for skin authors come with it: trevandel-check reports what the
launcher would drop or where a user gets stuck, trevandel-shot draws a page
into a PNG file without a display, and trevandel-preview shows a skin and
reloads it whenever one of its files is saved.")
include(CPack)
