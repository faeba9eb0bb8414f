# kzo_add_models(TARGET name OUTPUT_DIR dir
#                [SHADING type] [SCALE f] [SHADOW_TEST test] [FPS n]
#                [ANIMATION] [CAMERA] [LIGHT] [EMPTY_LIGHT_FILE] [FIT] [ALL]
#                [TEXTURE_DIR dir] [SEARCH_PATH dir...]
#                [READER_MEMORY mib] [READER_TIMEOUT seconds]
#                [OCCLUSION] [BOUNCE] [OCCLUSION_RAYS n] [OCCLUSION_DISTANCE d]
#                SOURCES file...)
#
# Converts each source with Kzo::kzomaker into OUTPUT_DIR (relative to the
# current binary directory) through one custom command per source, so that a
# change to one scene or to one object a scene loads reconverts that scene
# alone. Every command writes a dependency file (--deps) naming the objects
# the scene read; the build tool reads it to learn those inputs. The target
# `name` depends on every output; ALL adds it to the default build.
# SEARCH_PATH (relative to the current source directory) names directories
# besides each model's own folder from which a model of another format may
# read the files it names (--search-path). READER_MEMORY and READER_TIMEOUT
# are the model reader's limits for such a model (--reader-memory,
# --reader-timeout).
# The property KZO_OUTPUTS of the target lists the files it always makes: each
# .kzo and, for a LightWave scene or a model of another format, the .mot and
# .cam asked for. A scene's .kzl (LIGHT) is written only when the scene has
# lights, unless EMPTY_LIGHT_FILE makes every scene write one (holding no
# light when it has none), which is then an output like the others; the
# textures a model file holds inside itself (OUT_texN.png, in TEXTURE_DIR
# when given, relative to the current binary directory) have names only the
# file knows and are not declared.
include_guard(GLOBAL)

set(_KZO_ADD_MODELS_DIR ${CMAKE_CURRENT_LIST_DIR})

function(kzo_add_models)
    cmake_parse_arguments(PARSE_ARGV 0 ARG
                          "ANIMATION;CAMERA;LIGHT;EMPTY_LIGHT_FILE;FIT;ALL;OCCLUSION;BOUNCE"
                          "TARGET;OUTPUT_DIR;SHADING;SCALE;SHADOW_TEST;FPS;TEXTURE_DIR;OCCLUSION_RAYS;OCCLUSION_DISTANCE;READER_MEMORY;READER_TIMEOUT"
                          "SOURCES;SEARCH_PATH")
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "kzo_add_models: unknown arguments: ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    foreach(required TARGET OUTPUT_DIR SOURCES)
        if(NOT ARG_${required})
            message(FATAL_ERROR "kzo_add_models: ${required} is required")
        endif()
    endforeach()
    if(NOT TARGET Kzo::kzomaker)
        message(FATAL_ERROR "kzo_add_models: Kzo::kzomaker is not defined; call "
                            "find_package(KzoTools) first")
    endif()

    set(options -q --deps)
    if(DEFINED ARG_SHADING)
        list(APPEND options --shading ${ARG_SHADING})
    endif()
    if(DEFINED ARG_SCALE)
        list(APPEND options --scale ${ARG_SCALE})
    endif()
    if(DEFINED ARG_SHADOW_TEST)
        list(APPEND options --shadow-test ${ARG_SHADOW_TEST})
    endif()
    foreach(dir IN LISTS ARG_SEARCH_PATH)
        cmake_path(ABSOLUTE_PATH dir BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE
                   OUTPUT_VARIABLE search_path)
        list(APPEND options --search-path ${search_path})
    endforeach()
    if(DEFINED ARG_FPS)
        list(APPEND options --fps ${ARG_FPS})
    endif()
    foreach(flag ANIMATION CAMERA LIGHT EMPTY_LIGHT_FILE FIT OCCLUSION BOUNCE)
        if(ARG_${flag})
            string(TOLOWER ${flag} name)
            string(REPLACE "_" "-" name ${name})
            list(APPEND options --${name})
        endif()
    endforeach()
    foreach(value OCCLUSION_RAYS OCCLUSION_DISTANCE READER_MEMORY READER_TIMEOUT)
        if(DEFINED ARG_${value})
            string(TOLOWER ${value} name)
            string(REPLACE "_" "-" name ${name})
            list(APPEND options --${name} ${ARG_${value}})
        endif()
    endforeach()

    cmake_path(ABSOLUTE_PATH ARG_OUTPUT_DIR BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
               NORMALIZE OUTPUT_VARIABLE output_dir)
    string(REGEX REPLACE "(.)/$" "\\1" output_dir "${output_dir}")
    set(texture_dir ${output_dir})
    if(DEFINED ARG_TEXTURE_DIR)
        cmake_path(ABSOLUTE_PATH ARG_TEXTURE_DIR BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
                   NORMALIZE OUTPUT_VARIABLE texture_dir)
        list(APPEND options --texture-dir ${texture_dir})
    endif()

    set(all_outputs)
    set(clean_files)
    foreach(source IN LISTS ARG_SOURCES)
        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE
                   OUTPUT_VARIABLE input)
        _kzo_model_outputs("${input}" "${output_dir}" kzo side_files embeds)
        set(outputs ${kzo})
        # Left to the clean target only: the dependency file, and a scene's
        # light file, which exists only when the scene has lights; declared
        # as an output, its absence would reconvert a scene without lights
        # on every build.
        list(APPEND clean_files ${kzo}.d)
        if(side_files)
            if(ARG_ANIMATION)
                list(APPEND outputs ${side_files}mot)
            endif()
            if(ARG_CAMERA)
                list(APPEND outputs ${side_files}cam)
            endif()
            if(ARG_LIGHT AND ARG_EMPTY_LIGHT_FILE)
                list(APPEND outputs ${side_files}kzl)
            elseif(ARG_LIGHT)
                list(APPEND clean_files ${side_files}kzl)
            endif()
        endif()
        set(after_conversion)
        if((side_files AND ARG_LIGHT) OR embeds)
            set(after_conversion
                COMMAND ${CMAKE_COMMAND} -DDEPFILE=${kzo}.d "-DOUTPUTS=${outputs}"
                        -P ${_KZO_ADD_MODELS_DIR}/KzoDepfileOutputs.cmake)
        endif()
        cmake_path(GET input FILENAME input_name)
        add_custom_command(
            OUTPUT ${outputs}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${output_dir} ${texture_dir}
            COMMAND Kzo::kzomaker ${options} -o ${output_dir} -- ${input}
            ${after_conversion}
            MAIN_DEPENDENCY ${input}
            DEPENDS $<TARGET_FILE:Kzo::kzomaker>
            DEPFILE ${kzo}.d
            COMMENT "Converting ${input_name}"
            VERBATIM)
        list(APPEND all_outputs ${outputs})
    endforeach()

    if(ARG_ALL)
        add_custom_target(${ARG_TARGET} ALL DEPENDS ${all_outputs})
    else()
        add_custom_target(${ARG_TARGET} DEPENDS ${all_outputs})
    endif()
    set_property(TARGET ${ARG_TARGET} PROPERTY KZO_OUTPUTS ${all_outputs})
    set_property(TARGET ${ARG_TARGET} APPEND PROPERTY ADDITIONAL_CLEAN_FILES ${clean_files})
endfunction()

# The converter's own naming: a name ending in 3ds or lws (any letter case)
# has those three characters replaced by kzo, without looking for a dot; any
# other model has the extension after its last dot replaced. side_var is the
# side files' path without their last three characters (they replace those of
# the .kzo the same way), empty unless the input is a scene or a model of
# another format; embeds_var is true for a model that can hold its textures.
function(_kzo_model_outputs input output_dir kzo_var side_var embeds_var)
    cmake_path(GET input FILENAME name)
    string(LENGTH "${name}" length)
    set(last3)
    if(length GREATER_EQUAL 3)
        math(EXPR cut "${length} - 3")
        string(SUBSTRING "${name}" ${cut} 3 last3)
        string(TOLOWER "${last3}" last3)
    endif()
    set(side)
    set(embeds FALSE)
    if(last3 STREQUAL "3ds" OR last3 STREQUAL "lws")
        string(SUBSTRING "${name}" 0 ${cut} stem)
        set(kzo "${output_dir}/${stem}kzo")
        if(last3 STREQUAL "lws")
            set(side "${output_dir}/${stem}")
        endif()
    else()
        string(FIND "${name}" "." dot REVERSE)
        if(dot LESS 0)
            message(FATAL_ERROR "kzo_add_models: '${input}' has no extension; kzomaker "
                                "chooses the reader by it")
        endif()
        string(SUBSTRING "${name}" 0 ${dot} stem)
        set(kzo "${output_dir}/${stem}.kzo")
        # A LightWave object has no side files and no embedded textures.
        string(SUBSTRING "${name}" ${dot} -1 extension)
        string(TOLOWER "${extension}" extension)
        if(NOT extension STREQUAL ".lwo")
            set(side "${output_dir}/${stem}.")
            set(embeds TRUE)
        endif()
    endif()
    set(${kzo_var} "${kzo}" PARENT_SCOPE)
    set(${side_var} "${side}" PARENT_SCOPE)
    set(${embeds_var} "${embeds}" PARENT_SCOPE)
endfunction()
