# The Debian package, built by CPack from the install rules (cmake/Install.cmake):
#   cpack --config build/CPackConfig.cmake -G DEB
# scripts/package.sh does that and checks what went in.
set(CPACK_PACKAGE_NAME zavelon)
set(CPACK_PACKAGE_VENDOR "Zavelon")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zavelon developers <developers@zavelon.org>"
    CACHE STRING "Maintainer named in the package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture downloader for the Linux desktop")
set(CPACK_PACKAGE_DESCRIPTION
    "Zavelon finds pictures on web sites and downloads them. A task names a start
address, a save folder, the picture types to keep and where each goes, how
deep to follow links, size limits, names to skip, a site login and a run
schedule; Zavelon crawls the site with several workers at once and saves
every matching picture. The desktop program shows the tasks, their progress
and the downloaded pictures with a viewer, an image library and wallpaper
setting; zavelon-cli runs tasks without a display.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://zavelon.org/")
set(CPACK_PACKAGE_INSTALL_DIRECTORY zavelon)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debug information stays in the build tree; the package carries lean binaries.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link are found by dpkg-shlibdeps from the
# binaries. Qt loads these at run time, so no link shows them: the SVG
# reader and icon engine (every glyph), the TIFF and TGA readers, and
# ImageMagick's coders for WMF.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6svg6, qt6-image-formats-plugins, libmagickcore-6.q16-6-extra")
# Wallpaper on desktops other than GNOME, KDE Plasma and XFCE.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "feh")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/bench/out/")
include(CPack)
