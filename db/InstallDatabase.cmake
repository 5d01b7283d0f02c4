# cmake -DTEMPLATE=... -DTARGET=... -P InstallDatabase.cmake: copies the template only when no database is there.
if(EXISTS "${TARGET}")
  return()
endif()
get_filename_component(folder "${TARGET}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
file(COPY_FILE "${TEMPLATE}" "${TARGET}")
message(STATUS "Made ${TARGET}")
