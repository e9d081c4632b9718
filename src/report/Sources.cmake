# Files of this room, relative to src/. Core files need QtCore/QtSerialPort only.
list(APPEND VELMORA_CORE_SOURCES
    report/ReportContent.h report/ReportContent.cpp
    report/TextReport.h report/TextReport.cpp
    report/PrintedReport.h report/PrintedReport.cpp
    report/HelpLauncher.h report/HelpLauncher.cpp
)
list(APPEND VELMORA_UI_SOURCES
    report/QtPainterCanvas.h report/QtPainterCanvas.cpp
    report/PrintJob.h report/PrintJob.cpp
    report/ReportSaver.h report/ReportSaver.cpp
)
