# The install (cmake --install <build> --prefix <P>), laid out as the desktop's conventions say:
#   <P>/lib/vorn/                          the program folder, which the game runs from; where the
#                                          player cannot write there, the game keeps its settings,
#                                          statistics and saved games in $XDG_DATA_HOME/vorn/
#   <P>/bin/vorn                           the launcher on the path, a link to the program
#   <P>/share/applications/vorn.desktop    the desktop entry
#   <P>/share/icons/hicolor/<n>x<n>/apps/  the icon the art build draws, at each of its sides
# The program folder holds the program beside its data, so it lies where a package keeps the files
# of its own that no user runs directly: lib/vorn, the same on every architecture.
include(GNUInstallDirs)
set(game_destination lib/vorn)

get_property(game_files GLOBAL PROPERTY VORN_GAME_FILES)
get_property(game_programs GLOBAL PROPERTY VORN_GAME_PROGRAMS)
foreach(file IN LISTS game_files)
    get_filename_component(folder "${file}" DIRECTORY)
    if(file IN_LIST game_programs)
        install(PROGRAMS ${VORN_GAME_DIR}/${file} DESTINATION ${game_destination}/${folder})
    else()
        install(FILES ${VORN_GAME_DIR}/${file} DESTINATION ${game_destination}/${folder})
    endif()
endforeach()

# The launcher is a relative link, so the installed tree may be moved; the program finds its
# folder from its own file, wherever the link that started it lies.
set(install_dir ${CMAKE_BINARY_DIR}/install)
file(MAKE_DIRECTORY ${install_dir})
file(RELATIVE_PATH launcher_target /${CMAKE_INSTALL_BINDIR} /${game_destination}/Vorn)
file(CREATE_LINK ${launcher_target} ${install_dir}/vorn SYMBOLIC)
install(PROGRAMS ${install_dir}/vorn DESTINATION ${CMAKE_INSTALL_BINDIR})

# The desktop entry names the launcher by its full path under the prefix the install is given; it
# is written at install time, under a name of its own, so that installs side by side do not mix.
install(CODE "set(VORN_LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vorn\")
string(RANDOM LENGTH 12 suffix)
set(entry \"${install_dir}/vorn-\${suffix}.desktop\")
configure_file(\"${CMAKE_CURRENT_LIST_DIR}/vorn.desktop.in\" \"\${entry}\" @ONLY)
file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\" TYPE FILE
     RENAME vorn.desktop FILES \"\${entry}\")
file(REMOVE \"\${entry}\")")
install(DIRECTORY ${VORN_ART_DIR}/pictures/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
