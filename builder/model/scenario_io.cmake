# Saving and loading scenario files: the state table, the generator that
# fills the template and the loader that rebuilds a diagram. Qt-free.
add_library(crvl_scenario_io STATIC
  ${CMAKE_CURRENT_LIST_DIR}/scenario_saving.cpp
  ${CMAKE_CURRENT_LIST_DIR}/state_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tcl_code_generator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tcl_code_loader.cpp)
target_include_directories(crvl_scenario_io PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(crvl_scenario_io PUBLIC crvl_scenario_model crvl_builder_services)
