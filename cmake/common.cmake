# Language level and warnings shared by the Linux and the Windows build, and
# the way a folder takes in the programs or test groups below it.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
add_compile_options(-Wall -Wextra -Werror)
# No build paths in the binaries: the source tree is written as "." and the
# build tree as "build" in file names and debug information, so that two
# builds of a commit in different folders give the same bytes. (The build
# tree may lie inside the source tree; the last mapping that matches wins.)
get_filename_component(source_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
add_compile_options(-ffile-prefix-map=${source_root}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
# GCC 12 takes std::string concatenation at -O3 for an overlapping copy, a
# known false alarm; later versions do not.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()

# Adds every folder below the current one that has a CMakeLists.txt of its own.
function(add_subfolders)
  file(GLOB dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir ${dirs})
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
