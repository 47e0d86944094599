# Run by CTest with cmake -P; see CMakeLists.txt beside it for the variables.
cmake_minimum_required(VERSION 3.22)

set(prefix ${WORK_DIR}/prefix)
set(host_build ${WORK_DIR}/host-build)
set(drawing ${WORK_DIR}/host.vorn)
file(REMOVE_RECURSE ${WORK_DIR})

# Runs one step and stops the test with its output when it fails.
function(step name)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 300)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${name} failed (${rc}):\n${out}\n${err}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

step("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
set(library ${prefix}/${LIBDIR}/libbplTravemoComponentK3.so)
foreach(f include/cad/cad.h include/cad/surface/mycad.h include/TravemoComponentK3/travemocomponentk3.h
    bin/kestrafel bin/kestrafel-tool ${LIBDIR}/libcad.a ${LIBDIR}/libbplTravemoComponentK3.so.1
    ${DESIGNER_PLUGIN_DIR}/libtravemocomponentk3_designer.so)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# The installed library exports the package's entry points and the component's interface, and
# nothing of what it instantiates from Qt, the standard library or dxflib.
step("list exports" ${NM} -D --defined-only -C ${library})
string(REPLACE "\n" ";" exports "${step_output}")
set(unexpected "")
set(names "")
foreach(line IN LISTS exports)
  string(REGEX REPLACE "^[0-9a-f]* [A-Za-z] " "" name "${line}")
  string(REGEX REPLACE "^(typeinfo name for |typeinfo for |vtable for |VTT for |non-virtual thunk to |virtual thunk to |guard variable for )" "" owner "${name}")
  list(APPEND names "${name}")
  # A function of the component has no space before its parameters (template arguments aside);
  # template code that only returns a type of the component ("cad::TMyPoint* std::copy<...>") has.
  set(previous "")
  while(NOT previous STREQUAL owner)
    set(previous "${owner}")
    string(REGEX REPLACE "<[^<>]*>" "" owner "${owner}")
  endwhile()
  if(NOT owner MATCHES "^(cad::|TMyCAD::|TMyCAD$)[^ (]*(\\(|$)" AND NOT owner MATCHES "^cad::[^(]*::operator"
      AND NOT name MATCHES "^(Initialize|PackageLoad|Finalize|PackageUnload|Register|GetPackageInfoTable|TravemoCreateSurface)$")
    list(APPEND unexpected "${name}")
  endif()
endforeach()
if(unexpected)
  list(JOIN unexpected "\n  " unexpected)
  message(FATAL_ERROR "exported, but not of the component:\n  ${unexpected}")
endif()
foreach(expected "Initialize" "PackageLoad" "Finalize" "PackageUnload" "Register" "GetPackageInfoTable"
    "TravemoCreateSurface" "TMyCAD::staticMetaObject" "TMyCAD::TMyCAD(QWidget*)" "cad::TMyCAD::staticMetaObject" "cad::TMyCAD::TMyCAD(QWidget*)" "vtable for cad::TMyCAD"
    "typeinfo for cad::TMyGroup" "vtable for cad::TMyRectangle" "cad::TMyRectangle::AreaInPixels()" "cad::TLibManager::TLibManager()"
    "cad::ScreenPixelsPerInch()")
  if(NOT expected IN_LIST names)
    message(FATAL_ERROR "not exported: ${expected}")
  endif()
endforeach()

# Only the prefix (and Qt) can provide the package: no registries, no source tree.
step("configure host" ${CMAKE_COMMAND} -S ${HOST_SOURCE_DIR} -B ${host_build} -G ${GENERATOR}
  -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM} -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
  "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" -DCMAKE_PREFIX_PATH=${prefix} -DQt6_DIR=${QT6_DIR}
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF)
step("build host" ${CMAKE_COMMAND} --build ${host_build})

# The host links the shared library.
step("host's libraries" ${READELF} -d ${host_build}/kestrafel_host)
if(NOT step_output MATCHES "NEEDED[^\n]*libbplTravemoComponentK3\\.so\\.1")
  message(FATAL_ERROR "the host does not link the shared library:\n${step_output}")
endif()
step("run host" ${host_build}/kestrafel_host ${drawing})
message(STATUS "${step_output}")
step("installed tool" ${prefix}/bin/kestrafel-tool info ${drawing})
if(NOT step_output MATCHES "shapes: 4\n")
  message(FATAL_ERROR "the tool does not see the host's four shapes:\n${step_output}")
endif()

# The windowed host example, built against the same prefix, takes a snapshot of its window.
set(flowchart_build ${WORK_DIR}/flowchart-build)
step("configure flowchart" ${CMAKE_COMMAND} -S ${HOST_SOURCE_DIR}/../flowchart -B ${flowchart_build} -G ${GENERATOR}
  -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM} -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
  "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" -DCMAKE_PREFIX_PATH=${prefix} -DQt6_DIR=${QT6_DIR}
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF)
step("build flowchart" ${CMAKE_COMMAND} --build ${flowchart_build})
step("run flowchart" ${flowchart_build}/kestrafel_flowchart --snapshot ${WORK_DIR}/flowchart.png)
if(NOT EXISTS ${WORK_DIR}/flowchart.png)
  message(FATAL_ERROR "the flowchart example wrote no snapshot")
endif()
