# The Pellomar decoder under libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer: fuzz_pellomar feeds any text to the decoder,
# fuzz_pellomar_file takes file bytes through loading to the written SMF.
# The core sources they use are compiled into each target, so they are
# instrumented whatever the rest of the build uses.
set(TAMSEL_PELLOMAR_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
set(TAMSEL_PELLOMAR_FUZZ_SOURCES
  ${PROJECT_SOURCE_DIR}/src/io/archive.cpp
  ${PROJECT_SOURCE_DIR}/src/io/atomic_file_writer.cpp
  ${PROJECT_SOURCE_DIR}/src/io/file.cpp
  ${PROJECT_SOURCE_DIR}/src/model/diagnostics.cpp
  ${PROJECT_SOURCE_DIR}/src/model/midi.cpp
  ${PROJECT_SOURCE_DIR}/src/model/midi_obj.cpp
  ${PROJECT_SOURCE_DIR}/src/model/smf_reader.cpp
  ${PROJECT_SOURCE_DIR}/src/model/smf_writer.cpp
  ${PROJECT_SOURCE_DIR}/src/text/code_page.cpp
  ${PROJECT_SOURCE_DIR}/src/text/unicode.cpp
  ${PROJECT_SOURCE_DIR}/src/pellomar/channel_line.cpp
  ${PROJECT_SOURCE_DIR}/src/pellomar/conductor_line.cpp
  ${PROJECT_SOURCE_DIR}/src/pellomar/decoder.cpp
  ${PROJECT_SOURCE_DIR}/src/pellomar/header_texts.cpp
  ${PROJECT_SOURCE_DIR}/src/pellomar/meta_text.cpp
  ${PROJECT_SOURCE_DIR}/src/pellomar/number.cpp
  ${PROJECT_SOURCE_DIR}/src/pellomar/text_search.cpp
  ${PROJECT_SOURCE_DIR}/src/songfile/song_file.cpp)
foreach(target pellomar pellomar_file)
  add_executable(fuzz_${target} ${target}_fuzz.cpp ${TAMSEL_PELLOMAR_FUZZ_SOURCES})
  target_include_directories(fuzz_${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(fuzz_${target} PRIVATE ${TAMSEL_PELLOMAR_FUZZ_FLAGS})
  target_link_options(fuzz_${target} PRIVATE ${TAMSEL_PELLOMAR_FUZZ_FLAGS})
endforeach()
