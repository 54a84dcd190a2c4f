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
