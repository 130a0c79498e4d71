# Where `cmake --install` puts things (the GNU layout), how installed programs find the
# installed KLVUtils, and klv_install_program(), which installs a program with its
# manual page. Included by the top-level CMakeLists.txt before any target is made.

include(GNUInstallDirs)
# Debian looks for a package's documents in share/doc/<package>; the default names the
# project instead.
if(CMAKE_INSTALL_DOCDIR STREQUAL "${CMAKE_INSTALL_DATAROOTDIR}/doc/${PROJECT_NAME}")
  set(CMAKE_INSTALL_DOCDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/klvmaker")
endif()

# The programs load KLVUtils by name at run time: first from their own folder (the build
# tree's bin/ and the Windows zip keep the library there), then through the loader's
# search, which for a program in bin/ uses the program's run path. Installed programs
# therefore carry a run path from the bin folder to the lib folder, relative to the
# program, so that a prefix install (/opt/klv, ~/.local) can be moved as a whole. A lib
# folder that the loader searches anyway (/usr/lib/<multiarch>) needs none. Programs in
# the build tree get the same run path: CMake would otherwise pad their build run path
# with empty entries, which the loader takes for the current directory.
if(NOT WIN32)
  file(RELATIVE_PATH klv_lib_from_bin "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_LIBDIR}")
  set(klv_loader_folders /lib /usr/lib)
  if(CMAKE_LIBRARY_ARCHITECTURE)
    list(APPEND klv_loader_folders /lib/${CMAKE_LIBRARY_ARCHITECTURE}
         /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE})
  endif()
  if(CMAKE_INSTALL_FULL_LIBDIR IN_LIST klv_loader_folders)
    set(CMAKE_INSTALL_RPATH "")
  else()
    set(CMAKE_INSTALL_RPATH "$ORIGIN/${klv_lib_from_bin}")
  endif()
  set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)
endif()

# Manual pages are made from each program's --help with help2man, so they say what the
# program says. A cross-build cannot run its programs and makes none.
set(KLV_MAN_PAGES OFF)
if(NOT CMAKE_CROSSCOMPILING)
  find_program(KLV_HELP2MAN help2man)
  if(NOT KLV_HELP2MAN)
    message(FATAL_ERROR "help2man is missing (it makes the manual pages): "
                        "run scripts/install-deps.sh")
  endif()
  set(KLV_MAN_PAGES ON)
endif()

# klv_install_program(TARGET [MAN_PAGE "one-line description"]): installs the program in
# the bin folder and, with MAN_PAGE, makes TARGET.1 from its --help at build time and
# installs it in man1. The program must print its help on standard output and exit 0.
function(klv_install_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "MAN_PAGE" "")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(arg_MAN_PAGE AND KLV_MAN_PAGES)
    set(page ${PROJECT_BINARY_DIR}/man/${target}.1)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND ${KLV_HELP2MAN} --no-info --section=1 --locale=C.UTF-8 --name=${arg_MAN_PAGE}
              --version-string=${PROJECT_VERSION} --output=${page} $<TARGET_FILE:${target}>
      DEPENDS ${target}
      COMMENT "Making the manual page ${target}.1"
      VERBATIM)
    add_custom_target(${target}_man ALL DEPENDS ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endfunction()
