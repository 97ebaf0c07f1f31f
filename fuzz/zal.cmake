# The database product: its call-level interface built once with the sanitizers, and the
# targets of its dialect, its CREATE FUNCTION parser and its C entry points over it.
file(GLOB ZAL_CLI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/zal/cli/*.cpp)
add_library(zal_fuzz STATIC ${ZAL_CLI_SOURCES})
target_compile_options(zal_fuzz PRIVATE ${FUZZ_FLAGS})
target_include_directories(zal_fuzz PUBLIC ${CMAKE_SOURCE_DIR}/zal/include ${CMAKE_SOURCE_DIR}/zal/cli)
target_link_libraries(zal_fuzz PUBLIC SQLite::SQLite3 ${CMAKE_DL_LIBS} Threads::Threads)
foreach(name dialect create_function cli)
  kestle_fuzzer(fuzz_${name} ${CMAKE_CURRENT_LIST_DIR}/zal_${name}.cpp)
  target_link_libraries(fuzz_${name} PRIVATE zal_fuzz)
endforeach()
