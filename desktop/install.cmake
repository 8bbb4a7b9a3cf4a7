# Installing the program as a desktop program (binary, menu entry, icons,
# AppStream metadata, manual page) and packaging it for Debian with CPack.
# Included at the end of the top-level CMakeLists.txt.

set(MANDEL_APP_ID de.mandelbrotmenge.Mandelbrotmenge)
set(MANDEL_ICON_SIZES 16 32 48 64 128 256)

# The icon in the program itself, so that an uninstalled build shows it in
# the window and the task bar too.
set(mandel_icon_files)
foreach(size IN LISTS MANDEL_ICON_SIZES)
  list(APPEND mandel_icon_files ${PROJECT_SOURCE_DIR}/resources/icons/${MANDEL_APP_ID}-${size}.png)
endforeach()
qt_add_resources(mandelbrotmenge mandel_icons
  PREFIX "/"
  BASE ${PROJECT_SOURCE_DIR}/resources
  FILES ${mandel_icon_files}
)
target_compile_definitions(mandelbrotmenge PRIVATE MANDEL_APP_ID="${MANDEL_APP_ID}")

# Installed by default only when this is the top-level project: a project
# that takes this one in with add_subdirectory() decides for itself.
option(MANDEL_INSTALL "Install the program and generate the Debian package rules" ${PROJECT_IS_TOP_LEVEL})
if(NOT MANDEL_INSTALL)
  return()
endif()

include(GNUInstallDirs)

install(TARGETS mandelbrotmenge RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (the package) keeps no compiler notes either, as
# Debian's dh_strip does.
if(CMAKE_STRIP)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/mandelbrotmenge\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()")
endif()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${MANDEL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${MANDEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${MANDEL_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size IN LISTS MANDEL_ICON_SIZES)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${MANDEL_APP_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${MANDEL_APP_ID}.png)
endforeach()

# The manual page and the changelog, compressed as Debian installs them; -n
# keeps them reproducible (no name or time stamp in the archive). Made when
# the build is configured, so that installing needs nothing but the program:
# `cmake --build --target mandelbrotmenge` and then `cmake --install`.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
foreach(doc mandelbrotmenge.1 changelog)
  set(doc_source ${CMAKE_CURRENT_LIST_DIR}/${doc})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${doc_source})
  execute_process(COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${doc_source}
                  OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/${doc}.gz
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/mandelbrotmenge.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mandelbrotmenge)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mandelbrotmenge RENAME copyright)

# ---------------------------------------------------------------------------
# The Debian package: cpack -G DEB in the build directory. Only for the
# top-level project: CPack's configuration belongs to the whole build.
if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()

set(MANDEL_PACKAGE_MAINTAINER
    "Mandelbrotmenge maintainers <maintainers@users.noreply.c-seed-cdb0f07b.example>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mandelbrotmenge)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Mandelbrotmenge maintainers")
set(CPACK_PACKAGE_CONTACT "${MANDEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "magnifications and colour animations of the Mandelbrot set")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MANDEL_PACKAGE_MAINTAINER}")
# The long description, one line of the control file per list entry.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "An interactive explorer of the Mandelbrot set with a German user interface."
  "One window shows an overview of the set with a draggable target marker;"
  "on request the program computes six escape-time images that zoom toward"
  "the target, ten to a million times magnified, and shows them as they grow."
  "Four 256-colour palettes, colour cycling through the images.")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A cross build's package is for the target's Debian architecture (arm64 for
# aarch64-linux-gnu), and dpkg-shlibdeps reads that architecture's libraries.
set(MANDEL_DEB_HOST_ARCH "")
if(CMAKE_CROSSCOMPILING)
  find_program(DPKG_ARCHITECTURE_EXECUTABLE dpkg-architecture REQUIRED)
  execute_process(COMMAND ${DPKG_ARCHITECTURE_EXECUTABLE} -t ${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
                  OUTPUT_VARIABLE MANDEL_DEB_HOST_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${MANDEL_DEB_HOST_ARCH})
endif()
# Qt's platform plugin for Wayland sessions; without it Qt falls back to
# XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# Control files with the permissions Debian's tools give them.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# File times in the package: SOURCE_DATE_EPOCH when cpack runs with it set,
# otherwise the time of the last commit, so that two packages of the same
# sources are the same byte for byte.
set(MANDEL_SOURCE_DIR ${PROJECT_SOURCE_DIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/cpack-options.cmake.in
               ${PROJECT_BINARY_DIR}/CPackOptions.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackOptions.cmake)
include(CPack)

if(MANDEL_BUILD_TESTS AND NOT MANDEL_SANITIZE)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/install ${PROJECT_BINARY_DIR}/tests/install)
endif()
