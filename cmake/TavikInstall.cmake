# Installation and the Debian package. The programs go to bin/, the add-in plugin with the
# configuration it falls back on to lib/<arch>/tavik/, the desktop entries to share/applications/,
# the FreeCAD macro to share/tavik/freecad/.
# The programs find the installed plugin and configuration through TAVIK_ADDIN_RELDIR (set in
# CMakeLists.txt), the add-in folder relative to the programs' own. The team's configuration, which the editor looks for first,
# goes to /etc/xdg/tavik/ (TAVIK_INSTALL_CONFIG_DIR), the first of the XDG configuration folders;
# the package marks it as conffiles, so that an upgrade keeps an administrator's edits.
install(TARGETS tavik-host tavik-check tavik-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tavik_plugin LIBRARY DESTINATION ${TAVIK_INSTALL_ADDIN_DIR})
install(FILES data/Tavik.xml data/Tavik.xsd DESTINATION ${TAVIK_INSTALL_ADDIN_DIR})
set(TAVIK_INSTALL_CONFIG_DIR /etc/xdg/tavik CACHE PATH "Where the team's configuration is installed")
install(FILES data/Tavik.xml data/Tavik.xsd DESTINATION ${TAVIK_INSTALL_CONFIG_DIR})
file(WRITE ${CMAKE_BINARY_DIR}/debian/conffiles
  "${TAVIK_INSTALL_CONFIG_DIR}/Tavik.xml\n${TAVIK_INSTALL_CONFIG_DIR}/Tavik.xsd\n")
# Two entries: the host for its JSON documents, and --edit for FreeCAD documents ("Open with").
install(FILES data/tavik-host.desktop data/tavik-edit.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The FreeCAD macro that runs --edit on the active document; users copy it into FreeCAD's macro folder.
install(FILES data/freecad/TavikEdit.FCMacro DESTINATION ${CMAKE_INSTALL_DATADIR}/tavik/freecad)
install(FILES data/samples/Bracket.sldprt data/samples/Frame.sldasm data/samples/Gusset.sldprt
              data/samples/Hinge.sldprt data/samples/Plate.sldprt data/samples/demo.script
              data/samples/Block.FCStd data/samples/Flange.FCStd data/samples/Clip.FCStd data/samples/Stand.FCStd
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavik/samples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavik)
set(CPACK_PACKAGE_VENDOR "Tavik")
set(CPACK_PACKAGE_CONTACT "Tavik team <tavik@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Custom properties editor for part and assembly documents")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The run-time libraries come from the programs' own links, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/conffiles)
include(CPack)
