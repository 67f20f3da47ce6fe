# Every include is written from the repository's root ("host/scene/Document.h",
# "plugin/object/CrowdWorld.h"), and each target sees only the folders it may use: its include
# root is a folder of links, one per allowed top-level folder, so an include of a folder it
# may not use does not compile. The host never sees plugin/; the module never sees host/.

# vantri_include_roots(<target> <PUBLIC|PRIVATE|INTERFACE> <folder>...): gives <target> an
# include root that holds exactly <folder>... of the repository.
function(vantri_include_roots target scope)
    set(include_root ${CMAKE_BINARY_DIR}/include-roots/${target})
    file(REMOVE_RECURSE ${include_root})
    file(MAKE_DIRECTORY ${include_root})
    foreach(folder ${ARGN})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${include_root}/${folder} SYMBOLIC)
    endforeach()
    target_include_directories(${target} ${scope} ${include_root})
endfunction()
