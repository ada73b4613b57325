# Custom scenario upload, scenario monitor and ECG chart of crvlconfig.
# Included by config/app/CMakeLists.txt.

# The scenario file reader, the monitor's tables and the chart geometry know
# nothing of Qt: the simulated trainer, the fuzzer and the Windows build use them.
add_library(crvl_monitor_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/core/scenario_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/monitor_logic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/ecg_chart.cpp)
target_include_directories(crvl_monitor_core PUBLIC ${CMAKE_CURRENT_LIST_DIR}/core)
target_link_libraries(crvl_monitor_core PUBLIC crvl_protocol)

# The upload dialog, the monitor dialog and the chart widget belong to the
# configuration tool's dialog library, which is defined after this file is
# included: add them once the directory has been read.
function(crvl_config_add_monitor_ui)
  target_sources(crvl_config_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/debrief_chart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/debrief_dlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ecg_plot.cpp
    ${CMAKE_CURRENT_LIST_DIR}/monitor_dlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/session_list_dlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/upload_dlg.cpp)
  target_link_libraries(crvl_config_ui PUBLIC crvl_monitor_core crvl_session Qt6::PrintSupport)
endfunction()
if(CRVL_WITH_QT)
  cmake_language(DEFER CALL crvl_config_add_monitor_ui)
endif()
