# CPack post-build script: makes the .tar.gz and the .zip again from the
# staged files, in name order, owned by root, dated SOURCE_DATE_EPOCH. CPack
# archives files in the order the file system lists them, which differs from
# one machine to the next, and with the builder's owner; the .deb generator
# already sorts, owns and dates its files so.

if(NOT CPACK_GENERATOR MATCHES "^(TGZ|ZIP)$")
  return()
endif()

set(top "${CPACK_TEMPORARY_DIRECTORY}")
get_filename_component(parent "${top}" DIRECTORY)
get_filename_component(folder "${top}" NAME)
list(GET CPACK_PACKAGE_FILES 0 package)
set(epoch "$ENV{SOURCE_DATE_EPOCH}")

function(shgs_check_results results what)
  foreach(result IN LISTS results)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${what} failed: ${result}")
    endif()
  endforeach()
endfunction()

file(REMOVE "${package}")
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(time_option)
  if(NOT epoch STREQUAL "")
    set(time_option "--mtime=@${epoch}")
  endif()
  execute_process(
    COMMAND tar --create --format=gnu --sort=name --owner=0 --group=0
            --numeric-owner --mode=u+w,go-w,a+rX ${time_option}
            "--directory=${parent}" "${folder}"
    COMMAND gzip -9n
    OUTPUT_FILE "${package}"
    RESULTS_VARIABLE results)
  shgs_check_results("${results}" "tar")
else()
  # zip -X leaves out owners and extra times; its times are local ones.
  file(GLOB_RECURSE files RELATIVE "${parent}" "${top}/*")
  list(SORT files)
  set(ENV{TZ} UTC)
  if(NOT epoch STREQUAL "")
    execute_process(COMMAND touch -h -d "@${epoch}" ${files}
                    WORKING_DIRECTORY "${parent}" RESULTS_VARIABLE results)
    shgs_check_results("${results}" "touch")
  endif()
  list(JOIN files "\n" listing)
  file(WRITE "${parent}/zip-listing" "${listing}\n")
  execute_process(COMMAND zip -X -D -q -9 "${package}" -@
                  INPUT_FILE "${parent}/zip-listing"
                  WORKING_DIRECTORY "${parent}" RESULTS_VARIABLE results)
  shgs_check_results("${results}" "zip")
endif()
