# Writes the shared library's version script: the package's entry points and every symbol of the
# component's objects that belongs to namespace cad, by its exact (mangled) name; everything else
# stays local. Template code the component instantiates from Qt or the standard library stays in
# the library even where it only mentions the component's types ("cad::TMyPoint* std::copy<...>"):
# a name of the component has no space before its parameter list once template arguments are
# taken out. Run with cmake -P; NM is the nm program, OBJECTS the object files separated by '|',
# OUTPUT the script to write.
cmake_minimum_required(VERSION 3.22)

string(REPLACE "|" ";" objects "${OBJECTS}")
foreach(demangle IN ITEMS "" "-C")
  execute_process(COMMAND ${NM} --defined-only --extern-only ${demangle} ${objects}
    OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${NM} failed on the component's objects")
  endif()
  # Brackets and semicolons of demangled names would confuse CMake's lists.
  string(REPLACE ";" "<semicolon>" out "${out}")
  string(REPLACE "[" "<open>" out "${out}")
  string(REPLACE "]" "<close>" out "${out}")
  string(REPLACE "\n" ";" out "${out}")
  if(demangle)
    set(demangled ${out})
  else()
    set(mangled ${out})
  endif()
endforeach()

list(LENGTH mangled count)
list(LENGTH demangled count_demangled)
if(NOT count EQUAL count_demangled)
  message(FATAL_ERROR "nm listed the objects differently with and without demangling")
endif()

set(exports GetPackageInfoTable Initialize PackageLoad Finalize PackageUnload Register TravemoCreateSurface)
# One pass over both lists side by side (indexing a list is linear, and the lists are long).
foreach(symbol line IN ZIP_LISTS mangled demangled)
  if(NOT line MATCHES "^[0-9a-f]+ [A-Za-z] (.*)$")
    continue()
  endif()
  set(name "${CMAKE_MATCH_1}")
  string(REGEX REPLACE "^(typeinfo name for |typeinfo for |vtable for |VTT for |non-virtual thunk to |virtual thunk to |guard variable for )" "" name "${name}")
  # The component's namespace, and the form designer's name for the surface.
  if(NOT name MATCHES "^(cad::|TMyCAD::|TMyCAD$)")
    continue()
  endif()
  if(name MATCHES "^([^(]*)::operator")
    set(name "${CMAKE_MATCH_1}")
  endif()
  set(previous "")
  while(NOT previous STREQUAL name)
    set(previous "${name}")
    string(REGEX REPLACE "<[^<>]*>" "" name "${name}")
  endwhile()
  if(name MATCHES "^(cad::|TMyCAD::|TMyCAD$)[^ (]*(\\(|$)")
    string(REGEX REPLACE "^[0-9a-f]+ [A-Za-z] " "" symbol "${symbol}")
    list(APPEND exports "${symbol}")
  endif()
endforeach()
list(REMOVE_DUPLICATES exports)

list(JOIN exports ";\n    " exports)
file(WRITE ${OUTPUT}.new "{\n  global:\n    ${exports};\n  local:\n    *;\n};\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
