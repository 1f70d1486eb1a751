# cmake -DBUILD=<build dir> -DPREFIX=<scratch prefix> -P CheckInstallTree.cmake
# Installs into a scratch prefix and checks the installation tree.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${PREFIX}"
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
set(expected
  bin/LinkSrv bin/velmora-ecusim bin/velmora-cli bin/SetCom.ini bin/Flash.ini bin/fw
  lng/diz.diz lng/ConfigScale.ini lng/OsciList.ini lng/OsciSetUp.ini lng/ParaTun.txt lng/Map.txt
  lng/ico Data Tune img pdf)
foreach(item IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${item}")
    message(FATAL_ERROR "missing from the installation tree: ${item}")
  endif()
endforeach()
# Written at run time only: never shipped.
foreach(item lng/diz.con bin/PortCom.ini bin/PortReg.ini)
  if(EXISTS "${PREFIX}/${item}")
    message(FATAL_ERROR "run-time file installed: ${item}")
  endif()
endforeach()
file(READ "${PREFIX}/bin/SetCom.ini" setcom HEX LIMIT 4096)
if(NOT setcom MATCHES "0d0a")
  message(FATAL_ERROR "SetCom.ini is not CR LF")
endif()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installation tree complete")
