# The Polish catalogues travel inside the program: appended behind the image
# after every link. win_tests carries it too, so the locator is tested on a
# real embedded table.
if(WIN32)
  function(velt_embed_catalogue target)
    add_dependencies(${target} polish_catalogue)
    # The marker must be in the image even before any code refers to it.
    target_link_options(${target} PRIVATE -Wl,--undefined=_velt_embedded_file_marker)
    # A changed catalogue relinks, so the embedding step runs again.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VELT_POLISH_MO} ${VELT_ADDED_MO})
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${HOSTTOOL_catalogue_tool} embed $<TARGET_FILE:${target}> ${VELT_POLISH_MO}
              "locale\\pl\\LC_MESSAGES\\default.mo"
              ${VELT_ADDED_MO} "locale\\pl\\LC_MESSAGES\\velt.mo"
      VERBATIM)
  endfunction()
  if(TARGET velt)
    velt_embed_catalogue(velt)
  endif()
  velt_embed_catalogue(win_tests)
endif()
