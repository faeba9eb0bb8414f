# Installation of the three programs and the Debian packages of them.
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

# Modules sit where the programs look for them: <bin>/../lib/kzo-tools; so
# does the model reader, the one program that loads the model import module.
foreach(module kzo_assimp_module kzo_embree_module)
    if(TARGET ${module})
        install(TARGETS ${module} LIBRARY DESTINATION lib/kzo-tools COMPONENT cli)
    endif()
endforeach()
if(TARGET kzo_model_reader)
    install(TARGETS kzo_model_reader RUNTIME DESTINATION lib/kzo-tools COMPONENT cli)
endif()
set(KZO_WINDOW_MODULES)
foreach(module kzomaker_window_module kzoview_window_module)
    if(TARGET ${module})
        install(TARGETS ${module} LIBRARY DESTINATION lib/kzo-tools COMPONENT desktop)
        list(APPEND KZO_WINDOW_MODULES $<TARGET_FILE_NAME:${module}>)
    endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/KzoCMakePackage.cmake)

include(${CMAKE_CURRENT_LIST_DIR}/KzoDebianPackages.cmake)
include(CPack)
