# The SMF reader under libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer. The model and codec sources are compiled into
# the target itself, so they are instrumented whatever the rest of the build
# uses.
set(TAMSEL_SMF_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
add_executable(fuzz_smf_reader
  smf_reader_fuzz.cpp
  ${PROJECT_SOURCE_DIR}/src/model/diagnostics.cpp
  ${PROJECT_SOURCE_DIR}/src/model/midi.cpp
  ${PROJECT_SOURCE_DIR}/src/model/midi_obj.cpp
  ${PROJECT_SOURCE_DIR}/src/model/smf_reader.cpp
  ${PROJECT_SOURCE_DIR}/src/model/smf_writer.cpp
  ${PROJECT_SOURCE_DIR}/src/io/archive.cpp
  ${PROJECT_SOURCE_DIR}/src/io/file.cpp)
target_include_directories(fuzz_smf_reader PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_compile_options(fuzz_smf_reader PRIVATE ${TAMSEL_SMF_FUZZ_FLAGS})
target_link_options(fuzz_smf_reader PRIVATE ${TAMSEL_SMF_FUZZ_FLAGS})
