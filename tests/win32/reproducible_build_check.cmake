# Two builds of one commit are the same bytes: vorthane.scr and vorthane-setup.exe are removed,
# built again and compared with the first build; the program file's time stamp is the commit's
# time, not the build's.
#   cmake -DBUILD_DIR=... -DEPOCH=... -P reproducible_build_check.cmake
set(files vorthane.scr vorthane-setup.exe)
set(first ${BUILD_DIR}/reproducible-first)
file(REMOVE_RECURSE ${first})
file(MAKE_DIRECTORY ${first})
foreach(name ${files})
  file(COPY ${BUILD_DIR}/${name} DESTINATION ${first})
  file(REMOVE ${BUILD_DIR}/${name})
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target vorthane_setup
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the second build failed (${status})")
endif()
foreach(name ${files})
  file(SHA256 ${first}/${name} before)
  file(SHA256 ${BUILD_DIR}/${name} after)
  if(NOT before STREQUAL after)
    message(FATAL_ERROR "${name} differs between two builds of one commit")
  endif()
endforeach()
file(REMOVE_RECURSE ${first})

# The PE header's time stamp: four bytes, little-endian, 8 bytes into the header that the
# 32-bit offset at 0x3C names.
function(read_le32 path offset out)
  file(READ ${path} hex OFFSET ${offset} LIMIT 4 HEX)
  string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" hex ${hex})
  math(EXPR value "0x${hex}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()
read_le32(${BUILD_DIR}/vorthane.scr 60 header)
math(EXPR stampAt "${header} + 8")
read_le32(${BUILD_DIR}/vorthane.scr ${stampAt} stamp)
if(NOT stamp EQUAL EPOCH)
  message(FATAL_ERROR "vorthane.scr's time stamp is ${stamp}, not the commit's ${EPOCH}")
endif()
