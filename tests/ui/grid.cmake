zelkova_add_test(tst_spreadgrid SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_spreadgrid.cpp GUI)
zelkova_add_test(tst_modspread60 SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_modspread60.cpp GUI)
zelkova_add_test(tst_modformini SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_modformini.cpp GUI)
zelkova_add_test(tst_gridprinter SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_gridprinter.cpp GUI)
