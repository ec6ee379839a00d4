target_sources(zelkova_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FrmMain.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmMain.h ${CMAKE_CURRENT_LIST_DIR}/FrmMainColumns.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmMain_Order.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrmMain_Calls.cpp
)
