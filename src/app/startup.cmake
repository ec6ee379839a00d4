# Start-up screens, the administrator-password prompt and the shared window operations.
target_sources(zelkova_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FrmLogin.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmLogin.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmInitMsg.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmInitMsg.h
    ${CMAKE_CURRENT_LIST_DIR}/frmAbout.cpp ${CMAKE_CURRENT_LIST_DIR}/frmAbout.h
    ${CMAKE_CURRENT_LIST_DIR}/MduMainUi.cpp ${CMAKE_CURRENT_LIST_DIR}/MduMainUi.h
    ${CMAKE_CURRENT_LIST_DIR}/../admin/frmPWDInput.cpp ${CMAKE_CURRENT_LIST_DIR}/../admin/frmPWDInput.h
    ${CMAKE_CURRENT_LIST_DIR}/../admin/AdminPrompt.cpp ${CMAKE_CURRENT_LIST_DIR}/../admin/AdminPrompt.h
)
