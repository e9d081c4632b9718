# Files of this room, relative to src/. Core files need QtCore/QtSerialPort only.
list(APPEND VELMORA_CORE_SOURCES
    measure/Conversions.h measure/Conversions.cpp
    measure/RunStatistics.h measure/RunStatistics.cpp
)
list(APPEND VELMORA_UI_SOURCES
    measure/CSampleCountDlg.h measure/CSampleCountDlg.cpp
    measure/CVelmoraDlg.h measure/CVelmoraDlg.cpp
    measure/CModeSelectDlg.h measure/CModeSelectDlg.cpp ../res/dialogs/ModeSelectTemplate.cpp
)
