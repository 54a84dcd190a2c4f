# CPack pre-build script: shapes the staged files of a package before it is
# archived. A .deb gets what Debian asks of one: the licence as a copyright
# file, the package's own changelog, compressed manual page and documents,
# and the lintian overrides.

set(stage "${CPACK_TEMPORARY_DIRECTORY}")

# gzip -9n: no name and no time in the header, so the bytes follow the input.
function(shgs_gzip path)
  execute_process(COMMAND gzip -9nf "${path}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${path} failed")
  endif()
endfunction()

# The MIT licence in Debian's machine-readable form, where it is "Expat".
# The MIT licence in Debian's machine-readable form, where it is "Expat".
function(shgs_write_copyright source destination)
  file(STRINGS "${source}" lines)
  set(holder "")
  set(body "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^Copyright \\(c\\) (.+)$")
      set(holder "${CMAKE_MATCH_1}")
    elseif(holder STREQUAL "")
      # The title and the copyright line are fields of their own.
    elseif(line STREQUAL "")
      string(APPEND body " .\n")
    else()
      string(APPEND body " ${line}\n")
    endif()
  endforeach()
  if(holder STREQUAL "")
    message(FATAL_ERROR "${source} names no copyright holder")
  endif()
  string(REGEX REPLACE "^ \\.\n" "" body "${body}")
  file(WRITE "${destination}"
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: ${CPACK_PACKAGE_NAME}
Upstream-Contact: ${CPACK_DEBIAN_PACKAGE_MAINTAINER}
Source: ${CPACK_PACKAGE_HOMEPAGE_URL}

Files: *
Copyright: ${holder}
License: Expat
${body}")
endfunction()

# One entry for the release, dated by SOURCE_DATE_EPOCH when it is set
# (string(TIMESTAMP) reads it), so the bytes follow the commit.
function(shgs_write_debian_changelog destination)
  string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  set(version "${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
  file(WRITE "${destination}"
"${CPACK_PACKAGE_NAME} (${version}) unstable; urgency=medium

  * Release ${CPACK_PACKAGE_VERSION}; see changelog.gz for what it brings.

 -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}
")
endfunction()

if(CPACK_GENERATOR STREQUAL "DEB")
  set(installed "${stage}${CPACK_PACKAGING_INSTALL_PREFIX}")
  set(doc "${installed}/${CPACK_SHGS_DOC_DIR}")
  shgs_write_copyright("${doc}/LICENSE" "${doc}/copyright")
  file(REMOVE "${doc}/LICENSE")
  file(RENAME "${doc}/CHANGELOG.md" "${doc}/changelog")
  shgs_gzip("${doc}/changelog")
  shgs_write_debian_changelog("${doc}/changelog.Debian")
  shgs_gzip("${doc}/changelog.Debian")
  shgs_gzip("${installed}/${CPACK_SHGS_MAN_DIR}/man1/${CPACK_PACKAGE_NAME}.1")
  # Debian compresses documents larger than 4 kB; the report's schema stays
  # as it is, for the programs that read it.
  shgs_gzip("${doc}/README.md")
  shgs_gzip("${doc}/RELIABILITY.md")
  file(RENAME "${installed}/share/zsh/site-functions"
       "${installed}/share/zsh/vendor-completions")
  file(MAKE_DIRECTORY "${installed}/share/lintian/overrides")
  file(COPY_FILE "${CPACK_SHGS_SOURCE_DIR}/packaging/debian/lintian-overrides"
       "${installed}/share/lintian/overrides/${CPACK_PACKAGE_NAME}")
endif()
