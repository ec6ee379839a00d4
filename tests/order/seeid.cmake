zelkova_add_test(tst_autodialer SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_autodialer.cpp)
zelkova_add_test(tst_standbylist SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_standbylist.cpp GUI)
