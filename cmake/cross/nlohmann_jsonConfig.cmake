# nlohmann/json is header-only, so the machine's copy serves the cross build,
# reached through a folder that holds nothing else of the machine's headers.
if(NOT TARGET nlohmann_json::nlohmann_json)
  find_path(IC_HOST_NLOHMANN_JSON nlohmann/json.hpp PATHS /usr/include /usr/local/include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT IC_HOST_NLOHMANN_JSON)
    set(nlohmann_json_FOUND FALSE)
    return()
  endif()
  set(_ic_json_dir ${CMAKE_BINARY_DIR}/host-headers)
  file(MAKE_DIRECTORY ${_ic_json_dir})
  file(CREATE_LINK ${IC_HOST_NLOHMANN_JSON}/nlohmann ${_ic_json_dir}/nlohmann SYMBOLIC)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${_ic_json_dir})
endif()
set(nlohmann_json_FOUND TRUE)
