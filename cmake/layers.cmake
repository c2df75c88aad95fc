# The program's folders as layers: each may include its own headers and those
# of the folders named after it, nothing else. One place for the rule; the
# build gives each library an include tree holding only those folders (so an
# upward include does not compile) and the test LayerIncludes checks every
# source against the same table.
set(IC_LAYER_platform "")
set(IC_LAYER_frame    platform)
set(IC_LAYER_store    platform frame)
set(IC_LAYER_card     platform frame store)
set(IC_LAYER_visit    platform frame store card)
set(IC_LAYER_upload   platform frame store card)
set(IC_LAYER_declare  platform frame)
set(IC_LAYER_app      platform frame store card visit upload declare)
set(IC_LAYERS platform frame store card visit upload declare app)

# ic_layer_library(folder sources...): the folder's library, seeing only the
# folders below it.
function(ic_layer_library folder)
  add_library(${folder} STATIC ${ARGN})
  ic_layer_includes(${folder} ${folder})
endfunction()

# ic_layer_includes(target folder): `target` sees `folder` and what lies below it,
# through a tree of links under the build folder.
function(ic_layer_includes target folder)
  set(tree ${CMAKE_BINARY_DIR}/layers/${folder})
  foreach(dir ${folder} ${IC_LAYER_${folder}})
    if(NOT EXISTS ${tree}/${dir})
      file(MAKE_DIRECTORY ${tree})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${dir} ${tree}/${dir} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PRIVATE ${tree})
endfunction()
