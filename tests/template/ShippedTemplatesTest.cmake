# Filling a run folder with the shipped templates, run as the build runs it, several times over
# a folder where templates were edited and deleted in between.
#   cmake -DSCRIPT=<ShippedTemplates.cmake> -DSOURCE=<data folder> -DWORK=<scratch folder> -P ShippedTemplatesTest.cmake

cmake_minimum_required(VERSION 3.25)

string(RANDOM LENGTH 12 unique)
set(run "${WORK}/shipped-templates-${unique}")
set(dataM "${run}/dataM")

function(fill_run_folder)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${SOURCE} -DTARGET=${dataM} -P ${SCRIPT}
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "filling the run folder failed: ${rc}")
  endif()
endfunction()

function(expect_same name)
  file(SHA256 "${SOURCE}/${name}" shipped)
  file(SHA256 "${dataM}/${name}" present)
  if(NOT shipped STREQUAL present)
    message(FATAL_ERROR "${name} differs from the shipped file")
  endif()
endfunction()

function(expect_absent name)
  if(EXISTS "${dataM}/${name}")
    message(FATAL_ERROR "${name} is back in the run folder")
  endif()
endfunction()

file(GLOB shipped RELATIVE "${SOURCE}" "${SOURCE}/*.dat" "${SOURCE}/*.bmp")
foreach(required EMS.dat EMS.bmp 顺丰.dat 顺丰.bmp 圆通.dat 圆通.bmp)
  if(NOT required IN_LIST shipped)
    message(FATAL_ERROR "the test expects ${required} among the shipped templates")
  endif()
endforeach()

# A fresh run folder gets every shipped file as it is.
fill_run_folder()
foreach(name IN LISTS shipped)
  expect_same(${name})
endforeach()

# Trying the program: 顺丰's layout saved in the editor, EMS deleted to the trash, and only
# 圆通's picture lost. The next builds keep all of it.
file(WRITE "${dataM}/顺丰.dat" "0,顺丰,2300,1270,870,480\r\n1,1,10,20,30,40\r\n")
file(SHA256 "${dataM}/顺丰.dat" saved)
file(REMOVE "${dataM}/EMS.dat" "${dataM}/EMS.bmp" "${dataM}/圆通.bmp")
fill_run_folder()
fill_run_folder()
file(SHA256 "${dataM}/顺丰.dat" after)
if(NOT after STREQUAL saved)
  message(FATAL_ERROR "the layout saved in the run folder was overwritten")
endif()
expect_absent(EMS.dat)
expect_absent(EMS.bmp)
expect_absent(圆通.bmp)
expect_same(圆通.dat)
expect_same(顺丰.bmp)

# Clearing the run folder's dataM starts afresh.
file(REMOVE_RECURSE "${dataM}")
fill_run_folder()
foreach(name IN LISTS shipped)
  expect_same(${name})
endforeach()

file(REMOVE_RECURSE "${run}")
