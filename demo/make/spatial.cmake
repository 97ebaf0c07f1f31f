# The map demonstration: its aerial map and its setup script, both made from the houses' data.
add_library(spatial_data STATIC ${CMAKE_CURRENT_LIST_DIR}/spatial_data.cpp)
# The map's measures come from the map search itself; they need nothing linked.
target_include_directories(spatial_data PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR}/engine/core)

add_executable(make_spatial ${CMAKE_CURRENT_LIST_DIR}/make_spatial.cpp)
target_link_libraries(make_spatial PRIVATE spatial_data Qt6::Gui)
set_target_properties(make_spatial PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/demo-make)

set(spatial_outputs ${KESTLE_DEMO_OUT}/realestate.jpg ${KESTLE_DEMO_OUT}/zal-makespatial.xmp)
add_custom_command(OUTPUT ${spatial_outputs}
  COMMAND make_spatial ${KESTLE_DEMO_OUT}
  DEPENDS make_spatial
  COMMENT "Drawing the map and the houses of the map demonstration")
add_custom_target(spatial_demo_files DEPENDS ${spatial_outputs})
add_dependencies(kestle_demo_files spatial_demo_files)
