# Read by cpack for every package it makes from the Windows build; for the installer
# (cpack --preset windows-installer) it names the file klvmaker-<version>-win64-setup.exe
# and lays out its files (InstallerFiles.cmake). The zip keeps CPack's defaults.
if(CPACK_GENERATOR MATCHES "^NSIS")
  set(CPACK_PACKAGE_FILE_NAME
      "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME}-setup")
  set(CPACK_PRE_BUILD_SCRIPTS "${CPACK_MODULE_PATH}/InstallerFiles.cmake")
endif()
