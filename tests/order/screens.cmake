zelkova_add_test(tst_frmmain SOURCES tst_frmmain.cpp MainFixture.h GUI)
target_link_libraries(tst_frmmain PRIVATE zelkova_dbtool)
zelkova_add_test(tst_orderentry SOURCES tst_orderentry.cpp MainFixture.h GUI)
target_link_libraries(tst_orderentry PRIVATE zelkova_dbtool)
