# The routines that parse bytes from SQL values, built from their sources.
set(KESTLE_ROUTINES_DIR ${CMAKE_SOURCE_DIR}/routines)
kestle_fuzzer(fuzz_search ${CMAKE_CURRENT_LIST_DIR}/routines_search.cpp ${KESTLE_ROUTINES_DIR}/search.cpp)
kestle_fuzzer(fuzz_rgb ${CMAKE_CURRENT_LIST_DIR}/routines_rgb.cpp ${KESTLE_ROUTINES_DIR}/rgb.cpp)
target_include_directories(fuzz_search PRIVATE ${KESTLE_ROUTINES_DIR})
target_include_directories(fuzz_rgb PRIVATE ${KESTLE_ROUTINES_DIR})
