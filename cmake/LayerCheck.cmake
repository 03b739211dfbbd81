# The layer check, run by CTest as `cmake -DMANIFEST=<build>/TavoLayers.cmake -P LayerCheck.cmake`:
#  - every .cpp and .h under the checked folders is listed by some target (the lists are explicit,
#    so a new file that nobody added would otherwise never be compiled);
#  - every quoted include in a layer's files names a file of that layer or of a layer below it;
#  - every file a layer lists exists.
# Fails with one line per fault.
cmake_minimum_required(VERSION 3.20)

include(${MANIFEST})

set(faults "")

# The layers `layer` builds on, directly or through others, and itself.
function(tavo_reachable layer out)
  set(reached ${layer})
  set(pending ${layer})
  while(pending)
    list(POP_FRONT pending current)
    foreach(below IN LISTS TAVO_LAYER_DEPENDS_${current})
      if(NOT below IN_LIST reached)
        list(APPEND reached ${below})
        list(APPEND pending ${below})
      endif()
    endforeach()
  endwhile()
  set(${out} ${reached} PARENT_SCOPE)
endfunction()

foreach(layer IN LISTS TAVO_LAYERS)
  foreach(file IN LISTS TAVO_LAYER_FILES_${layer})
    set("owner_${file}" ${layer})
  endforeach()
endforeach()

foreach(layer IN LISTS TAVO_LAYERS)
  tavo_reachable(${layer} allowed)
  foreach(file IN LISTS TAVO_LAYER_FILES_${layer})
    if(NOT EXISTS ${TAVO_SOURCE_DIR}/${file})
      list(APPEND faults "${file} is listed in layer ${layer} but does not exist")
      continue()
    endif()
    file(STRINGS ${TAVO_SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" included "${line}")
      set(owner "${owner_${included}}")
      if(owner STREQUAL "")
        # Headers from outside the tree (TinyXML, the system) belong to no layer.
        if(EXISTS ${TAVO_SOURCE_DIR}/${included})
          list(APPEND faults "${file} (${layer}) includes ${included}, which no layer lists")
        endif()
      elseif(NOT owner IN_LIST allowed)
        list(APPEND faults "${file} (${layer}) includes ${included} of ${owner}, not below it")
      endif()
    endforeach()
  endforeach()
endforeach()

foreach(folder IN LISTS TAVO_CHECKED_FOLDERS)
  file(GLOB_RECURSE found RELATIVE ${TAVO_SOURCE_DIR}
       ${TAVO_SOURCE_DIR}/${folder}/*.cpp ${TAVO_SOURCE_DIR}/${folder}/*.h)
  foreach(file IN LISTS found)
    if(NOT file IN_LIST TAVO_LISTED_FILES)
      list(APPEND faults "${file} is in no target's file list")
    endif()
  endforeach()
endforeach()

if(faults)
  list(LENGTH faults count)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "layer check: ${count} fault(s)\n  ${text}")
endif()
list(LENGTH TAVO_LAYERS layerCount)
list(LENGTH TAVO_LISTED_FILES fileCount)
message(STATUS "layer check: ${layerCount} layers, ${fileCount} listed files, all in order")
