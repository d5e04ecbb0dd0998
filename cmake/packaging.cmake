# A Debian package of everything that is installed: `cpack -G DEB` in the build folder
# makes kirimo_<version>_amd64.deb, its dependencies read from the shared libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kirimo)
set(CPACK_PACKAGE_VENDOR "The Kirimo developers")
set(CPACK_PACKAGE_CONTACT "The Kirimo developers <kirimo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns pictures into dot pictures with colour counts and charts")
set(CPACK_PACKAGE_DESCRIPTION
  "Kirimo turns any picture into a dot picture drawn only in a small set of named colours
(eighteen at most), and then produces what is needed to build it by hand: how many dots
of each colour every sheet holds, and A4 charts in which every dot carries a character or
a small picture standing for its colour. Its interface is Japanese. The package also holds
kirimo-cli, a command-line front end over the same engine.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Japanese texts for its dialogs and buttons; the libraries found above are added.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-translations-l10n)
# The Japanese Gothic the windows ask for; the program still runs with another font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-ipaexfont-gothic)
include(CPack)
