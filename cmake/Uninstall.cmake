# Removes the files listed in MANIFEST (the install_manifest.txt that `cmake --install`
# writes) and nothing else. Run as: cmake -DMANIFEST=build/install_manifest.txt -P Uninstall.cmake
if(NOT MANIFEST OR NOT EXISTS "${MANIFEST}")
    message(FATAL_ERROR "Nothing to uninstall: '${MANIFEST}' does not exist. It is written "
                        "by the install, in the build tree that installed.")
endif()

file(STRINGS "${MANIFEST}" installed)
foreach(file IN LISTS installed)
    if(IS_DIRECTORY "${file}" AND NOT IS_SYMLINK "${file}")
        # An install records files only; a folder here is not ours to remove.
        message(STATUS "Kept (a folder): ${file}")
    elseif(EXISTS "${file}" OR IS_SYMLINK "${file}")
        file(REMOVE "${file}")
        message(STATUS "Removed: ${file}")
    else()
        message(STATUS "Already gone: ${file}")
    endif()
endforeach()
