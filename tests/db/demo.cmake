zelkova_add_test(tst_demodata SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_demodata.cpp)
target_link_libraries(tst_demodata PRIVATE zelkova_dbtool)
