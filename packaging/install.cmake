# What `cmake --install` puts beside the programs so that desktops list
# Tamsel, show its icon and open Pellomar files and SMFs with it.
include(GNUInstallDirs)
set(_packaging ${CMAKE_CURRENT_LIST_DIR})
install(FILES ${_packaging}/tamsel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_packaging}/tamsel-pellomar.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${_packaging}/icons/tamsel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(_size 16 32 48)
  install(FILES ${_packaging}/icons/tamsel-${_size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
          RENAME tamsel.png)
endforeach()

# Installing straight into a prefix (no staging DESTDIR): refresh the MIME
# database there so file managers know *.pmr at once. Packagers leave this
# to their own triggers.
install(CODE [[
  if(NOT "$ENV{DESTDIR}" STREQUAL "")
    return()
  endif()
  find_program(_update_mime update-mime-database)
  if(_update_mime)
    execute_process(COMMAND ${_update_mime} "${CMAKE_INSTALL_PREFIX}/share/mime"
                    RESULT_VARIABLE _result OUTPUT_QUIET ERROR_QUIET)
  endif()
]])
