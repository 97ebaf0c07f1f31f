# Fuzz targets of the engine's window-free core, built from its sources.
include(${CMAKE_SOURCE_DIR}/engine/core/core_sources.cmake)
foreach(name control_file explain_report parsecmd var_sub run_split xml_layout highlight)
  kestle_fuzzer(fuzz_${name} ${CMAKE_CURRENT_SOURCE_DIR}/engine_${name}.cpp ${KESTLE_CORE_SOURCES})
  target_include_directories(fuzz_${name} PRIVATE ${KESTLE_CORE_DIR})
endforeach()
