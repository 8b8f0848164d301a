# The Pellomar decoder under libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer: fuzz_pellomar feeds any text to the decoder,
# fuzz_pellomar_file takes file bytes through loading to the written SMF.
# The core sources they use are compiled into each target, so they are
# instrumented whatever the rest of the build uses.
set(TAMSEL_PELLOMAR_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
# Every source of the areas on the way from file bytes to a written SMF.
file(GLOB TAMSEL_PELLOMAR_FUZZ_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/io/*.cpp
  ${PROJECT_SOURCE_DIR}/src/model/*.cpp
  ${PROJECT_SOURCE_DIR}/src/text/*.cpp
  ${PROJECT_SOURCE_DIR}/src/pellomar/*.cpp
  ${PROJECT_SOURCE_DIR}/src/songfile/*.cpp)
foreach(target pellomar pellomar_file)
  add_executable(fuzz_${target} ${target}_fuzz.cpp ${TAMSEL_PELLOMAR_FUZZ_SOURCES})
  target_include_directories(fuzz_${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(fuzz_${target} PRIVATE ${TAMSEL_PELLOMAR_FUZZ_FLAGS})
  target_link_options(fuzz_${target} PRIVATE ${TAMSEL_PELLOMAR_FUZZ_FLAGS})
endforeach()
