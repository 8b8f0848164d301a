# The SMF reader under libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer. The model and file-layer sources are compiled
# into the target itself, so they are instrumented whatever the rest of the
# build uses.
set(TAMSEL_SMF_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
file(GLOB TAMSEL_SMF_FUZZ_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/io/*.cpp
  ${PROJECT_SOURCE_DIR}/src/model/*.cpp)
add_executable(fuzz_smf_reader smf_reader_fuzz.cpp ${TAMSEL_SMF_FUZZ_SOURCES})
target_include_directories(fuzz_smf_reader PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_compile_options(fuzz_smf_reader PRIVATE ${TAMSEL_SMF_FUZZ_FLAGS})
target_link_options(fuzz_smf_reader PRIVATE ${TAMSEL_SMF_FUZZ_FLAGS})
