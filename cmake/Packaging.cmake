# The Debian package (cpack -G DEB in a build folder): everything `cmake --install` puts under
# /usr, with its dependencies found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumivex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Corvanes)
set(CPACK_PACKAGE_CONTACT "Lumivex developers <lumivex@corvanes.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "make one sharper, larger picture out of a video or a burst of photos")
set(CPACK_PACKAGE_DESCRIPTION
    "Lumivex makes one sharper, larger picture out of several slightly different pictures of the
same scene (multi-frame super-resolution): a burst of BMP, JPEG, PNG or TIFF stills or the
frames of a video are registered to a reference, fused into an enlarged estimate and
sharpened. It comes as a desktop application (lumivex) and a command-line tool (lumivex-cli).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://lumivex.corvanes.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
