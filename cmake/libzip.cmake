# libzip (Debian libzip-dev) as the target ic::libzip. Debian's own CMake
# package of it names the zipcmp/zipmerge tools, which libzip-dev does not
# install, so it is found by its header and library instead.
if(NOT TARGET ic::libzip)
  find_path(IC_LIBZIP_INCLUDE zip.h REQUIRED)
  find_library(IC_LIBZIP_LIBRARY zip REQUIRED)
  add_library(ic::libzip UNKNOWN IMPORTED)
  set_target_properties(ic::libzip PROPERTIES
    IMPORTED_LOCATION ${IC_LIBZIP_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${IC_LIBZIP_INCLUDE})
endif()
