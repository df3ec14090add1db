# What `cmake --install` puts where: the programs in bin/, the two libraries with their
# SONAME in the architecture's library folder, the public headers in include/vexal/, the
# pkg-config file, the man pages, the backup's systemd units, the desktop entry and its icons.
#
# Components: `runtime` (programs, libraries, man pages, desktop entry) and `dev`
# (headers, pkg-config file, unversioned links), the two Debian packages.
include(GNUInstallDirs)

# The SONAME follows the C contract in common/: it changes only when a call changes
# incompatibly.
set(VEXAL_ABI_VERSION 1)
set_target_properties(cpulink busport PROPERTIES
  VERSION ${VEXAL_ABI_VERSION}.${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
  SOVERSION ${VEXAL_ABI_VERSION})

set(VEXAL_PROGRAMS VexalCE VexalCmdCE vexal-plcsim vexal-discover vexal-wld vexal-backup)

# Installed programs find the installed libraries relative to themselves, so an installed
# tree works under any prefix (also unpacked with dpkg -x); the build tree keeps its own
# search path.
file(RELATIVE_PATH VEXAL_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(${VEXAL_PROGRAMS} PROPERTIES INSTALL_RPATH "$ORIGIN/${VEXAL_BIN_TO_LIB}")
set_target_properties(cpulink PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS ${VEXAL_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(TARGETS cpulink busport
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev)
install(FILES common/cpulink.h common/busport.h common/vexal_types.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vexal COMPONENT dev)

configure_file(packaging/cpulink.pc.in cpulink.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/cpulink.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# The backup's service and timer units, installed but not enabled.
configure_file(packaging/systemd/vexal-backup.service.in systemd/vexal-backup.service @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/systemd/vexal-backup.service
  packaging/systemd/vexal-backup.timer
  DESTINATION lib/systemd/system COMPONENT runtime)

install(FILES packaging/vexal.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT runtime)
install(FILES packaging/icons/vexal-48.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps RENAME vexal.png
  COMPONENT runtime)
install(FILES packaging/icons/vexal.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT runtime)

# Man pages: made from the Markdown in docs/ with pandoc, so the documentation has one
# source. Without pandoc the build goes on without them, unless VEXAL_MAN_PAGES asks.
option(VEXAL_MAN_PAGES "Fail when the man pages cannot be made" OFF)
find_program(VEXAL_PANDOC pandoc)
find_program(VEXAL_GZIP gzip)
if(NOT VEXAL_PANDOC OR NOT VEXAL_GZIP)
  if(VEXAL_MAN_PAGES)
    message(FATAL_ERROR "the man pages need pandoc and gzip")
  endif()
  message(STATUS "pandoc not found: no man pages")
  return()
endif()
set(VEXAL_MAN_DIR ${CMAKE_CURRENT_BINARY_DIR}/man)
# The English pages from docs/, the German ones from docs/de/ where there is one.
foreach(language en de)
  set(source_dir ${CMAKE_CURRENT_SOURCE_DIR}/docs)
  set(page_dir ${VEXAL_MAN_DIR})
  set(install_dir ${CMAKE_INSTALL_MANDIR}/man1)
  set(header "Vexal manual")
  if(NOT language STREQUAL en)
    string(APPEND source_dir /${language})
    string(APPEND page_dir /${language})
    set(install_dir ${CMAKE_INSTALL_MANDIR}/${language}/man1)
    set(header "Vexal-Handbuch")
  endif()
  set(pages)
  foreach(program ${VEXAL_PROGRAMS})
    set(source ${source_dir}/${program}.md)
    if(NOT EXISTS ${source})
      continue()
    endif()
    set(page ${page_dir}/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${page_dir}
      COMMAND ${VEXAL_PANDOC} --standalone --to man
        --lua-filter ${CMAKE_CURRENT_SOURCE_DIR}/docs/man-page.lua
        --metadata title=${program} --metadata section=1 --metadata lang=${language}
        --metadata "header=${header}" --metadata "footer=Vexal ${PROJECT_VERSION}"
        --output ${page} ${source}
      COMMAND ${VEXAL_GZIP} -9 -n -f -k ${page}
      DEPENDS ${source} ${CMAKE_CURRENT_SOURCE_DIR}/docs/man-page.lua
      COMMENT "man page ${program}(1) ${language}" VERBATIM)
    list(APPEND pages ${page}.gz)
  endforeach()
  list(APPEND VEXAL_MAN_GZ ${pages})
  install(FILES ${pages} DESTINATION ${install_dir} COMPONENT runtime)
endforeach()
add_custom_target(vexal_man_pages ALL DEPENDS ${VEXAL_MAN_GZ})
