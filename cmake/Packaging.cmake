# Installation as a Linux program, and its Debian package (scripts/package).
#
# Installed: the program to bin/, its factory data to share/stryla-config/modules (the program
# finds it relative to its own path and seeds each user's data folder from it), the manual page
# and the bash completion, the udev rule, the desktop entry, the icon and the AppStream metainfo. The simulated program, the tests and
# the benchmarks stay in the build tree.
# Installing never builds: scripts/package builds first, and the package test must not build
# the tree it runs in.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(GNUInstallDirs)

install(TARGETS stryla-config RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The data as the build lays it out beside each executable: the files of the source tree, the
# profiles p1 … p10 starting as copies of the factory profile, and an empty macro folder.
set(STRYLA_INSTALL_MODULES ${CMAKE_INSTALL_DATADIR}/stryla-config/modules)
foreach(folder setting i18n gun macro)
    file(GLOB files CONFIGURE_DEPENDS
        ${PROJECT_SOURCE_DIR}/modules/${folder}/*.bin ${PROJECT_SOURCE_DIR}/modules/${folder}/*.ini)
    if(files)
        install(FILES ${files} DESTINATION ${STRYLA_INSTALL_MODULES}/${folder})
    endif()
endforeach()
install(DIRECTORY DESTINATION ${STRYLA_INSTALL_MODULES}/macro)
install(FILES ${PROJECT_SOURCE_DIR}/modules/img/logo.ico DESTINATION ${STRYLA_INSTALL_MODULES}/img)
foreach(n RANGE 1 10)
    if(NOT EXISTS ${PROJECT_SOURCE_DIR}/modules/setting/p${n}.bin)
        install(FILES ${PROJECT_SOURCE_DIR}/modules/setting/pD.bin
            DESTINATION ${STRYLA_INSTALL_MODULES}/setting RENAME p${n}.bin)
    endif()
endforeach()

# The manual page and the bash completion, both written by the build from the option list.
install(FILES ${STRYLA_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${STRYLA_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
    RENAME stryla-config)
install(FILES ${STRYLA_ZSH_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${STRYLA_FISH_COMPLETION}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)

# udev reads lib/udev/rules.d below /usr; the multiarch library folder is not the place.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/70-stryla-config.rules DESTINATION lib/udev/rules.d)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/stryla-config.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/modules/img/logo.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME stryla-config.svg)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/example.korvane.StrylaConfig.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# --- Wayland desktops: the focus sources each desktop loads from where it looks for them ---
# - KDE Plasma: the KWin script that reports the active window, below
#   ${CMAKE_INSTALL_DATADIR}/kwin/scripts/<name>/ (metadata, contents/code/main.js). The program
#   loads it from there over KWin's scripting interface.
# - GNOME Shell: the extension that exports the focused window, below
#   ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions/<uuid>/ (metadata.json, extension.js): one
#   for Shell 43 and 44, one for 45 and later (the format changed); the user enables the one
#   of the running Shell (the programs page says how).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/packaging/kwin/stryla-config-focus
    DESTINATION ${CMAKE_INSTALL_DATADIR}/kwin/scripts)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/packaging/gnome-shell/stryla-config@korvane.example
    ${PROJECT_SOURCE_DIR}/packaging/gnome-shell/stryla-config-43@korvane.example
    DESTINATION ${CMAKE_INSTALL_DATADIR}/gnome-shell/extensions)
# --- end of the Wayland desktops' files ---

# stryla_named_modules(<file> <keywords> <list>): appends to list the QML modules that the lines
# of file starting with one of keywords ("import", "import|depends") name; quoted imports of
# folders and scripts are not modules.
function(stryla_named_modules file keywords list)
    file(STRINGS ${file} lines REGEX "^[ \t]*(${keywords})[ \t]+[A-Za-z]")
    set(modules ${${list}})
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*(${keywords})[ \t]+([A-Za-z0-9_.]+).*" "\\2" module "${line}")
        list(APPEND modules ${module})
    endforeach()
    set(${list} ${modules} PARENT_SCOPE)
endfunction()

# stryla_qml_packages(<out>): the Debian packages holding the QML modules the scene imports,
# with the modules their qmldir files import in turn. The scene is compiled into the program,
# so the library dependencies computed from the executable never name these.
function(stryla_qml_packages out)
    set(qml_root ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_QML})
    file(GLOB_RECURSE scene_files ${PROJECT_SOURCE_DIR}/modules/qml/*.qml)
    set(pending)
    foreach(scene_file IN LISTS scene_files)
        stryla_named_modules(${scene_file} import pending)
    endforeach()

    set(seen)
    set(packages)
    while(pending)
        list(POP_FRONT pending module)
        if(module IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${module})
        string(REPLACE "." "/" module_dir ${module})
        set(qmldir ${qml_root}/${module_dir}/qmldir)
        if(NOT EXISTS ${qmldir})
            message(WARNING "The scene imports the QML module ${module}, which is not installed "
                "(no ${qmldir}); the package will not depend on it.")
            continue()
        endif()
        execute_process(COMMAND dpkg-query -S ${qmldir}
            OUTPUT_VARIABLE owner RESULT_VARIABLE status ERROR_QUIET)
        if(status EQUAL 0 AND owner MATCHES "^([^:, ]+)")
            list(APPEND packages ${CMAKE_MATCH_1})
        else()
            message(WARNING "No Debian package holds ${qmldir} (QML module ${module}); the package "
                "will not depend on it.")
        endif()
        stryla_named_modules(${qmldir} "import|depends" pending)
    endwhile()
    list(REMOVE_DUPLICATES packages)
    list(SORT packages)
    set(${out} ${packages} PARENT_SCOPE)
endfunction()

stryla_qml_packages(STRYLA_QML_PACKAGES)
# Loaded at run time, so not among the computed dependencies either: the SVG image plugin
# draws the scene's pictures, Latin, Greek and Cyrillic texts take Liberation Sans, and the
# Chinese, Japanese and Korean language files need fonts with their glyphs (and each language
# its own forms: IPAex Gothic for Japanese, Nanum Gothic for Korean; about 6 and 33 MB
# installed, where Noto CJK would take 91 MB).
set(STRYLA_RUNTIME_PACKAGES ${STRYLA_QML_PACKAGES} libqt6svg6 fonts-liberation
    fonts-wqy-microhei fonts-ipaexfont-gothic fonts-nanum)
list(REMOVE_DUPLICATES STRYLA_RUNTIME_PACKAGES)
list(JOIN STRYLA_RUNTIME_PACKAGES ", " STRYLA_RUNTIME_DEPENDS)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stryla-config)
set(CPACK_PACKAGE_VENDOR KORVANE)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configuration utility for the KORVANE STRYLA Z7 gaming mouse")
# One paragraph, in lines short enough for the control file.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Assigns button functions, records macros that the mouse plays by itself, sets"
    "DPI stages, lift-off distance and lighting, and keeps named profiles, for the"
    "KORVANE STRYLA Z7 mouse and the keyboard of the same device family. A udev rule"
    "gives the user at the seat access to the device; settings are kept per user in"
    "~/.local/share/stryla-config.")
set(CPACK_PACKAGE_CONTACT "stryla-config maintainers <maintainers@korvane.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.korvane.example/support)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS ${STRYLA_RUNTIME_DEPENDS})
# Without an AppIndicator extension GNOME shows no tray icon, and the program lives in the tray.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS gnome-shell-extension-appindicator)
# The desktop's own file chooser (through the XDG portal) for import and export, and Qt's
# dialog words in the window's language where the desktop has none.
# Qt's Wayland plugin: in a Wayland session the program is a Wayland client (moved by the
# compositor, its focus sources); without it Qt falls back to X11 through XWayland where the
# session has it, and cannot start where it has not.
# AR PL UMing draws Traditional Chinese in its own (Taiwan) forms.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-wayland, qt6-xdgdesktopportal-platformtheme, qt6-translations-l10n, fonts-arphic-uming")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
