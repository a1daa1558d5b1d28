# Builds vorthane-setup.exe and the winget manifests that name it, at build time:
#   cmake -DNSI=... -DSETUP=... -DSCR=... -DLICENCE=... -DWINGET_IN=... -DWINGET_OUT=...
#         -DINSTALLER_URL=... -DVERSION=... -DSOURCE_DATE_EPOCH=... -P build_setup.cmake
# The Apps entry's size and the manifests' SHA256 depend on the files just built.
file(SIZE ${SCR} scr_bytes)
file(SIZE ${LICENCE} licence_bytes)
math(EXPR installed_kb "(${scr_bytes} + ${licence_bytes} + 1023) / 1024")
set(ENV{SOURCE_DATE_EPOCH} ${SOURCE_DATE_EPOCH})
execute_process(COMMAND makensis -V2 -DINSTALLED_KB=${installed_kb} ${NSI}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "makensis failed (${status})")
endif()

file(SHA256 ${SETUP} VORTHANE_SETUP_SHA256)
string(TOUPPER ${VORTHANE_SETUP_SHA256} VORTHANE_SETUP_SHA256)
set(VORTHANE_INSTALLER_URL ${INSTALLER_URL})
set(VORTHANE_WIN_VERSION ${VERSION})
file(GLOB manifests ${WINGET_IN}/*.yaml.in)
foreach(manifest ${manifests})
  get_filename_component(name ${manifest} NAME)
  string(REGEX REPLACE "\\.in$" "" name ${name})
  configure_file(${manifest} ${WINGET_OUT}/${name} @ONLY)
endforeach()
