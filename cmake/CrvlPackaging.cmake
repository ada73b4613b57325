# Debian packages through CPack's DEB generator (make package).
#   crvl             the instructor's programs: crvlbuilder, crvlconfig,
#                    crvlclass, crvlupd, crvlctl, crvl-launch, their data, desktop
#                    files, icons, AppStream metadata and manual pages
#   crvl-trainersim  the simulated trainer, for developers and for trainers
#                    of instructors who practise without hardware
# Every install() rule that names no component belongs to crvl.
if(NOT CRVL_WITH_QT OR NOT UNIX)
  return()
endif()

# Manual pages: scdoc sources in dist/man, built and compressed the Debian way
# (gzip -9n: no name or time stamp in the header, so the bytes repeat).
find_program(CRVL_SCDOC scdoc)
find_program(CRVL_GZIP gzip)
# The classroom's files go in with its program.
set(crvl_gui_programs crvlbuilder crvlconfig crvlupd)
set(crvl_class_description "")
if(TARGET crvlclass)
  list(APPEND crvl_gui_programs crvlclass)
  set(crvl_class_description "\ncrvlclass shows and prepares every trainer of a class in one window,")
endif()

if(CRVL_SCDOC AND CRVL_GZIP)
  set(pages)
  set(page_names ${crvl_gui_programs} crvlctl crvl-launch trainersim)
  foreach(page ${page_names})
    set(src ${PROJECT_SOURCE_DIR}/dist/man/${page}.1.scd)
    set(out ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND sh -c "'${CRVL_SCDOC}' < '${src}' | '${CRVL_GZIP}' -9n > '${out}'"
      DEPENDS ${src} VERBATIM)
    list(APPEND pages ${out})
    if(page STREQUAL "trainersim")
      install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT trainersim)
    else()
      install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
  endforeach()
  add_custom_target(crvl_man_pages ALL DEPENDS ${pages})
elseif(CRVL_PACKAGING)
  message(FATAL_ERROR "packaging needs scdoc and gzip for the manual pages (make deps)")
endif()

foreach(program ${crvl_gui_programs})
  install(FILES ${PROJECT_SOURCE_DIR}/dist/metainfo/${program}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endforeach()

# Debian wants a copyright file and a compressed change log per package.
foreach(component crvl trainersim)
  if(component STREQUAL "crvl")
    set(pkg crvl)
  else()
    set(pkg crvl-trainersim)
  endif()
  set(log ${CMAKE_BINARY_DIR}/debian/${pkg}/changelog.gz)
  add_custom_command(OUTPUT ${log}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/debian/${pkg}
    COMMAND sh -c "sed 's/@PACKAGE@/${pkg}/; s/@VERSION@/${PROJECT_VERSION}/' '${PROJECT_SOURCE_DIR}/dist/debian/changelog' | gzip -9n > '${log}'"
    DEPENDS ${PROJECT_SOURCE_DIR}/dist/debian/changelog VERBATIM)
  add_custom_target(crvl_changelog_${component} ALL DEPENDS ${log})
  install(FILES ${log} ${PROJECT_SOURCE_DIR}/dist/debian/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${pkg} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME crvl)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvel trainer software team")
set(CPACK_PACKAGE_CONTACT "Corvel trainer software team <maintainers@users.noreply.c-seed-29e2d15e.example>")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/build/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL crvl trainersim)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://crvl.example.org/")
set(CPACK_DEBIAN_CRVL_PACKAGE_NAME crvl)
# Qt's own dialogs and shortcut names in the user's language.
set(CPACK_DEBIAN_CRVL_PACKAGE_DEPENDS "fonts-liberation2, qt6-translations-l10n")
set(CPACK_DEBIAN_CRVL_DESCRIPTION "desktop software for the Corvel AED training defibrillator
The instructor's programs for the Corvel trainer, with which an AED is taught
on a manikin: crvlbuilder draws training scenarios, crvlconfig sets the
trainer's parameters, uploads custom scenarios and monitors a running one,${crvl_class_description}
crvlupd reloads the trainer's firmware, and crvlctl does the configuration
from the command line for one trainer or a room full.")
set(CPACK_DEBIAN_TRAINERSIM_PACKAGE_NAME crvl-trainersim)
set(CPACK_DEBIAN_TRAINERSIM_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_TRAINERSIM_DESCRIPTION "simulated Corvel trainer on a pseudo-terminal
trainersim plays the Corvel training defibrillator on a pseudo-terminal, so
that crvlconfig, crvlctl and crvlupd can be tried, tested and demonstrated
without hardware: parameters, custom scenario slots, a scenario player and
the boot loader, each with switches that simulate faults.")
include(CPack)
