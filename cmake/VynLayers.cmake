# One static library per layer of src/, linked in layer order.
#
# A layer's library exposes only its own folder: its include root is a directory
# of the build tree that holds a single link, <layer> -> src/<layer>. Code
# includes "layer/file.h", and a header of a layer that a target does not link
# (a higher one) is simply not found, so an include that runs back up fails to
# build. Every layer links the one below it, so each sees all the lower ones.
set(VYN_LAYER_ROOTS ${PROJECT_BINARY_DIR}/layers)

# vyn_expose(TARGET SCOPE FOLDER PREFIX): puts FOLDER on TARGET's include path as
# PREFIX/ and nothing beside it, through a root of its own in the build tree that
# holds only the link PREFIX -> FOLDER.
function(vyn_expose target scope folder prefix)
  set(root ${VYN_LAYER_ROOTS}/${target})
  get_filename_component(parent ${root}/${prefix} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT EXISTS ${root}/${prefix})
    file(CREATE_LINK ${folder} ${root}/${prefix} SYMBOLIC)
  endif()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# vyn_layer(NAME [BELOW lower-layer-target] [SOURCES file...])
function(vyn_layer name)
  cmake_parse_arguments(LAYER "" "BELOW" "SOURCES" ${ARGN})
  set(target vyn_${name})
  if(LAYER_SOURCES)
    add_library(${target} STATIC ${LAYER_SOURCES})
    set_target_properties(${target} PROPERTIES
      POSITION_INDEPENDENT_CODE ON
      CXX_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON)
    vyn_expose(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${name})
    target_link_libraries(${target} PUBLIC ${LAYER_BELOW} vyn_build_flags)
  else()
    add_library(${target} INTERFACE)
    vyn_expose(${target} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR} ${name})
    target_link_libraries(${target} INTERFACE ${LAYER_BELOW} vyn_build_flags)
  endif()
endfunction()
