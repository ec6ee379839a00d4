# Stores: holiday rules, menu picker results, the store editor, the holiday dialog and the pickers.
zelkova_add_test(tst_holidayrules SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_holidayrules.cpp)
zelkova_add_test(tst_menupickresult SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_menupickresult.cpp)
zelkova_add_test(tst_storeeditor SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_storeeditor.cpp GUI)
target_link_libraries(tst_storeeditor PRIVATE zelkova_dbtool)
zelkova_add_test(tst_holidaydialog SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_holidaydialog.cpp GUI)
target_link_libraries(tst_holidaydialog PRIVATE zelkova_dbtool)
zelkova_add_test(tst_storepickers SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_storepickers.cpp GUI)
target_link_libraries(tst_storepickers PRIVATE zelkova_dbtool)
