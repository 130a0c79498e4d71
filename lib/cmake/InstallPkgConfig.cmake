# Run by `cmake --install` and cpack: writes klvutils.pc for the prefix being installed
# to and installs it in <libdir>/pkgconfig. The template and the folders relative to the
# prefix come from the build (klv_pc_template, klv_pc_work, klv_pc_libdir,
# klv_pc_includedir, klv_pc_version). With klv_pc_relocatable (the Windows zip, which is
# unpacked anywhere) the prefix is found from the .pc file's own folder instead.
set(klv_pc_prefix "${CMAKE_INSTALL_PREFIX}")
if(klv_pc_relocatable AND NOT IS_ABSOLUTE "${klv_pc_libdir}")
  file(RELATIVE_PATH klv_pc_up "/prefix/${klv_pc_libdir}/pkgconfig" "/prefix")
  string(REGEX REPLACE "/$" "" klv_pc_up "${klv_pc_up}")
  set(klv_pc_prefix "\${pcfiledir}/${klv_pc_up}")
endif()
foreach(kind libdir includedir)
  if(IS_ABSOLUTE "${klv_pc_${kind}}")
    set(klv_pc_full_${kind} "${klv_pc_${kind}}")
    set(klv_pc_dest_${kind} "${klv_pc_${kind}}")
  else()
    set(klv_pc_full_${kind} "\${prefix}/${klv_pc_${kind}}")
    set(klv_pc_dest_${kind} "${CMAKE_INSTALL_PREFIX}/${klv_pc_${kind}}")
  endif()
endforeach()
# One file per destination: two installs from the same build do not share it.
string(MD5 klv_pc_key "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
configure_file("${klv_pc_template}" "${klv_pc_work}/${klv_pc_key}/klvutils.pc" @ONLY)
file(INSTALL DESTINATION "${klv_pc_dest_libdir}/pkgconfig" TYPE FILE
     FILES "${klv_pc_work}/${klv_pc_key}/klvutils.pc")
