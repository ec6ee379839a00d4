zelkova_add_test(tst_frmmain SOURCES tst_frmmain.cpp MainFixture.h GUI)
target_link_libraries(tst_frmmain PRIVATE zelkova_dbtool)
