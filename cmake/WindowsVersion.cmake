# The Windows build's version: the project's, then the time of the commit it is built from as
# days since 1970 and minutes into that day (1.00.20431.733), so that a build of a later commit
# is always the newer one for Apps and winget. Each number fits the version record's 16 bits
# until the year 2149. That time (SOURCE_DATE_EPOCH, unless the caller set it) is also the
# program file's time stamp, so that two builds of one commit are the same bytes.
#   VORTHANE_WIN_VERSION          1.00.DAYS.MINUTES, for texts
#   VORTHANE_WIN_VERSION_NUMBERS  1.0.DAYS.MINUTES, for the four numbers of a version record
#   VORTHANE_SOURCE_DATE_EPOCH    the commit's time, in seconds since 1970
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(VORTHANE_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(
    COMMAND git -C "${CMAKE_SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE VORTHANE_SOURCE_DATE_EPOCH
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET)
  # A new commit configures the build again.
  execute_process(
    COMMAND git -C "${CMAKE_SOURCE_DIR}" rev-parse --path-format=absolute --git-path logs/HEAD
    OUTPUT_VARIABLE headLog
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET)
  if(headLog AND EXISTS "${headLog}")
    set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 "${headLog}")
  endif()
endif()
if(NOT VORTHANE_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  set(VORTHANE_SOURCE_DATE_EPOCH 0)  # not built from a commit
endif()
math(EXPR days "${VORTHANE_SOURCE_DATE_EPOCH} / 86400")
math(EXPR minutes "(${VORTHANE_SOURCE_DATE_EPOCH} % 86400) / 60")
set(VORTHANE_WIN_VERSION "${PROJECT_VERSION}.${days}.${minutes}")
set(VORTHANE_WIN_VERSION_NUMBERS
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${days}.${minutes}")
