# The pictures of the colour search, drawn at build time into pictures/ of KESTLE_DEMO_OUT:
# picNN.bmp and its colour map picNN.map, as zal-makepictures.xmp loads them.
set(KESTLE_PICTURE_COUNT 48)
add_executable(make_pictures ${CMAKE_CURRENT_LIST_DIR}/make_pictures.cpp)
target_link_libraries(make_pictures PRIVATE kestle_core)
set_target_properties(make_pictures PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/demo-tools)

set(picture_files)
foreach(n RANGE 1 ${KESTLE_PICTURE_COUNT})
  if(n LESS 10)
    set(n 0${n})
  endif()
  list(APPEND picture_files ${KESTLE_DEMO_OUT}/pictures/pic${n}.bmp ${KESTLE_DEMO_OUT}/pictures/pic${n}.map)
endforeach()
add_custom_command(OUTPUT ${picture_files}
  COMMAND make_pictures ${KESTLE_DEMO_OUT}/pictures ${KESTLE_PICTURE_COUNT}
  DEPENDS make_pictures
  COMMENT "Drawing the pictures of the colour search")
add_custom_target(demo_pictures DEPENDS ${picture_files})
add_dependencies(kestle_demo_files demo_pictures)
