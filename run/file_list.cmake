# The file list rules and the file-list model: a Qt-free library shared by the window and
# farrowdale-cli.
add_library(farrowdale_file_list
  ${CMAKE_CURRENT_LIST_DIR}/file_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_list_model.cpp)
target_include_directories(farrowdale_file_list PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(farrowdale_file_list PUBLIC farrowdale_regex farrowdale_text)

farrowdale_add_test(file_list_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/file_list_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/file_list_model_test.cpp
  LIBS farrowdale_file_list)
