zelkova_add_test(tst_textutil SOURCES tst_textutil.cpp)
zelkova_add_test(tst_inpututil SOURCES tst_inpututil.cpp GUI)
