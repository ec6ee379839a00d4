# The grid component, its helpers, grid printing and the layout files of the screens.
target_sources(zelkova_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/GridFormula.cpp ${CMAKE_CURRENT_LIST_DIR}/GridFormula.h
    ${CMAKE_CURRENT_LIST_DIR}/GridStyle.cpp ${CMAKE_CURRENT_LIST_DIR}/GridStyle.h
    ${CMAKE_CURRENT_LIST_DIR}/SpreadGridModel.cpp ${CMAKE_CURRENT_LIST_DIR}/SpreadGridModel.h
    ${CMAKE_CURRENT_LIST_DIR}/GridHeaderView.cpp ${CMAKE_CURRENT_LIST_DIR}/GridHeaderView.h
    ${CMAKE_CURRENT_LIST_DIR}/GridDelegate.cpp ${CMAKE_CURRENT_LIST_DIR}/GridDelegate.h
    ${CMAKE_CURRENT_LIST_DIR}/SpreadGrid.cpp ${CMAKE_CURRENT_LIST_DIR}/SpreadGrid.h
)
target_sources(zelkova_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/modSpread60.cpp ${CMAKE_CURRENT_LIST_DIR}/modSpread60.h
    ${CMAKE_CURRENT_LIST_DIR}/modFormIni.cpp ${CMAKE_CURRENT_LIST_DIR}/modFormIni.h
    ${CMAKE_CURRENT_LIST_DIR}/GridPrinter.cpp ${CMAKE_CURRENT_LIST_DIR}/GridPrinter.h
    ${CMAKE_CURRENT_LIST_DIR}/FitScrollArea.cpp ${CMAKE_CURRENT_LIST_DIR}/FitScrollArea.h
    ${CMAKE_CURRENT_LIST_DIR}/KeyboardShy.cpp ${CMAKE_CURRENT_LIST_DIR}/KeyboardShy.h
)
