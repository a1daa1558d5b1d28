# The winget installer manifest names the built setup by its SHA256, and installs it silently
# as a 64-bit nullsoft installer, at the build's version; exit status 3010 asks for a restart.
#   cmake -DSETUP=vorthane-setup.exe -DMANIFEST=....installer.yaml -DVERSION=...
#         -P winget_manifest_check.cmake
file(SHA256 ${SETUP} sha)
string(TOUPPER ${sha} sha)
file(READ ${MANIFEST} manifest)
foreach(line "InstallerSha256: ${sha}" "InstallerType: nullsoft" "Architecture: x64" "Silent: /S"
             "PackageVersion: \"${VERSION}\"" "InstallerReturnCode: 3010")
  string(FIND "${manifest}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${MANIFEST} lacks \"${line}\"")
  endif()
endforeach()
