# find_package(KzoTools): the programs as imported targets Kzo::kzomaker,
# Kzo::kzoview and Kzo::kzodump, and kzo_add_models() to convert models in a
# build. The same file serves an installed prefix and the build tree: both
# keep the targets file and the function beside it.
include("${CMAKE_CURRENT_LIST_DIR}/KzoToolsTargets.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/KzoAddModels.cmake")

foreach(_kzo_component IN LISTS KzoTools_FIND_COMPONENTS)
    if(TARGET Kzo::${_kzo_component})
        set(KzoTools_${_kzo_component}_FOUND TRUE)
    else()
        set(KzoTools_${_kzo_component}_FOUND FALSE)
        if(KzoTools_FIND_REQUIRED_${_kzo_component})
            set(KzoTools_FOUND FALSE)
            set(KzoTools_NOT_FOUND_MESSAGE "this KzoTools has no ${_kzo_component}")
        endif()
    endif()
endforeach()
unset(_kzo_component)
