# The sample server generator (see tools/README.md); the demo and the tests
# build their servers with it.
add_executable(shgs-make-server tools/make_server.cc)
target_link_libraries(shgs-make-server PRIVATE shgs_warnings)
