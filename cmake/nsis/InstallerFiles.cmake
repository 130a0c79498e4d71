# Run by cpack on the installer's staging folder, after the install rules have filled it
# and before NSIS.template.in packs it: the installer puts the programs and KLVUtils.dll
# beside README and LICENSE in the one folder the user chooses, with the icon that the
# Apps entry and the .klv type show. The developer files (KLVUtils.h, the import library,
# the CMake and pkg-config files) are the zip's alone.
set(stage "${CPACK_TEMPORARY_DIRECTORY}")
file(GLOB programs LIST_DIRECTORIES true "${stage}/bin/*")
foreach(program IN LISTS programs)
  get_filename_component(name "${program}" NAME)
  if(EXISTS "${stage}/${name}")
    message(FATAL_ERROR "The installer cannot place bin/${name}: ${name} is installed twice")
  endif()
  file(RENAME "${program}" "${stage}/${name}")
endforeach()
file(REMOVE_RECURSE "${stage}/bin" "${stage}/include" "${stage}/lib")
file(COPY_FILE "${CPACK_KLV_ICON}" "${stage}/KLVMaker.ico")
