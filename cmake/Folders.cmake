# The program's folders under src/, named once, in the order their dependencies run: a folder
# builds on those before it. tests/, bench/ and fuzz/ mirror them, each test beside the folder
# it tests.
set(DORVANE_FOLDERS
  text        # code pages, text files
  base        # settings files and fonts, message boxes, file dialogs, pictures, translations
  controls    # the list, header and button controls
  template    # templates: fields, layout files, pictures, the list of templates
  recognition # form recognition
  store       # the address book and print log on their two engines, and copies between them
  address     # copied addresses: shapes, the second stage, telephones, the region table
  workspace   # the work folder's values: print settings, fonts, the current template
  print       # rendering, the fit check, calibration, the spooler's queue
  editor      # the template editor, its steps, deletion and the print preview
  settings    # the settings dialog and its pages
  batch       # order exports, row selection, the batch engine and its dialog
  printlog    # the print log's dialog and export
  updater     # Updorv
  about       # the about and help dialogs, the update check
  waybill     # the main window
  app         # start-up: the program's main and what it opens first
  cli         # dorvane-cli: arguments, commands and output
)

# Adds the subfolders of the current source folder in the order above; extra names (a tree's
# own helper folders) come after. A subfolder with a CMakeLists.txt that is named nowhere fails
# configuration, so a misspelt or forgotten name is never skipped.
function(dorvane_add_folders)
  file(GLOB _entries LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(_entry IN LISTS _entries)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_entry}/CMakeLists.txt
       AND NOT _entry IN_LIST DORVANE_FOLDERS AND NOT _entry IN_LIST ARGN)
      message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${_entry} is not named in DORVANE_FOLDERS (cmake/Folders.cmake)")
    endif()
  endforeach()
  foreach(_sub IN LISTS DORVANE_FOLDERS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_sub}/CMakeLists.txt)
      add_subdirectory(${_sub})
    endif()
  endforeach()
endfunction()

# Fails configuration when a file of a folder includes a header of a folder named after it in
# DORVANE_FOLDERS: dependencies run one way, so no include circle can form between folders.
function(dorvane_check_include_order root)
  list(LENGTH DORVANE_FOLDERS _count)
  foreach(_folder IN LISTS DORVANE_FOLDERS)
    list(FIND DORVANE_FOLDERS ${_folder} _own)
    math(EXPR _next "${_own} + 1")
    if(_next GREATER_EQUAL _count)
      continue()
    endif()
    list(SUBLIST DORVANE_FOLDERS ${_next} -1 _later)
    list(JOIN _later "|" _later_pattern)
    file(GLOB _files ${root}/${_folder}/*.h ${root}/${_folder}/*.cpp)
    foreach(_file IN LISTS _files)
      file(STRINGS "${_file}" _reaching REGEX "^[ \t]*#[ \t]*include[ \t]*\"(${_later_pattern})/")
      if(_reaching)
        message(FATAL_ERROR "${_file} includes a folder that comes after ${_folder} in DORVANE_FOLDERS "
                            "(cmake/Folders.cmake): ${_reaching}")
      endif()
    endforeach()
  endforeach()
endfunction()
