# The program's folders under src/, named once, in the order their dependencies run: a folder
# builds on those before it. tests/, bench/ and fuzz/ mirror them, each test beside the folder
# it tests.
set(DORVANE_FOLDERS
  text        # code pages, text files
  app         # the application's values, settings files, messages and start-up
  controls    # the list, header and button controls
  template    # templates: fields, layout files, pictures, the list of templates
  recognition # form recognition
  store       # the address book and print log on their two engines, and copies between them
  address     # copied addresses: shapes, the second stage, telephones, the region table
  print       # rendering, the fit check, calibration, the spooler's queue
  editor      # the template editor, its steps, deletion and the print preview
  settings    # the settings dialog and its pages
  batch       # order exports, row selection, the batch engine and its dialog
  printlog    # the print log's dialog and export
  updater     # Updorv
  about       # the about and help dialogs, the update check
  waybill     # the main window
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
