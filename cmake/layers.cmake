# The layers' include folders. No library of the program has the source root on
# its include path. Each gets a folder of its own in the build tree,
# layers/NAME, holding a symbolic link to every header of its own source
# folders and nothing else, as a PUBLIC include directory: a library sees its
# own headers and, through what it links, those of the layers below it, never
# those of a layer above. So an upward include such as
#   #include "app/backup_procedure.h"
# in a file of device/ stops the build with "No such file or directory" (tried
# by hand when this was set up). Tests, benchmarks, fuzz targets and dist add
# the source root themselves and may include anything.
#
# The links are made at configure time; a header added to a folder is linked
# when CMake runs again, which the build does by itself.

# cv2_layer_headers(NAME FOLDER...): the include folder of the library NAME,
# with the headers directly in each FOLDER (relative to the source root, as in
# the include lines: platform, app/ui). Subfolders are layers of their own.
function(cv2_layer_headers target)
  set(root ${PROJECT_BINARY_DIR}/layers/${target})
  file(REMOVE_RECURSE ${root})
  foreach(folder IN LISTS ARGN)
    file(MAKE_DIRECTORY ${root}/${folder})
    file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
         ${PROJECT_SOURCE_DIR}/${folder}/*.h)
    foreach(header IN LISTS headers)
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${header} ${root}/${header} SYMBOLIC)
    endforeach()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()

# cv2_layer(NAME [QT] FOLDERS folder... SOURCES file... [LINKS target...]):
# the static library NAME of one layer, its sources listed, linking PUBLIC
# only the layers below it. Qt's code generators run for QT layers only.
function(cv2_layer name)
  cmake_parse_arguments(L "QT" "" "FOLDERS;SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  cv2_layer_headers(${name} ${L_FOLDERS})
  target_link_libraries(${name} PUBLIC ${L_LINKS} PRIVATE cv2_warnings)
  if(NOT L_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  endif()
endfunction()
