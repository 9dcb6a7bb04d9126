# Fails when a test program of a layer that must run without Qt loads any Qt library: linking
# it proves the layer's code and its tests need none.
# Run as: cmake "-DQT_FREE_PROGRAMS=<program>|<program>..." -P CheckLayerLinks.cmake
string(REPLACE "|" ";" programs "${QT_FREE_PROGRAMS}")
set(violations "")
foreach(program IN LISTS programs)
  file(GET_RUNTIME_DEPENDENCIES
       EXECUTABLES "${program}"
       RESOLVED_DEPENDENCIES_VAR resolved
       UNRESOLVED_DEPENDENCIES_VAR unresolved)
  foreach(library IN LISTS resolved unresolved)
    get_filename_component(name "${library}" NAME)
    if(name MATCHES "^libQt")
      list(APPEND violations "${program}: ${name}")
    endif()
  endforeach()
endforeach()
if(violations)
  list(JOIN violations "\n  " report)
  message(FATAL_ERROR "Qt reaches programs that must run without it:\n  ${report}")
endif()
list(LENGTH programs count)
message(STATUS "${count} programs run without Qt")
