# The picture readers. The BMP reader and the Exif orientation are plain
# code; LoadPicture's decoders use the platform's JPEG and GIF libraries,
# and its tests write real files with them.
sarvo_unit_test(sarvo_picture_core_test bmp_reader_test.cpp exif_test.cpp picture_load_test.cpp)

if(SARVO_PLATFORM STREQUAL "linux")
  find_package(PkgConfig REQUIRED)
  if(NOT TARGET PkgConfig::TURBOJPEG)
    pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
  endif()
  if(NOT TARGET PkgConfig::LIBJPEG)
    pkg_check_modules(LIBJPEG REQUIRED IMPORTED_TARGET libjpeg)
  endif()
  find_package(GIF REQUIRED)

  sarvo_unit_test(sarvo_picture_load_test picture_linux_test.cpp
                  ${CMAKE_CURRENT_SOURCE_DIR}/../tools/picture_writers.cpp)
  target_include_directories(sarvo_picture_load_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/../tools)
  target_link_libraries(sarvo_picture_load_test PRIVATE PkgConfig::TURBOJPEG PkgConfig::LIBJPEG
                        GIF::GIF)
endif()
