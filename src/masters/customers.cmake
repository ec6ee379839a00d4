# Customers: telephone helpers and the reversed-number table (core), postal-code search, editor and pickers.
target_sources(zelkova_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CustPhone.cpp ${CMAKE_CURRENT_LIST_DIR}/CustPhone.h
    ${CMAKE_CURRENT_LIST_DIR}/CustomerPhoneIndex.cpp ${CMAKE_CURRENT_LIST_DIR}/CustomerPhoneIndex.h
)
target_sources(zelkova_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/frmZipcode.cpp ${CMAKE_CURRENT_LIST_DIR}/frmZipcode.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmCust_save.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmCust_save.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmCust_sel.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmCust_sel.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmCust_selsub.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmCust_selsub.h
    ${CMAKE_CURRENT_LIST_DIR}/CustomerScreens.cpp ${CMAKE_CURRENT_LIST_DIR}/CustomerScreens.h
)
