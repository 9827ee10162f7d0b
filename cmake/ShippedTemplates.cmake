# Puts the shipped templates into the run folder's dataM/ without undoing what was done there
# while trying the program:
#   cmake -DSOURCE=<folder of the shipped N.dat / N.bmp> -DTARGET=<run folder>/dataM -P ShippedTemplates.cmake
# A template is copied only when the run folder holds neither of its files and has never been
# given it before, so a layout saved in the editor is never overwritten and a template deleted
# there does not come back. The names given are kept in dataM/.shipped-templates; the template
# listing ignores that file (the text after its first "." is not "dat").

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE OR NOT TARGET)
  message(FATAL_ERROR "ShippedTemplates.cmake needs -DSOURCE=<folder> and -DTARGET=<dataM folder>")
endif()

file(MAKE_DIRECTORY "${TARGET}")
set(record "${TARGET}/.shipped-templates")
set(given)
if(EXISTS "${record}")
  file(STRINGS "${record}" given ENCODING UTF-8)
endif()

file(GLOB layouts RELATIVE "${SOURCE}" "${SOURCE}/*.dat")
list(SORT layouts)
set(changed FALSE)
foreach(layout IN LISTS layouts)
  # The template's name is the text before the first "."; x.y.dat is no template.
  string(FIND "${layout}" "." dot)
  string(SUBSTRING "${layout}" 0 ${dot} name)
  if(NOT "${name}.dat" STREQUAL "${layout}" OR name IN_LIST given)
    continue()
  endif()
  if(NOT EXISTS "${TARGET}/${name}.dat" AND NOT EXISTS "${TARGET}/${name}.bmp")
    # The layout last: the template appears only once its picture is in place.
    if(EXISTS "${SOURCE}/${name}.bmp")
      file(COPY_FILE "${SOURCE}/${name}.bmp" "${TARGET}/${name}.bmp")
    endif()
    file(COPY_FILE "${SOURCE}/${name}.dat" "${TARGET}/${name}.dat")
    message(STATUS "Shipped template ${name} put into ${TARGET}")
  endif()
  list(APPEND given "${name}")
  set(changed TRUE)
endforeach()

if(changed)
  list(JOIN given "\n" lines)
  file(WRITE "${record}.new" "${lines}\n")
  file(RENAME "${record}.new" "${record}")
endif()
