# What `cmake --install` puts where. The program loads its GDI+ provider at run time; installed,
# the provider lies in a folder of its own below the library folder, and the program's run path
# names that folder relative to the program itself, so the whole tree may move as one.
include(GNUInstallDirs)
set(VELMORA_PROVIDER_DIR ${CMAKE_INSTALL_LIBDIR}/velmora)
file(RELATIVE_PATH provider_from_program /${CMAKE_INSTALL_BINDIR} /${VELMORA_PROVIDER_DIR})
set_target_properties(velmora PROPERTIES INSTALL_RPATH "$ORIGIN/${provider_from_program}")
install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS velmora_gdiplus LIBRARY DESTINATION ${VELMORA_PROVIDER_DIR})
# The skin and the icon of the window are compiled into the program. The desktop's menu gets an
# entry that starts the window, and its icon.
foreach(size 16 32 48)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/velmora-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME velmora.png)
endforeach()
install(CODE "set(VELMORA_BINDIR \"${CMAKE_INSTALL_BINDIR}\")\nset(VELMORA_DATADIR \"${CMAKE_INSTALL_DATADIR}\")")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallDesktopEntry.cmake)
