# `make package`: a Debian package of the program, the tool, the help page,
# the icons and the desktop entry.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorel)
set(CPACK_PACKAGE_VENDOR "Quorel")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Turns a handwritten name and a seal impression into one line of HTML")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quorel developers <quorel@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The paths the program looks in (the help page) are compiled in from the
# install prefix, so the package installs under that same prefix.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6network6 (>= 6.4), libjpeg62-turbo, libpng16-16, libheif1, libwebp7")
# The window's Japanese texts, Qt's own dialogs in Japanese, the browser opener.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n, xdg-utils")
# `make package` builds only the programs; installing must not rebuild the rest.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
