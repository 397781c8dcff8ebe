# libheif is opened at run time by src/codec/heif/HeifLibrary.cpp, not linked:
# by the SONAME of the library pkg-config found, so that the library loaded is
# the one whose headers the reader is compiled against. quorel_heif_api gives
# those headers, that name and the dynamic loader.
set(quorel_heif_file ${HEIF_LINK_LIBRARIES})
list(FILTER quorel_heif_file INCLUDE REGEX "/libheif[^/]*$")
if(NOT quorel_heif_file)
  message(FATAL_ERROR "pkg-config named no libheif file: ${HEIF_LINK_LIBRARIES}")
endif()
list(GET quorel_heif_file 0 quorel_heif_file)
execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${quorel_heif_file}
                OUTPUT_VARIABLE quorel_heif_dynamic RESULT_VARIABLE quorel_heif_objdump)
string(REGEX MATCH "SONAME +([^ \r\n]+)" quorel_heif_soname_line "${quorel_heif_dynamic}")
if(NOT quorel_heif_objdump EQUAL 0 OR NOT CMAKE_MATCH_1)
  message(FATAL_ERROR "No SONAME read from ${quorel_heif_file} (objdump: ${CMAKE_OBJDUMP})")
endif()
set(QUOREL_HEIF_SONAME ${CMAKE_MATCH_1})
message(STATUS "libheif is loaded at run time as ${QUOREL_HEIF_SONAME}")

add_library(quorel_heif_api INTERFACE)
target_include_directories(quorel_heif_api SYSTEM INTERFACE ${HEIF_INCLUDE_DIRS})
target_compile_options(quorel_heif_api INTERFACE ${HEIF_CFLAGS_OTHER})
target_compile_definitions(quorel_heif_api INTERFACE QUOREL_HEIF_SONAME="${QUOREL_HEIF_SONAME}")
target_link_libraries(quorel_heif_api INTERFACE ${CMAKE_DL_LIBS})
