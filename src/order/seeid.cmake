target_sources(zelkova_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AutoDialer.cpp ${CMAKE_CURRENT_LIST_DIR}/AutoDialer.h
)
target_sources(zelkova_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FrmSeeIDStanbyList.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmSeeIDStanbyList.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmSeeidList.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmSeeidList.h
    ${CMAKE_CURRENT_LIST_DIR}/modSeeID.cpp ${CMAKE_CURRENT_LIST_DIR}/modSeeID.h
)
