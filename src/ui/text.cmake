# Text, time, telephone and number helpers; the widget-side input helpers.
target_sources(zelkova_core PRIVATE
    TextUtil.cpp TextUtil.h
)
target_sources(zelkova_gui PRIVATE
    InputUtil.cpp InputUtil.h
    ByteLimitedLineEdit.cpp ByteLimitedLineEdit.h
)
