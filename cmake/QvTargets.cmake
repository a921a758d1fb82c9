# Each folder's sources are globbed, so a new file needs no edit here.
# Program.cpp is a program's entry point and stays out of the library of its folder.

# qv_library(NAME DIR [LIBS ...]): a static library of every .cpp/.c below DIR except Program.cpp.
function(qv_library name dir)
  cmake_parse_arguments(L "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  list(FILTER srcs EXCLUDE REGEX "/Program\\.cpp$")
  if(srcs)
    add_library(${name} STATIC ${srcs})
  else()
    add_library(${name} INTERFACE)
  endif()
  get_target_property(kind ${name} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${L_LIBS})
  else()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_LIBS})
  endif()
endfunction()

# qv_program(NAME DIR LIB): the GUI program built from DIR/.../Program.cpp, the .rc files below
# DIR and the library LIB. Nothing is made while the program has no entry point yet.
function(qv_program name dir lib)
  file(GLOB_RECURSE entry CONFIGURE_DEPENDS ${dir}/Program.cpp)
  if(NOT entry)
    return()
  endif()
  file(GLOB_RECURSE rcs CONFIGURE_DEPENDS ${dir}/*.rc)
  add_executable(${name} WIN32 ${entry} ${rcs})
  target_link_libraries(${name} PRIVATE ${lib})
endfunction()
