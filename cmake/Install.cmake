# cmake --install puts the program and the files that lie beside it into one folder (the prefix itself).
if(NOT VARNOCK_BUILD_UI)
  return()
endif()
install(TARGETS Varnock varnock-rx varnock-sim RUNTIME DESTINATION .)
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Varnock.Wav DESTINATION . OPTIONAL)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/varnock.svg DESTINATION .)
# The database holds the user's data: it is copied only where none exists yet.
install(CODE "
  set(target \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Varnock.ABS\")
  if(NOT EXISTS \"\${target}\")
    file(COPY_FILE \"${VARNOCK_DATABASE_TEMPLATE}\" \"\${target}\")
    message(STATUS \"Installing: \${target}\")
  else()
    message(STATUS \"Kept: \${target} (it holds your data)\")
  endif()
")
