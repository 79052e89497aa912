# Shared build rules: warnings, sanitizers, ccache and the layer libraries.

find_program(TICKWOOD_CCACHE ccache)
if(TICKWOOD_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_C_COMPILER_LAUNCHER ${TICKWOOD_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${TICKWOOD_CCACHE})
endif()

find_package(PkgConfig REQUIRED)

add_library(tickwood_options INTERFACE)
target_include_directories(tickwood_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(tickwood_options INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual -Wimplicit-fallthrough
  $<$<BOOL:${TICKWOOD_WERROR}>:-Werror>)
if(TICKWOOD_SANITIZE)
  target_compile_options(tickwood_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(tickwood_options INTERFACE -fsanitize=address,undefined)
endif()

# tickwood_layer(<target> <folder> [DEPENDS targets...] [PRIVATE_DEPENDS targets...])
# One static library per layer folder; sources are the .cpp/.c files directly in the
# folder and in its named subfolders.
function(tickwood_layer target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_link_libraries(${target} PUBLIC tickwood_options ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
endfunction()

# Fails the build when a file includes a header of a layer it must not use.
function(tickwood_add_layer_check)
  file(GLOB_RECURSE checked CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/platform/*.h ${PROJECT_SOURCE_DIR}/platform/*.cpp
    ${PROJECT_SOURCE_DIR}/engine/*.h ${PROJECT_SOURCE_DIR}/engine/*.cpp
    ${PROJECT_SOURCE_DIR}/audio/*.h ${PROJECT_SOURCE_DIR}/audio/*.cpp
    ${PROJECT_SOURCE_DIR}/shell/*.h ${PROJECT_SOURCE_DIR}/shell/*.cpp
    ${PROJECT_SOURCE_DIR}/clockroom/*.h ${PROJECT_SOURCE_DIR}/clockroom/*.cpp)
  set(stamp ${CMAKE_BINARY_DIR}/layer-check.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DSTAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    DEPENDS ${checked} ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMENT "Checking layer boundaries" VERBATIM)
  add_custom_target(layer_check ALL DEPENDS ${stamp})
endfunction()
