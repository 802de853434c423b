# The release archive: one program folder with the programs, the empty
# TrashBox and WallPaper folders, a short readme and the licence.
#   cmake --build --preset linux --target package   sarvo-backdrop-changer-3.0.62-linux-x86_64.tar.gz
#   cmake --build --preset win32 --target package   sarvo-backdrop-changer-3.0.62-win64.zip

# The Debian 12 packages the Linux programs need at run time, and no more:
# the package test checks that they bring every library the installed
# programs load (linked, opened by name, or mapped by a running window) and
# that each brings something the programs load, map or start.
set(SARVO_RUNTIME_PACKAGES
  libqt6widgets6 libqt6dbus6 qt6-wayland qt6-translations-l10n libwayland-client0 libxcursor1
  libjpeg62-turbo libgif7 libpng16-16 libglib2.0-0 libx11-6 libxrandr2
  libwebp7 libwebpdemux2 libavif15 libheif1 libjxl0.7
  fonts-ipafont-gothic xdg-utils
  CACHE INTERNAL "Debian packages the Linux programs need at run time")

if(WIN32)
  set(sarvo_readme ${PROJECT_SOURCE_DIR}/resources/package/README-windows.txt)
  set(sarvo_system win64)
  set(CPACK_GENERATOR ZIP)
else()
  list(JOIN SARVO_RUNTIME_PACKAGES " " SARVO_RUNTIME_PACKAGES_TEXT)
  set(SARVO_RUNTIME_PACKAGES "    ${SARVO_RUNTIME_PACKAGES_TEXT}")
  configure_file(${PROJECT_SOURCE_DIR}/resources/package/README-linux.txt ${PROJECT_BINARY_DIR}/README.txt @ONLY)
  set(sarvo_readme ${PROJECT_BINARY_DIR}/README.txt)
  set(sarvo_system linux-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_GENERATOR TGZ)
  file(WRITE ${PROJECT_BINARY_DIR}/runtime-packages.txt "${SARVO_RUNTIME_PACKAGES_TEXT}\n")
endif()
install(FILES ${sarvo_readme} DESTINATION . RENAME README.txt)
install(FILES ${PROJECT_SOURCE_DIR}/resources/package/LICENSE.txt DESTINATION .)

set(CPACK_PACKAGE_NAME sarvo-backdrop-changer)
set(CPACK_PACKAGE_VENDOR "Sarvo Backdrop Changer developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME sarvo-backdrop-changer-${PROJECT_VERSION}-${sarvo_system})
# One folder of the archive's name holds everything.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
