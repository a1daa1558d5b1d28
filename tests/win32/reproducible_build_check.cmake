# Two builds of one commit are the same bytes: vorthane.scr and vorthane-setup.exe are removed,
# built again and compared with the first build; the program file's time stamp is the commit's
# time, not the build's.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -P reproducible_build_check.cmake
set(files vorthane.scr vorthane-setup.exe)
# The first build: the build tree as the current commit gives it (a commit since the last build
# changes the version).
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target vorthane_setup
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the first build failed (${status})")
endif()
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
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct OUTPUT_VARIABLE EPOCH
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
read_le32(${BUILD_DIR}/vorthane.scr 60 header)
math(EXPR stampAt "${header} + 8")
read_le32(${BUILD_DIR}/vorthane.scr ${stampAt} stamp)
if(NOT stamp EQUAL EPOCH)
  message(FATAL_ERROR "vorthane.scr's time stamp is ${stamp}, not the commit's ${EPOCH}")
endif()
