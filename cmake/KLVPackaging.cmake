# The packages that cpack makes from the install rules: on Linux a Debian package
# (klvmaker_<version>_<arch>.deb) whose dependencies dpkg-shlibdeps computes from the
# installed programs and library; in the Windows build a zip with the programs and
# KLVUtils.dll side by side, and an installer made with NSIS (klvmaker-<version>-win64-
# setup.exe) from the project's template in cmake/nsis. Presets: cpack --preset deb,
# cpack --preset windows-zip, cpack --preset windows-installer.
if(WIN32)
  install(FILES README.md LICENSE DESTINATION .)
else()
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME klvmaker)
set(CPACK_PACKAGE_VENDOR "The KLVMaker authors")
set(CPACK_PACKAGE_CONTACT "The KLVMaker authors")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "puzzle package maker: one picture to one .klv file")
set(CPACK_PACKAGE_DESCRIPTION
    "KLVMaker cuts one bitmap picture into overlapping tiles and writes them, with a sparse "
    "base picture and the puzzle's names, into one puzzle package (.klv) for the puzzle "
    "player. It brings the desktop window klvmaker (Japanese), the command-line tools "
    "klvmake and klvconv, and the package library KLVUtils with its header.")
string(CONCAT CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's texts are Japanese: without a font that has them it shows empty boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  # CPack takes NSIS.template.in from here rather than its own; InstallerOptions.cmake
  # names the installer and lays out its files, with the Windows icon (data/).
  set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/nsis)
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/nsis/InstallerOptions.cmake)
  set(CPACK_KLV_ICON ${KLV_WINDOWS_ICON})
else()
  set(CPACK_GENERATOR DEB)
endif()
include(CPack)
