# The record layouts and record building shared by the sample server
# generator and the tests; independent of the exporter's own decoding.
add_library(shgs_sample_server STATIC
  tools/record_builder.cc
  tools/record_fields.cc
)
target_include_directories(shgs_sample_server PUBLIC tools)
target_link_libraries(shgs_sample_server PUBLIC shgs_warnings)

# The sample server generator (see tools/README.md); the demo and the tests
# build their servers with it.
add_executable(shgs-make-server tools/make_server.cc)
target_link_libraries(shgs-make-server PRIVATE shgs_sample_server)

# The bundled sample server as a ready Wine prefix. The Linux packages install
# it, so that an operator can try the program before pointing it at a server
# of their own; a run with options only reads it.
if(NOT WIN32)
  set(sample_prefix "${CMAKE_CURRENT_BINARY_DIR}/sample-server")
  add_custom_command(
    OUTPUT "${sample_prefix}/system.reg"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${sample_prefix}"
    COMMAND shgs-make-server "${PROJECT_SOURCE_DIR}/examples/sample-server.txt"
            "${sample_prefix}"
    DEPENDS shgs-make-server examples/sample-server.txt
    COMMENT "Making the sample server's prefix")
  add_custom_target(shgs_sample_prefix ALL
                    DEPENDS "${sample_prefix}/system.reg")
  install(DIRECTORY "${sample_prefix}/"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/shgs-exporter/sample-server")
endif()
