# Fails when a file under src/ includes a header from a folder its layer may
# not use: the layers hold because this check says so, not by habit.
#   cmake -DSOURCE_DIR=<repository>/src -P check_layers.cmake
# Every folder under src/ has a row: the folder, then the folders its files
# may include besides their own ("." is main.cpp). The README's table for
# developers says the same in words; change both together.
set(zul_domain "timers,macros,sun,x10,settings,platform")
set(zul_logic "web,mqtt,service,handoff,app,windows,${zul_domain}")
set(zul_layers
  "platform:"
  "platform/sim:platform"
  "settings:platform"
  "x10:settings,platform"
  "sun:settings,platform"
  "macros:platform"
  "timers:macros,sun,x10,settings,platform"
  # One library: App owns the main and timer windows' logic.
  "app:windows,${zul_domain}"
  "windows:app,${zul_domain}"
  "handoff:app,${zul_domain}"
  "service:handoff,app,${zul_domain}"
  "mqtt:app,${zul_domain}"
  "web:mqtt,app,${zul_domain}"
  "platform/qt:platform,platform/sim"
  "mqtt/mosquitto:${zul_logic}"
  "web/qt:${zul_logic}"
  "ui:${zul_logic},platform/qt,mqtt/mosquitto,web/qt"
  "cli:${zul_logic},platform/qt,platform/sim,mqtt/mosquitto,web/qt"
  ".:ui,cli,platform"
)

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<repository>/src -P check_layers.cmake")
endif()

foreach(row IN LISTS zul_layers)
  string(FIND "${row}" ":" colon)
  string(SUBSTRING "${row}" 0 ${colon} folder)
  math(EXPR rest "${colon} + 1")
  string(SUBSTRING "${row}" ${rest} -1 allowed)
  string(REPLACE "," ";" allowed "${allowed}")
  set(zul_may_include_${folder} "${allowed}")
  list(APPEND zul_known_folders "${folder}")
endforeach()

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT files)
set(faults 0)
foreach(file IN LISTS files)
  get_filename_component(folder "${file}" DIRECTORY)
  if(folder STREQUAL "")
    set(folder ".")
  endif()
  if(NOT folder IN_LIST zul_known_folders)
    message(SEND_ERROR "src/${file}: the folder ${folder} has no row in the layer table")
    math(EXPR faults "${faults} + 1")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" header "${line}")
    get_filename_component(target "${header}" DIRECTORY)
    if(target STREQUAL "" OR target STREQUAL folder OR target IN_LIST zul_may_include_${folder})
      continue()
    endif()
    string(REPLACE ";" ", " allowed "${zul_may_include_${folder}}")
    message(SEND_ERROR "src/${file}: includes \"${header}\"; ${folder} may include only: ${allowed}")
    math(EXPR faults "${faults} + 1")
  endforeach()
endforeach()

list(LENGTH files count)
if(faults GREATER 0)
  message(FATAL_ERROR "${faults} include(s) break the layer table (${count} files checked)")
endif()
message(STATUS "layers hold: ${count} files checked")
