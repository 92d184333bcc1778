# cpackstaging.cmake - run by cpack on each staged install tree before it is packed: compresses
# the manual pages and adds the copyright and changelog documents that a Debian package carries.
# The tree is the same for every generator, so the .tar.gz holds the same files as the .deb.
set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(docdir ${root}/${CPACK_VESK_DOCDIR})

# gzip -n: no name or time stamp in the header. The dates below follow SOURCE_DATE_EPOCH when
# it is set, so that a package can be built again byte for byte.
function(compress file)
  execute_process(COMMAND gzip -9nf ${file} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${file} failed (${status})")
  endif()
endfunction()

file(GLOB pages ${root}/${CPACK_VESK_MANDIR}/man*/*.[1-9])
foreach(page ${pages})
  compress(${page})
endforeach()

string(TIMESTAMP now "%a, %d %b %Y %H:%M:%S +0000" UTC)
string(TIMESTAMP year "%Y" UTC)
file(WRITE ${docdir}/copyright
     "vesk ${CPACK_PACKAGE_VERSION}: an embeddable script engine for C++ hosts and its command.\n\n"
     "Copyright ${year} the vesk developers.\n\n"
     "License: the project has not named a license for its sources yet; until it does, the\n"
     "copyright holders reserve all rights.\n")
file(WRITE ${docdir}/changelog
     "vesk (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
     "  * vesk ${CPACK_PACKAGE_VERSION}, packaged from the project's sources by cpack.\n\n"
     " -- ${CPACK_PACKAGE_CONTACT}  ${now}\n")
compress(${docdir}/changelog)
