# Debian packages made by CPack from the install components: `vexal` (runtime) and
# `libcpulink-dev` (dev). scripts/package.sh builds them for amd64 or arm64.
set(VEXAL_MAINTAINER "Vexal developers <vexal@vexal.invalid>")

# Every package carries its copyright file and a compressed changelog in its doc folder.
configure_file(packaging/debian/changelog.in debian/changelog @ONLY)
set(VEXAL_CHANGELOG_GZ ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.gz)
add_custom_command(OUTPUT ${VEXAL_CHANGELOG_GZ}
  COMMAND gzip -9 -n -f -k ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog VERBATIM)
add_custom_target(vexal_changelog ALL DEPENDS ${VEXAL_CHANGELOG_GZ})
foreach(pair "runtime;vexal" "dev;libcpulink-dev")
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES packaging/debian/copyright ${VEXAL_CHANGELOG_GZ}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

install(FILES packaging/debian/lintian-overrides RENAME vexal
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides COMPONENT runtime)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexal)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VEXAL_MAINTAINER})
set(CPACK_PACKAGE_VENDOR "Vexal developers")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(VEXAL_DEB_ARCHITECTURE)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${VEXAL_DEB_ARCHITECTURE})
endif()
# Directories the packages create are 0755 whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME vexal)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION electronics)
# dpkg-shlibdeps also brings in libgit2, the archive history of vexal-backup.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The on-screen keyboard of panels without a keyboard (QT_IM_MODULE=qtvirtualkeyboard) and
# the QML modules its panel loads.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS
  "libcap2-bin, qt6-translations-l10n, qt6-virtualkeyboard-plugin, \
qml6-module-qtquick-virtualkeyboard, qml6-module-qtqml-workerscript, \
qml6-module-qtquick-layouts, qml6-module-qtquick-window, qml6-module-qt-labs-folderlistmodel")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
  ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/postinst
  ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/postrm
  ${CMAKE_CURRENT_SOURCE_DIR}/packaging/debian/triggers)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "service tool for S7-family PLCs
Vexal finds controllers on an MPI bus or the local Ethernet, connects to one,
moves program blocks between the controller and *.wld project files, watches
and changes the controller's state and variables, and runs the same jobs
unattended from a command line.
.
This package holds the touch GUI VexalCE, the command-line program
VexalCmdCE, the plant backup vexal-backup with its systemd service and timer
(not enabled), the controller simulator vexal-plcsim, the discovery command
vexal-discover, the project file tool vexal-wld and the libraries libcpulink
and libbusport.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libcpulink-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "vexal (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_DEV_DESCRIPTION "S7 communication library of Vexal: development files
The headers cpulink.h, busport.h and vexal_types.h, the pkg-config file
cpulink.pc and the links to build programs against libcpulink, the S7
communication library of Vexal (S7 over ISO-on-TCP and over MPI).")

include(CPack)
