# Two Debian packages: kzo-tools, the command lines (install component "cli":
# the programs, the model import module, manual pages, completion, the CMake
# package), and kzo-tools-desktop, the windows and the desktop integration
# (component "desktop"). Each gets a copyright file and a changelog, its
# library dependencies from dpkg-shlibdeps, and stripped binaries whose debug
# symbols go to a -dbgsym package.
include(GNUInstallDirs)

set(KZO_PACKAGE_MAINTAINER "KZO tool chain developers <kzo-tools@example.org>"
    CACHE STRING "Maintainer field of the Debian packages: Name <address>")

set(KZO_CLI_PACKAGE kzo-tools)
set(KZO_DESKTOP_PACKAGE kzo-tools-desktop)

# Debian's documentation files of each package: the copyright file and the
# changelog, compressed without a name or time so that it is reproducible.
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in
               ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.gz
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh
            ${PROJECT_BINARY_DIR}/debian/changelog ${PROJECT_BINARY_DIR}/debian/changelog.gz
    DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog
    VERBATIM)
add_custom_target(kzo_debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.gz)
foreach(component cli desktop)
    string(TOUPPER ${component} upper)
    set(package ${KZO_${upper}_PACKAGE})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
                  ${PROJECT_BINARY_DIR}/debian/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
            COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/${KZO_DESKTOP_PACKAGE}.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${KZO_DESKTOP_PACKAGE}
        COMPONENT desktop EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kzo-tools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KZO tool chain developers")
set(CPACK_PACKAGE_CONTACT "${KZO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KZO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli desktop)
set(CPACK_COMPONENT_DESKTOP_DEPENDS cli)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)

set(CPACK_DEBIAN_CLI_PACKAGE_NAME ${KZO_CLI_PACKAGE})
set(CPACK_DEBIAN_CLI_PACKAGE_SECTION graphics)
set(CPACK_COMPONENT_CLI_DESCRIPTION
    "Asset tool chain of the KZO engine: converter, viewer, inspector
kzomaker converts 3D Studio files, LightWave scenes and objects and the
models assimp reads into KZO engine objects, with animation, camera and
light side files, for build pipelines (CMake, make, ninja, Bazel). kzoview
makes PNG snapshots and summaries of models without a display; kzodump prints
and validates the engine's files.
.
This package holds the command lines, their manual pages and shell
completion, the CMake package KzoTools and the Bazel rules.")
# The Bazel rules are used only with Bazel.
set(CPACK_DEBIAN_CLI_PACKAGE_SUGGESTS "bazel-bootstrap")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME ${KZO_DESKTOP_PACKAGE})
set(CPACK_DEBIAN_DESKTOP_PACKAGE_SECTION graphics)
# The windows load Qt's platform plugins, which no library names, and show
# Korean message texts, for which they need a Hangul font.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-nanum")
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION
    "Windows of the KZO engine's asset tool chain
The window of kzomaker, where models are listed, the options chosen and the
conversion started, and kzoview's window, which shows a model as a turning
wireframe; with menu entries, the KZO file type and a thumbnailer that shows
models in file managers.")
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/KzoDebianFinish.cmake)
