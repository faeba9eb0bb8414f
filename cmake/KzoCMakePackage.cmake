# The CMake package of the programs: find_package(KzoTools) from an installed
# prefix (share/cmake/KzoTools) or from this build tree (KzoTools_DIR or
# CMAKE_PREFIX_PATH set to the build directory). Include after the programs'
# install(TARGETS ... EXPORT KzoToolsTargets).
include(CMakePackageConfigHelpers)
include(GNUInstallDirs)

# The package names programs only, so it fits a build for any architecture.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KzoToolsConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
configure_file(${PROJECT_SOURCE_DIR}/cmake/KzoToolsConfig.cmake
               ${PROJECT_BINARY_DIR}/KzoToolsConfig.cmake COPYONLY)
foreach(file KzoAddModels.cmake KzoDepfileOutputs.cmake)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/${file} ${PROJECT_BINARY_DIR}/${file} COPYONLY)
endforeach()
export(EXPORT KzoToolsTargets NAMESPACE Kzo:: FILE ${PROJECT_BINARY_DIR}/KzoToolsTargets.cmake)

set(KZO_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_DATADIR}/cmake/KzoTools)
install(EXPORT KzoToolsTargets NAMESPACE Kzo:: DESTINATION ${KZO_CMAKE_PACKAGE_DIR}
        COMPONENT cli)
install(FILES ${PROJECT_BINARY_DIR}/KzoToolsConfig.cmake
              ${PROJECT_BINARY_DIR}/KzoToolsConfigVersion.cmake
              ${PROJECT_SOURCE_DIR}/cmake/KzoAddModels.cmake
              ${PROJECT_SOURCE_DIR}/cmake/KzoDepfileOutputs.cmake
        DESTINATION ${KZO_CMAKE_PACKAGE_DIR} COMPONENT cli)
