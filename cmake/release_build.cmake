# Build settings of the released programs: a Linux binary that runs on any
# Linux, binaries that are the same bytes whoever builds the same commit
# wherever, and the Windows version resource.

if(SHGS_PORTABLE_STATIC AND NOT WIN32)
  # static-pie keeps address randomisation; the rest is Debian's hardening.
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  # Fortification needs an optimised build.
  add_compile_options(-fstack-protector-strong
                      $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
  add_link_options(-static-pie -Wl,-z,relro,-z,now)
endif()

if(SHGS_REPRODUCIBLE)
  add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}/="
                      "-ffile-prefix-map=${PROJECT_BINARY_DIR}/=")
endif()

if(MINGW)
  # The PE header's link time would make every build differ.
  add_link_options(-Wl,--no-insert-timestamp)
  enable_language(RC)
endif()

# Gives "target" the version resource Explorer's Properties show. No
# manifest: one that declares an execution level turns off the writes
# Windows redirects for a program without administrator rights, which the
# error logs in a server below Program Files rely on.
function(shgs_add_version_resource target)
  set(resource "${CMAKE_CURRENT_BINARY_DIR}/version.rc")
  configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/version.rc.in"
                 "${resource}" @ONLY)
  target_sources(${target} PRIVATE "${resource}")
endfunction()
