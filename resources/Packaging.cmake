# The whole system as one Debian package, made from a build with
# `cpack --config BUILD/CPackConfig.cmake -G DEB`. It installs at the prefix the build was
# configured for, which is also where the programs look for the system's applications root.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plovane-menu)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Plovane Menu developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurable commands in the file manager's right-click menu")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The extension serves the file manager's context menu over the session bus; the settings app\n\
chooses its commands, the folders it is active in and how it is presented. Includes a small\n\
stand-in file manager, plovane-finder.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# Absolute destinations (the file managers' module folders) land in the package, not the system.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the programs load or start without linking against it: Qt's SVG plugins draw every icon,
# xdg-open and xdg-email open links and mail, and the session bus starts the extension.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6svg6, xdg-utils, default-dbus-session-bus | dbus-session-bus")
# gsettings sets the desktop picture; Adwaita fills in icons a desktop's own theme lacks.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libglib2.0-bin, adwaita-icon-theme")

include(CPack)
