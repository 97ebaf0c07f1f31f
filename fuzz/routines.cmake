# The routines that parse bytes from SQL values or files, built from their sources.
set(KESTLE_ROUTINES_DIR ${CMAKE_SOURCE_DIR}/routines)
foreach(name search rgb airports)
  kestle_fuzzer(fuzz_${name} ${CMAKE_CURRENT_LIST_DIR}/routines_${name}.cpp ${KESTLE_ROUTINES_DIR}/${name}.cpp)
  target_include_directories(fuzz_${name} PRIVATE ${KESTLE_ROUTINES_DIR})
endforeach()
