# Run by CPack after it made the Debian packages (CPACK_POST_BUILD_SCRIPTS),
# to mend what CPack 3.25 gets wrong:
# - it calls ldconfig from postinst and postrm of any package with a shared
#   object below /usr/lib, though the programs' modules are loaded by path and
#   dpkg's own trigger runs ldconfig where it is needed;
# - the md5sums of a -dbgsym package name the files by their path in CPack's
#   staging folder, and the package has no copyright file or changelog, which
#   a debug package takes from the package it belongs to through a link.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.d?deb$")
        continue()
    endif()
    set(root ${package}.contents)
    file(REMOVE_RECURSE ${root})
    execute_process(COMMAND dpkg-deb -R ${package} ${root} COMMAND_ERROR_IS_FATAL ANY)

    foreach(script postinst postrm)
        set(path ${root}/DEBIAN/${script})
        if(EXISTS ${path})
            file(READ ${path} text)
            if(text MATCHES "^#!/bin/sh\n\nset -e\n\nif \\[ \"\\$1\" = \"[a-z]+\" \\]; then\n\tldconfig\nfi\n*$")
                file(REMOVE ${path})
            endif()
        endif()
    endforeach()

    if(package MATCHES "\\.ddeb$")
        file(STRINGS ${root}/DEBIAN/control name REGEX "^Package: ")
        string(REGEX REPLACE "^Package: " "" name "${name}")
        string(REGEX REPLACE "-dbgsym$" "" owner "${name}")
        file(MAKE_DIRECTORY ${root}/usr/share/doc)
        file(CREATE_LINK ${owner} ${root}/usr/share/doc/${name} SYMBOLIC)
        file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${root} ${root}/usr/*)
        list(SORT files)
        set(sums "")
        foreach(file IN LISTS files)
            if(NOT IS_SYMLINK ${root}/${file})
                file(MD5 ${root}/${file} sum)
                string(APPEND sums "${sum}  ${file}\n")
            endif()
        endforeach()
        file(WRITE ${root}/DEBIAN/md5sums "${sums}")
    endif()

    execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip -b ${root} ${package}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${root})
endforeach()
