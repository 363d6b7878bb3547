# zel_embed_file(<target> <NAME> <file>): compiles <file> into <target> as
# the resource zel::resources::<NAME> (a std::string_view).
function(zel_embed_file target name file)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/resources/${name}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${file} -DOUTPUT=${out} -DNAME=${name}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${file} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
