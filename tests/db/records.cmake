zelkova_add_test(tst_modMainSql SOURCES tst_modMainSql.cpp DbFixture.h GUI)
target_link_libraries(tst_modMainSql PRIVATE zelkova_dbtool)
