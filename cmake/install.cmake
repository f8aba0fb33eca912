# What `cmake --install` puts under the prefix, in the usual desktop layout:
#
#   lib/ferrotab/ferrotab          the program, and beside it
#   lib/ferrotab/HAND-M.CUR        the hand pointer, which the program looks
#                                  for in its own executable's folder
#   bin/ferrotab                   relative symlink to ../lib/ferrotab/ferrotab
#   bin/ferrotab-rtf               the file-format tool
#   share/applications/ID.desktop  the menu entry ("Open with Ferrotab")
#   share/metainfo/ID.metainfo.xml AppStream metadata for software centres
#   share/icons/hicolor/scalable/apps/ferrotab.svg and N x N/apps/ferrotab.png
#
# The program finds its folder from /proc/self/exe, which the kernel resolves
# through the symlink, so bin/ stays free of data files and the program still
# finds HAND-M.CUR from any working directory. A relative link keeps the whole
# tree movable (DESTDIR staging, a prefix copied elsewhere).

include(GNUInstallDirs)

set(FERROTAB_APP_ID org.ferrotab.Ferrotab)
set(FERROTAB_INSTALL_PROGRAMDIR "lib/ferrotab" CACHE STRING
    "Folder under the prefix for the program and the files it reads beside itself")
set(FERROTAB_ICON_SIZES 16 32 48 64 128 256)

# The PNG icons are painted from the SVG at build time, as the cursor is.
add_executable(makeicon ${PROJECT_SOURCE_DIR}/assets/makeicon.cpp)
target_link_libraries(makeicon PRIVATE Qt6::Gui)
set(FERROTAB_ICON_DIR ${PROJECT_BINARY_DIR}/icons/hicolor)
set(FERROTAB_ICON_PNGS)
foreach(size IN LISTS FERROTAB_ICON_SIZES)
    list(APPEND FERROTAB_ICON_PNGS ${FERROTAB_ICON_DIR}/${size}x${size}/apps/ferrotab.png)
endforeach()
add_custom_command(
    OUTPUT ${FERROTAB_ICON_PNGS}
    COMMAND makeicon ${PROJECT_SOURCE_DIR}/assets/ferrotab.svg ${FERROTAB_ICON_DIR} ${FERROTAB_ICON_SIZES}
    DEPENDS makeicon ${PROJECT_SOURCE_DIR}/assets/ferrotab.svg
    COMMENT "Painting the application icon")
add_custom_target(app_icons ALL DEPENDS ${FERROTAB_ICON_PNGS})

install(TARGETS ferrotab RUNTIME DESTINATION ${FERROTAB_INSTALL_PROGRAMDIR})
install(FILES ${PROJECT_BINARY_DIR}/HAND-M.CUR DESTINATION ${FERROTAB_INSTALL_PROGRAMDIR})
install(TARGETS ferrotab-rtf RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

file(RELATIVE_PATH FERROTAB_LINK_TARGET /${CMAKE_INSTALL_BINDIR} /${FERROTAB_INSTALL_PROGRAMDIR}/ferrotab)
install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/ferrotab\")
    message(STATUS \"Installing: \${link} -> ${FERROTAB_LINK_TARGET}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK \"${FERROTAB_LINK_TARGET}\" \"\${link}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${link}\")
")

install(FILES ${PROJECT_SOURCE_DIR}/assets/${FERROTAB_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/assets/${FERROTAB_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/assets/ferrotab.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN LISTS FERROTAB_ICON_SIZES)
    install(FILES ${FERROTAB_ICON_DIR}/${size}x${size}/apps/ferrotab.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
