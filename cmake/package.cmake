# What an installation holds, and the release packages made from it with
# CPack: on Windows a zip of one folder for operators; elsewhere a .tar.gz and
# a .deb of the program with its manual page and documents.

set(SHGS_PACKAGE_MAINTAINER
    "SHGS Game Settings Exporter maintainers <maintainers@shgs-exporter.example.org>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME shgs-exporter)
set(CPACK_PACKAGE_VENDOR "The SHGS Game Settings Exporter authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "report of a Starhaul Deluxe Game Server's settings")
set(CPACK_PACKAGE_HOMEPAGE_URL "${SHGS_HOME_PAGE_URL}")
set(CPACK_STRIP_FILES TRUE)
# The staged files are shaped before archiving (the .deb gets what Debian asks
# of one), and the archives are made again afterwards in a fixed order
# (reproducible packages).
set(CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/package_stage.cmake")
set(CPACK_POST_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/package_repack.cmake")
set(CPACK_SHGS_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
# Directories the install creates are readable by all, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

# Writes "source" to "destination" with CR LF line ends, which every Notepad
# shows as lines.
function(shgs_copy_with_crlf source destination)
  file(READ "${source}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${destination}" "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
endfunction()

if(WIN32)
  # The operator's files, never the contributors'.
  set(package_texts "${CMAKE_CURRENT_BINARY_DIR}/package-texts")
  foreach(pair IN ITEMS "README.md|README.md" "RELIABILITY.md|RELIABILITY.md"
                        "docs/QUICKSTART.txt|QUICKSTART.txt"
                        "LICENSE|LICENSE.txt" "CHANGELOG.md|CHANGELOG.md"
                        "docs/report.schema.json|report.schema.json"
                        "docs/game-list.schema.json|game-list.schema.json"
                        "packaging/windows/Run exporter.cmd|Run exporter.cmd")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 name)
    shgs_copy_with_crlf("${PROJECT_SOURCE_DIR}/${source}" "${package_texts}/${name}")
    install(FILES "${package_texts}/${name}" DESTINATION .)
  endforeach()
  install(TARGETS shgs-exporter RUNTIME DESTINATION .)

  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(package_platform win32)
  else()
    set(package_platform win64)
  endif()
  set(CPACK_GENERATOR ZIP)
else()
  include(GNUInstallDirs)
  string(TIMESTAMP SHGS_MANUAL_DATE "%Y-%m-%d" UTC)
  configure_file(docs/shgs-exporter.1.in shgs-exporter.1 @ONLY)
  install(TARGETS shgs-exporter RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  install(FILES "${CMAKE_CURRENT_BINARY_DIR}/shgs-exporter.1"
          DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
  set(shgs_doc_dir "${CMAKE_INSTALL_DATAROOTDIR}/doc/shgs-exporter")
  install(FILES README.md RELIABILITY.md LICENSE CHANGELOG.md
                docs/report.schema.json docs/game-list.schema.json
          DESTINATION "${shgs_doc_dir}")
  # Where bash-completion looks; the zsh file goes where zsh looks below
  # /usr/local, and the .deb moves it to Debian's vendor-completions.
  install(FILES packaging/completions/shgs-exporter.bash
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions"
          RENAME shgs-exporter)
  install(FILES packaging/completions/_shgs-exporter
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/zsh/site-functions")

  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}"
         package_platform)
  set(CPACK_GENERATOR TGZ)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    list(APPEND CPACK_GENERATOR DEB)
  endif()
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SHGS_PACKAGE_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${SHGS_HOME_PAGE_URL}")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
  set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
  # CPack puts the summary above it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "The exporter reads the settings of a Starhaul Deluxe Game Server that
runs under Wine (the prefix's registry file system.reg and the server's data
files) and writes one fixed-width report of the server-wide settings and
those of the games chosen on a console menu: plain, or with forum (BBCode)
mark-up, ready to paste into a forum post. It only reads the server's files.")
  # A static program needs no libraries; any other build names the ones it
  # links.
  if(NOT SHGS_PORTABLE_STATIC)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  endif()
  # Where the pre-build script finds what it shapes.
  set(CPACK_SHGS_DOC_DIR "${shgs_doc_dir}")
  set(CPACK_SHGS_MAN_DIR "${CMAKE_INSTALL_MANDIR}")
endif()
set(CPACK_PACKAGE_FILE_NAME
    "shgs-exporter-${PROJECT_VERSION}-${package_platform}")
include(CPack)
