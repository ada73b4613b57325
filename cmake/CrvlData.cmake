# crvl_data_dir(<target> <source dir> <name under bin/>)
# Copies a data directory beside the programs on every build, so that a
# program started from build/bin/ finds its files as it would when installed.
function(crvl_data_dir target src name)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CRVL_BIN_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${src} ${CRVL_BIN_DIR}/${name}
    VERBATIM)
  install(DIRECTORY ${src}/ DESTINATION ${CMAKE_INSTALL_LIBDIR}/crvl/${name})
endfunction()

# crvl_data_file(<target> <source file> [<name under bin/>])
function(crvl_data_file target src)
  get_filename_component(fname ${src} NAME)
  if(ARGC GREATER 2)
    set(fname ${ARGV2})
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${src} ${CRVL_BIN_DIR}/${fname}
    VERBATIM)
  install(FILES ${src} DESTINATION ${CMAKE_INSTALL_LIBDIR}/crvl RENAME ${fname})
endfunction()
