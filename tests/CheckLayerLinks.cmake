# Fails when a test program of a layer that must run without Qt loads any Qt library: linking
# it proves the layer's code and its tests need none. Nor may a program that must start without
# Qt's GUI libraries (the extension, which the bus starts at a right-click) load them.
# Run as: cmake "-DQT_FREE_PROGRAMS=<program>|<program>..." "-DGUI_FREE_PROGRAMS=<program>|..."
#               -P CheckLayerLinks.cmake
set(violations "")
function(check programs forbidden)
  string(REPLACE "|" ";" programs "${programs}")
  foreach(program IN LISTS programs)
    file(GET_RUNTIME_DEPENDENCIES
         EXECUTABLES "${program}"
         RESOLVED_DEPENDENCIES_VAR resolved
         UNRESOLVED_DEPENDENCIES_VAR unresolved)
    foreach(library IN LISTS resolved unresolved)
      get_filename_component(name "${library}" NAME)
      if(name MATCHES "${forbidden}")
        list(APPEND violations "${program}: ${name}")
      endif()
    endforeach()
  endforeach()
  set(violations "${violations}" PARENT_SCOPE)
endfunction()
check("${QT_FREE_PROGRAMS}" "^libQt")
check("${GUI_FREE_PROGRAMS}" "^libQt6(Gui|Widgets)")
if(violations)
  list(JOIN violations "\n  " report)
  message(FATAL_ERROR "Qt reaches programs that must run without it:\n  ${report}")
endif()
message(STATUS "the layers' programs run without Qt, the extension without Qt's GUI libraries")
