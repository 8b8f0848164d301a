add_executable(pellomar_bench pellomar_bench.cpp)
target_link_libraries(pellomar_bench PRIVATE tamsel_core benchmark::benchmark)

# Used by pellomar_peers.sh to time the same events against csvmidi.
add_executable(pellomar_tool pellomar_tool.cpp)
target_link_libraries(pellomar_tool PRIVATE tamsel_core)
