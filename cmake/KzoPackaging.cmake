# Installation of the three programs and a Debian package of them.
#
# Every file installs in one of two components: "cli", what the command lines
# need (the programs and the model import module; no Qt), and "desktop", the
# windows (their modules link Qt) and the desktop integration (packaging/).
include(GNUInstallDirs)

set(KZO_PROGRAMS)
foreach(program kzomaker kzoview kzodump)
    if(TARGET ${program})
        install(TARGETS ${program} EXPORT KzoToolsTargets
                RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
        list(APPEND KZO_PROGRAMS ${program})
    endif()
endforeach()

# Modules sit where the programs look for them: <bin>/../lib/kzo-tools.
if(TARGET kzo_assimp_module)
    install(TARGETS kzo_assimp_module LIBRARY DESTINATION lib/kzo-tools COMPONENT cli)
endif()
set(KZO_WINDOW_MODULES)
foreach(module kzomaker_window_module kzoview_window_module)
    if(TARGET ${module})
        install(TARGETS ${module} LIBRARY DESTINATION lib/kzo-tools COMPONENT desktop)
        list(APPEND KZO_WINDOW_MODULES $<TARGET_FILE_NAME:${module}>)
    endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/KzoCMakePackage.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kzo-toolchain)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KZO tool chain developers")
set(CPACK_PACKAGE_CONTACT "KZO tool chain developers <kzo-toolchain@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Asset tool chain of the KZO engine: converter, wireframe viewer, file inspector")
set(CPACK_PACKAGE_DESCRIPTION
    "kzomaker converts 3D Studio files and LightWave scenes into KZO engine objects \
with animation, camera and light side files; kzoview shows KZO, 3DS and LightWave \
objects as turning wireframes and makes thumbnails of them; kzodump prints and \
validates the engine's files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt 6 runtime the two windows need (qpa plugins: without them no window
# can open), the model import module's libraries, and the C++ runtime.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), qt6-qpa-plugins (>= 6.4), libassimp5 (>= 5.2), libmeshoptimizer2d (>= 0.18), libc6, libstdc++6, libgcc-s1")
include(CPack)
