add_executable(smf_bench smf_bench.cpp)
target_link_libraries(smf_bench PRIVATE tamsel_core benchmark::benchmark)

# Used by smf_peers.sh to time the same file against other tools.
add_executable(smf_roundtrip smf_roundtrip.cpp)
target_link_libraries(smf_roundtrip PRIVATE tamsel_core)
