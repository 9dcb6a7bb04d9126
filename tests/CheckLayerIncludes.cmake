# Fails when code of the system (shared/, extension/, app/) includes anything but platform
# headers, its own project headers and the C++ standard library, or when the platform's
# interfaces (platform/include), its scripted modals (platform/scripted) or its sim backend
# (platform/sim) include anything but the layers below them and the standard library: no Qt or
# D-Bus there, so every layer above can run on sim. Nor may the desktop backend include the sim.
# The protocol (platform/protocol), linked into the file-manager modules too, includes only
# itself and the standard library.
# Run as: cmake -DSOURCE_DIR=<repo> -P CheckLayerIncludes.cmake
cmake_policy(SET CMP0057 NEW)
set(standard_headers
  algorithm any array atomic bit bitset cassert cctype cerrno charconv chrono cinttypes climits
  cmath compare concepts condition_variable cstddef cstdint cstdio cstdlib cstring ctime
  deque exception expected filesystem format fstream functional initializer_list iomanip ios
  iosfwd iostream istream iterator limits list locale map memory mutex new numeric optional
  ostream queue random ranges ratio regex set shared_mutex source_location span sstream stack
  stdexcept stop_token streambuf string string_view system_error thread tuple type_traits
  typeinfo unordered_map unordered_set utility variant vector version)
set(system_prefixes "platform/" "sim/" "desktop/" "shared/" "extension/" "app/")
set(interface_prefixes "platform/")
set(scripted_prefixes "platform/" "scripted/")
set(sim_prefixes "platform/" "scripted/" "sim/")
set(protocol_prefixes "protocol/")

set(violations "")
foreach(layer shared extension app platform/include platform/scripted platform/sim
              platform/protocol)
  if(layer STREQUAL "platform/include")
    set(allowed_prefixes ${interface_prefixes})
  elseif(layer STREQUAL "platform/scripted")
    set(allowed_prefixes ${scripted_prefixes})
  elseif(layer STREQUAL "platform/sim")
    set(allowed_prefixes ${sim_prefixes})
  elseif(layer STREQUAL "platform/protocol")
    set(allowed_prefixes ${protocol_prefixes})
  else()
    set(allowed_prefixes ${system_prefixes})
  endif()
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*" "\\1" header "${line}")
      set(ok FALSE)
      if(header IN_LIST standard_headers)
        set(ok TRUE)
      endif()
      foreach(prefix IN LISTS allowed_prefixes)
        string(FIND "${header}" "${prefix}" at)
        if(at EQUAL 0)
          set(ok TRUE)
        endif()
      endforeach()
      # Only a program's main picks a backend.
      get_filename_component(name "${source}" NAME)
      if(header MATCHES "^(sim|desktop)/" AND NOT name STREQUAL "main.cpp" AND
         NOT layer STREQUAL "platform/sim")
        set(ok FALSE)
      endif()
      # Another layer's private folder is no more allowed than a library.
      if(layer STREQUAL "app" AND header MATCHES "^extension/")
        set(ok FALSE)
      endif()
      if(layer STREQUAL "extension" AND header MATCHES "^app/")
        set(ok FALSE)
      endif()
      if(NOT ok)
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
        list(APPEND violations "${shown}: ${header}")
      endif()
    endforeach()
  endforeach()
endforeach()

# A backend never includes the other: what both use lies below them.
file(GLOB_RECURSE desktop_sources "${SOURCE_DIR}/platform/desktop/*.h"
     "${SOURCE_DIR}/platform/desktop/*.cpp")
foreach(source IN LISTS desktop_sources)
  file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]sim/")
  foreach(line IN LISTS includes)
    file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
    list(APPEND violations "${shown}: ${line}")
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " report)
  message(FATAL_ERROR "Includes that break the layers:\n  ${report}")
endif()
message(STATUS "Layer includes are clean")
