# The window-free engine sources, shared by the kestle_core library and the fuzz targets.
set(KESTLE_CORE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(KESTLE_CORE_SOURCES
  ${KESTLE_CORE_DIR}/bitmap8.cpp
  ${KESTLE_CORE_DIR}/colour_query.cpp
  ${KESTLE_CORE_DIR}/control_file.cpp
  ${KESTLE_CORE_DIR}/explain_report.cpp
  ${KESTLE_CORE_DIR}/line_reader.cpp
  ${KESTLE_CORE_DIR}/marks.cpp
  ${KESTLE_CORE_DIR}/messages.cpp
  ${KESTLE_CORE_DIR}/notes_page.cpp
  ${KESTLE_CORE_DIR}/palette.cpp
  ${KESTLE_CORE_DIR}/parser.cpp
  ${KESTLE_CORE_DIR}/run_text.cpp
  ${KESTLE_CORE_DIR}/settings.cpp
  ${KESTLE_CORE_DIR}/spatial_query.cpp
  ${KESTLE_CORE_DIR}/text.cpp
  ${KESTLE_CORE_DIR}/variables.cpp
  ${KESTLE_CORE_DIR}/work_file.cpp
  ${KESTLE_CORE_DIR}/xml_layout.cpp)
