# Stores: editor, holidays, store and menu pickers.
target_sources(zelkova_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/HolidayRules.cpp ${CMAKE_CURRENT_LIST_DIR}/HolidayRules.h
    ${CMAKE_CURRENT_LIST_DIR}/MenuPickResult.cpp ${CMAKE_CURRENT_LIST_DIR}/MenuPickResult.h
)
target_sources(zelkova_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FrmMemb_save.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmMemb_save.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmHDay_save.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmHDay_save.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmMemb_sel.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmMemb_sel.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmMenu_sel.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmMenu_sel.h
    ${CMAKE_CURRENT_LIST_DIR}/EditorWindow.cpp ${CMAKE_CURRENT_LIST_DIR}/EditorWindow.h
    ${CMAKE_CURRENT_LIST_DIR}/PickerDialog.cpp ${CMAKE_CURRENT_LIST_DIR}/PickerDialog.h
    ${CMAKE_CURRENT_LIST_DIR}/PickerWindow.cpp ${CMAKE_CURRENT_LIST_DIR}/PickerWindow.h
    ${CMAKE_CURRENT_LIST_DIR}/StoreScreens.cpp ${CMAKE_CURRENT_LIST_DIR}/StoreScreens.h
)
