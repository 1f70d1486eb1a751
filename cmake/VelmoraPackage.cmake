# The Debian package (cpack -G DEB in the build folder): the installation
# tree under /opt/velmora, where the programs find their root as the parent
# of bin, plus the desktop entry and icon in the system's folders.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Calibration and diagnosis workstation for gas-injection ECUs")
set(CPACK_PACKAGE_DESCRIPTION
    "The Qt workstation, its link server, the command-line tool and the virtual ECU.")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/velmora)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velmora developers <velmora@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# One package holding the tree and the desktop component.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified desktop)
set(CPACK_DEBIAN_PACKAGE_NAME velmora)
set(CPACK_WARN_ON_ABSOLUTE_INSTALL_DESTINATION OFF)
# The libraries the programs link, as Debian names them; dpkg-shlibdeps
# works them out with their versions where it is installed.
find_program(VELMORA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VELMORA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6widgets6, libqt6gui6, libqt6core6, libserialport0")
endif()
include(CPack)
