# A Debian package of the installed files: `cpack -G DEB` in a release
# build directory (scripts/package does it).
set(CPACK_PACKAGE_NAME "lumora")
set(CPACK_PACKAGE_VENDOR "The Lumora developers")
set(CPACK_PACKAGE_CONTACT "The Lumora developers <maintainers@lumora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${LUMORA_BUILD_NUMBER}")
# Library dependencies come from the binary itself; the CJK font and the
# portal-less fallbacks need nothing more.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "${PROJECT_DESCRIPTION}\n Lumora counts down from a preset, from minutes and seconds of your own,\n or to a clock time, shows the remaining time in the panel, and rings,\n notifies, or both when the time is up.")
# Lumora is GPL-3.0-or-later; a Debian package carries its copyright file.
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/COPYING")
install(FILES ${PROJECT_SOURCE_DIR}/resources/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumora)
include(CPack)
