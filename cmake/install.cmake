# Installing zulmarin and packing it as a Debian package.
#
# The program goes to bin/, the programs it starts to lib/zulmarin, the files
# it ships to share/zulmarin (an installed program finds them from its own
# folder, so a moved prefix still works), the desktop integration to the usual XDG places and the timer service to the
# systemd user units. The user's own files never go under the prefix: they
# live in the per-user data folder.
include(GNUInstallDirs)

set(ZUL_SHARE ${CMAKE_INSTALL_DATADIR}/zulmarin)

install(TARGETS zulmarin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The programs zulmarin starts; it finds them from its own folder.
install(TARGETS zulmarin-tx zulmarin-gui RUNTIME DESTINATION lib/zulmarin)

file(GLOB ZUL_SHIPPED_FILES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/data/*.wav ${PROJECT_SOURCE_DIR}/data/*.lan ${PROJECT_SOURCE_DIR}/data/*.html)
# The icon also stays with the shipped files: the windows and the tray load it from there.
install(FILES ${ZUL_SHIPPED_FILES} ${PROJECT_SOURCE_DIR}/data/zulmarin.svg DESTINATION ${ZUL_SHARE})

# Desktop entry, icon and the .cro file type in the freedesktop places.
install(FILES ${PROJECT_SOURCE_DIR}/data/zulmarin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/zulmarin.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/zulmarin-macro.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# systemd looks for user units in <prefix>/lib/systemd/user, on every architecture.
install(FILES ${PROJECT_SOURCE_DIR}/data/zulmarin.service DESTINATION lib/systemd/user)

install(FILES ${CMAKE_BINARY_DIR}/zulmarin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# ./zul package: a Debian package of the above under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zulmarin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zulmarin developers <zulmarin@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "home-automation controller for X10 modules through a CM17A transmitter")
# The lines after the summary line; CPack indents them.
set(CPACK_PACKAGE_DESCRIPTION "Zulmarin switches X10 lamp and appliance modules through a CM17A
(Firecracker) transmitter on a serial port: a desktop window by house and
unit, macros, quick groups, a panic button and timers at fixed times or at
sunrise and sunset. The timers also run as a systemd user service without a
window, and every function is available from the command line.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so the library scan cannot see them: the window
# system's plugins and the SVG icon support.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
