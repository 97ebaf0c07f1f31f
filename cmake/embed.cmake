# kestle_embed(<target> <symbol> <file>): compiles <file> into <target> as
# `extern const char <symbol>[]` (NUL-terminated) and `extern const unsigned <symbol>_size`.
function(kestle_embed target symbol file)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${symbol}_embed.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${file} -DOUT=${out} -DSYMBOL=${symbol}
            -P ${CMAKE_SOURCE_DIR}/cmake/embed_file.cmake
    DEPENDS ${file} ${CMAKE_SOURCE_DIR}/cmake/embed_file.cmake
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
