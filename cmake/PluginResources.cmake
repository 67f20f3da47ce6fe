# The plug-in's resources (plugin/res/): the id headers the plug-in compiles against, generated
# from the description files at build time, and the copy of the resource folder that
# travels beside the module (plugins/vantri/res/, where the host looks for it).

# vantri_add_id_headers(<target> <header folder> <description files>...): a target that
# generates, at build time, "<header folder>/<name>.h" from each "<name>.json". A header is
# rewritten only when its content changes; one whose description is gone is removed.
set(VANTRI_ID_HEADER_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/ParameterIdHeader.cmake)
function(vantri_add_id_headers target folder)
    set(stamps "")
    set(headers "")
    set(stamp_folder ${CMAKE_CURRENT_BINARY_DIR}/${target}.stamps)
    file(MAKE_DIRECTORY ${stamp_folder})
    foreach(description ${ARGN})
        get_filename_component(name ${description} NAME_WE)
        set(header ${folder}/${name}.h)
        set(stamp ${stamp_folder}/${name}.ids)
        add_custom_command(
            OUTPUT ${stamp}
            BYPRODUCTS ${header}
            COMMAND ${CMAKE_COMMAND} -DDESCRIPTION=${description} -DHEADER=${header}
                    -P ${VANTRI_ID_HEADER_SCRIPT}
            COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
            DEPENDS ${description} ${VANTRI_ID_HEADER_SCRIPT}
            COMMENT "Generating the ids of ${name}"
            VERBATIM)
        list(APPEND stamps ${stamp})
        list(APPEND headers ${header})
    endforeach()
    file(GLOB old_headers ${folder}/*.h)
    foreach(old ${old_headers})
        if(NOT old IN_LIST headers)
            file(REMOVE ${old})
        endif()
    endforeach()
    add_custom_target(${target} DEPENDS ${stamps})
endfunction()

# vantri_parameter_ids: link it to include "parameter_ids/<description name>.h", e.g.
# "parameter_ids/ocrowdgenerator.h".
file(GLOB VANTRI_DESCRIPTION_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/plugin/res/descriptions/*.json)
set(VANTRI_PARAMETER_ID_DIR ${CMAKE_BINARY_DIR}/generated-ids/parameter_ids)
vantri_add_id_headers(vantri_parameter_id_headers ${VANTRI_PARAMETER_ID_DIR}
                      ${VANTRI_DESCRIPTION_FILES})
add_library(vantri_parameter_ids INTERFACE)
target_include_directories(vantri_parameter_ids INTERFACE ${CMAKE_BINARY_DIR}/generated-ids)
add_dependencies(vantri_parameter_ids vantri_parameter_id_headers)

# vantri_resources: plugin/res/ copied whole beside the module, again whenever a file in it is
# added, changed or removed (the listing changes with the set of files).
file(GLOB_RECURSE VANTRI_RESOURCE_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/plugin/res/*)
list(SORT VANTRI_RESOURCE_FILES)
list(JOIN VANTRI_RESOURCE_FILES "\n" _vantri_listing)
set(_vantri_listing_file ${CMAKE_BINARY_DIR}/generated/resource_files.txt)
file(CONFIGURE OUTPUT ${_vantri_listing_file} CONTENT "${_vantri_listing}\n")
set(_vantri_resources_stamp ${CMAKE_BINARY_DIR}/generated/resources.copied)
add_custom_command(
    OUTPUT ${_vantri_resources_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${VANTRI_PLUGIN_DIR}/res
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/plugin/res ${VANTRI_PLUGIN_DIR}/res
    COMMAND ${CMAKE_COMMAND} -E touch ${_vantri_resources_stamp}
    DEPENDS ${VANTRI_RESOURCE_FILES} ${_vantri_listing_file}
    COMMENT "Copying the plug-in's resources beside the module"
    VERBATIM)
add_custom_target(vantri_resources DEPENDS ${_vantri_resources_stamp})
