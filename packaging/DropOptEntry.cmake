# Run by cpack after it built the package. CPack lists every parent folder in
# the package, /opt too, and dpkg then counts /opt as the package's own and
# removes it on purge when nothing else is in it. This packs the files again
# without the bare ./opt/ entry, everything else as it was (owners, modes,
# times); preinst makes /opt where it is missing. Needs ar and GNU tar.
function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${work}" RESULT_VARIABLE failed OUTPUT_VARIABLE out)
    if(failed)
        message(FATAL_ERROR "Cannot take ./opt/ out of ${deb}: ${ARGN} failed")
    endif()
    set(out "${out}" PARENT_SCOPE)
endfunction()

foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    if(NOT deb MATCHES "\\.deb$")
        continue()
    endif()
    set(work "${deb}.parts")
    file(REMOVE_RECURSE "${work}")
    file(MAKE_DIRECTORY "${work}/tree")
    run(ar x "${deb}" data.tar.gz)
    run(tar -xpzf data.tar.gz -C tree)
    run(tar -tzf data.tar.gz)
    string(REGEX REPLACE "(^|\n)\\./opt/\n" "\\1" entries "${out}")
    file(WRITE "${work}/entries" "${entries}")
    run(tar -czf data.tar.gz -C tree --no-recursion --owner=root:0 --group=root:0 -T "${work}/entries")
    run(ar r "${deb}" data.tar.gz)
    file(REMOVE_RECURSE "${work}")
endforeach()
